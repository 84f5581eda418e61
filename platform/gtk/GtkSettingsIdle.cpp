// The settings dialog's idle row: "Start after N minutes without input" shows and
// stores the idle watcher's autostart entry, starts the watcher on OK and ends it
// when the box is cleared; beside it, the desktop's own blanking or lock where it
// would come first.
#include <gio/gio.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "platform/gtk/GtkSettingsDlg.h"
#include "platform/linux/IdleAutostart.h"
#include "platform/linux/IdleMinutes.h"
#include "platform/posix/RunningProgram.h"
#include "platform/posix/UserFolders.h"

namespace {

// The desktop's own delay before it blanks or locks the screen, in minutes, and
// what it does then; std::nullopt where it is unknown or never comes.
struct DesktopDelay {
    const char* does;
    int minutes;
};

// GNOME's idle-delay, in seconds (0: never), where GNOME's schemas are installed.
std::optional<DesktopDelay> GnomeDelay() {
    GSettingsSchemaSource* schemas = g_settings_schema_source_get_default();
    GSettingsSchema* schema =
        schemas != nullptr ? g_settings_schema_source_lookup(schemas, "org.gnome.desktop.session", TRUE)
                           : nullptr;
    if (schema == nullptr) {
        return std::nullopt;
    }
    g_settings_schema_unref(schema);
    GSettings* session = g_settings_new("org.gnome.desktop.session");
    const guint seconds = g_settings_get_uint(session, "idle-delay");
    g_object_unref(session);
    return seconds > 0
               ? std::optional<DesktopDelay>({"GNOME blanks the screen", static_cast<int>(seconds / 60)})
               : std::nullopt;
}

// KDE's screen locker: Timeout minutes (5) when Autolock is on (as it is by default).
std::optional<DesktopDelay> KdeDelay() {
    std::ifstream file(UserConfigFolder() + "/kscreenlockerrc");
    int minutes = 5;
    bool locks = true;
    for (std::string line; std::getline(file, line);) {
        if (line.rfind("Timeout=", 0) == 0) {
            minutes = std::atoi(line.c_str() + 8);
        } else if (line == "Autolock=false") {
            locks = false;
        }
    }
    return locks && minutes > 0 ? std::optional<DesktopDelay>({"KDE locks the screen", minutes})
                                : std::nullopt;
}

std::optional<DesktopDelay> DesktopIdleDelay() {
    const std::string desktop =
        g_getenv("XDG_CURRENT_DESKTOP") != nullptr ? g_getenv("XDG_CURRENT_DESKTOP") : "";
    return desktop.find("GNOME") != std::string::npos ? GnomeDelay()
           : desktop.find("KDE") != std::string::npos ? KdeDelay()
                                                      : std::nullopt;
}

std::string LucentaProgram() {
    return SiblingProgram("lucenta", LUCENTA_FROM_SETTINGS);
}

// Runs `lucenta --idle WORDS`: a new watcher in a session of its own, so that
// the dialog's terminal going away takes nothing with it; "off" waited for.
bool RunIdleWatcher(const std::vector<std::string>& words, std::string& reason) {
    std::vector<std::string> arguments{LucentaProgram(), "--idle"};
    arguments.insert(arguments.end(), words.begin(), words.end());
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    GError* error = nullptr;
    const auto ownSession = [](gpointer) { setsid(); };
    const bool ran = words == std::vector<std::string>{"off"}
                         ? g_spawn_sync(nullptr, argv.data(), nullptr, G_SPAWN_STDOUT_TO_DEV_NULL, nullptr,
                                        nullptr, nullptr, nullptr, nullptr, &error)
                         : g_spawn_async(nullptr, argv.data(), nullptr, G_SPAWN_DEFAULT, ownSession, nullptr,
                                         nullptr, &error);
    reason = ran ? "" : error->message;
    g_clear_error(&error);
    return ran;
}

}  // namespace

// Minutes that are not whole (an entry written by hand) are shown as they are.
void CGtkSettingsDlg::ShowIdleEntry() {
    m_idleEntry = ReadIdleAutostart();
    m_idleShown = IdleAutostartStateOf(m_idleEntry).value_or(IdleAutostartState());
    GtkSpinButton* minutes = GTK_SPIN_BUTTON(m_idleMinutes);
    if (m_idleShown.minutes != static_cast<int>(m_idleShown.minutes)) {
        gtk_spin_button_set_digits(minutes, 2);
        gtk_spin_button_set_range(minutes, std::min(1.0, m_idleShown.minutes), kMaxIdleMinutes);
    }
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(m_idle), m_idleShown.on);
    gtk_spin_button_set_value(minutes, m_idleShown.minutes);
    m_idleShown.minutes = gtk_spin_button_get_value(minutes);
    g_signal_connect_swapped(m_idle, "toggled",
                             G_CALLBACK(+[](CGtkSettingsDlg* self) { self->UpdateIdleNote(); }), this);
    g_signal_connect_swapped(m_idleMinutes, "value-changed",
                             G_CALLBACK(+[](CGtkSettingsDlg* self) { self->UpdateIdleNote(); }), this);
    UpdateIdleNote();
}

void CGtkSettingsDlg::UpdateIdleNote() {
    const std::optional<DesktopDelay> delay = DesktopIdleDelay();
    const int minutes = gtk_spin_button_get_value_as_int(GTK_SPIN_BUTTON(m_idleMinutes));
    const bool first =
        delay && gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(m_idle)) && minutes >= delay->minutes;
    const std::string note = first ? std::string(delay->does) + " after " + std::to_string(delay->minutes) +
                                         " minutes, before Lucenta would come: choose fewer"
                                   : "";
    gtk_label_set_text(GTK_LABEL(m_idleNote), note.c_str());
}

// The entry and the watcher change only where the box or the minutes changed: the
// saver reads the stored settings each time it starts, so a new method needs no
// new watcher (one replaced while a film plays would come over it).
bool CGtkSettingsDlg::StoreIdleEntry(std::string& message) {
    gtk_spin_button_update(GTK_SPIN_BUTTON(m_idleMinutes));  // takes what was typed
    const IdleAutostartState wanted{gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(m_idle)) != 0,
                                    gtk_spin_button_get_value(GTK_SPIN_BUTTON(m_idleMinutes))};
    if (wanted.on == m_idleShown.on && (!wanted.on || wanted.minutes == m_idleShown.minutes)) {
        return true;  // also a watcher started otherwise (from sway's configuration, say) is left alone
    }
    const std::string entry = IdleAutostartStateOf(m_idleEntry)
                                  ? IdleAutostartChanged(m_idleEntry, wanted)
                                  : IdleAutostartEntry(AutostartCommand(LucentaProgram()), wanted.minutes);
    std::string reason;
    if (!WriteIdleAutostart(entry, reason)) {
        message = "The settings are stored, but " + IdleAutostartPath() + " cannot be written: " + reason;
        return false;
    }
    m_idleEntry = entry;
    m_idleShown = wanted;
    if (!RunIdleWatcher(wanted.on ? IdleAutostartWords(entry) : std::vector<std::string>{"off"}, reason)) {
        message = "The settings are stored, but Lucenta's idle watcher cannot be " +
                  std::string(wanted.on ? "started" : "ended") + ": " + reason;
        return false;
    }
    return true;
}
