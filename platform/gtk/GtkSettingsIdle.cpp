// The settings dialog's idle row: "Start after N minutes without input" shows and
// stores the idle watcher's autostart entry, starts the watcher on OK and ends it
// when the box is cleared; beside it, the desktop's own blanking or lock where it
// would come first.
#include <gio/gio.h>
#include <unistd.h>

#include <fstream>
#include <optional>
#include <string>

#include "platform/gtk/GtkSettingsDlg.h"
#include "platform/linux/IdleAutostart.h"
#include "platform/posix/RunningProgram.h"

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
    const char* config = g_getenv("XDG_CONFIG_HOME");
    std::ifstream file((config != nullptr && config[0] == '/' ? std::string(config)
                                                              : std::string(g_get_home_dir()) + "/.config") +
                       "/kscreenlockerrc");
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

// lucenta beside the dialog (in the build tree), else where it is installed.
std::string LucentaProgram() {
    const std::string self = RunningProgramPath();
    const std::string folder = self.substr(0, self.rfind('/') + 1);
    return access((folder + "lucenta").c_str(), X_OK) == 0 ? folder + "lucenta"
                                                           : folder + LUCENTA_FROM_SETTINGS;
}

// Runs `lucenta --idle WORD`: a new watcher in a session of its own, so that
// the dialog's terminal going away takes nothing with it; "off" waited for.
bool RunIdleWatcher(const std::string& word, std::string& reason) {
    std::string program = LucentaProgram();
    std::string idle = "--idle";
    std::string argument = word;
    char* argv[] = {program.data(), idle.data(), argument.data(), nullptr};
    GError* error = nullptr;
    const auto ownSession = [](gpointer) { setsid(); };
    const bool ran = word == "off" ? g_spawn_sync(nullptr, argv, nullptr, G_SPAWN_STDOUT_TO_DEV_NULL, nullptr,
                                                  nullptr, nullptr, nullptr, nullptr, &error)
                                   : g_spawn_async(nullptr, argv, nullptr, G_SPAWN_DEFAULT, ownSession,
                                                   nullptr, nullptr, &error);
    reason = ran ? "" : error->message;
    g_clear_error(&error);
    return ran;
}

}  // namespace

void CGtkSettingsDlg::ShowIdleEntry() {
    const std::optional<int> minutes = ReadIdleAutostart();
    m_bIdleEntry = minutes.has_value();
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(m_idle), m_bIdleEntry);
    gtk_spin_button_set_value(GTK_SPIN_BUTTON(m_idleMinutes), minutes.value_or(kDefaultIdleMinutes));
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

bool CGtkSettingsDlg::StoreIdleEntry(std::string& message) {
    gtk_spin_button_update(GTK_SPIN_BUTTON(m_idleMinutes));  // takes what was typed
    const bool wanted = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(m_idle));
    if (!wanted && !m_bIdleEntry) {
        return true;  // a watcher started otherwise (from sway's configuration, say) is left alone
    }
    const int minutes = gtk_spin_button_get_value_as_int(GTK_SPIN_BUTTON(m_idleMinutes));
    std::string reason;
    if (!WriteIdleAutostart(wanted ? std::optional<int>(minutes) : std::nullopt,
                            AutostartCommand(LucentaProgram()), reason)) {
        message = "The settings are stored, but " + IdleAutostartPath() + " cannot be " +
                  (wanted ? "written" : "removed") + ": " + reason;
        return false;
    }
    m_bIdleEntry = wanted;
    if (!RunIdleWatcher(wanted ? std::to_string(minutes) : "off", reason)) {
        message = "The settings are stored, but Lucenta's idle watcher cannot be " +
                  std::string(wanted ? "started" : "ended") + ": " + reason;
        return false;
    }
    return true;
}
