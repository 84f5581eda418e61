#pragma once

#include <optional>
#include <string>
#include <vector>

// The XDG autostart entry that starts the idle watcher with the desktop session:
// $XDG_CONFIG_HOME/autostart/lucenta-idle.desktop, "Exec=lucenta --idle N". It is
// not shown in MATE, Xfce and Cinnamon, whose own savers run Lucenta from their lists.
// The entry is the user's: desktops turn it off with keys of their own (GNOME
// Tweaks writes X-GNOME-Autostart-enabled=false), and its Exec line may carry the
// saver's options; a change keeps what it does not change.
inline constexpr int kDefaultIdleMinutes = 3;

// What an entry does: whether it starts the watcher, after how many minutes.
struct IdleAutostartState {
    bool on = false;
    double minutes = kDefaultIdleMinutes;
};

// The entry's text for a new watcher after `minutes`, started as `command` (the
// program's name or its path, as the Exec line quotes it).
std::string IdleAutostartEntry(const std::string& command, double minutes);
// What an entry's text does; std::nullopt for one that does not start the watcher
// (another command). It is off where a desktop's key turns it off (Hidden=true,
// X-GNOME-Autostart-enabled=false).
std::optional<IdleAutostartState> IdleAutostartStateOf(const std::string& entry);
// The words after "--idle" on the entry's Exec line: its minutes, then the saver's options.
std::vector<std::string> IdleAutostartWords(const std::string& entry);
// The entry's text changed to do what `state` says, its other words and keys kept.
std::string IdleAutostartChanged(const std::string& entry, const IdleAutostartState& state);

// The entry's path in the user's configuration.
std::string IdleAutostartPath();
// The user's entry's text; "" when there is none.
std::string ReadIdleAutostart();
// Writes the entry; false, with the reason, when it cannot.
bool WriteIdleAutostart(const std::string& entry, std::string& reason);

// How the entry starts `program`: by its name where the PATH finds it there, else
// by its path, quoted as an Exec line quotes an argument.
std::string AutostartCommand(const std::string& program);
