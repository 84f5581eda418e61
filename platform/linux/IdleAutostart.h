#pragma once

#include <optional>
#include <string>

// The XDG autostart entry that starts the idle watcher with the desktop session:
// $XDG_CONFIG_HOME/autostart/lucenta-idle.desktop, "Exec=lucenta --idle N". It is
// not shown in MATE, Xfce and Cinnamon, whose own savers run Lucenta from their lists.
inline constexpr int kDefaultIdleMinutes = 3;

// The entry's text for a watcher after `minutes`, started as `command` (the
// program's name or its path, as the Exec line quotes it).
std::string IdleAutostartEntry(const std::string& command, int minutes);
// The minutes of an entry's text that starts the watcher; std::nullopt for one
// that does not (another command, an entry hidden, as a deleted one is).
std::optional<int> IdleMinutesOf(const std::string& entry);

// The entry's path in the user's configuration.
std::string IdleAutostartPath();
// The minutes of the user's entry; std::nullopt when there is none that starts the watcher.
std::optional<int> ReadIdleAutostart();
// Writes the entry for `minutes`, or removes it for std::nullopt; false, with the
// reason, when it cannot.
bool WriteIdleAutostart(std::optional<int> minutes, const std::string& command, std::string& reason);

// How the entry starts `program`: by its name where the PATH finds it there, else
// by its path, quoted as an Exec line quotes an argument.
std::string AutostartCommand(const std::string& program);
