#pragma once

#include <string>

// The user's own folders, as the XDG base directories name them.

// Where the user's configuration lives: XDG_CONFIG_HOME, else ~/.config, the home
// folder being HOME, else the user's entry in the password database.
std::string UserConfigFolder();

// The user's folder for the files of running programs (locks, what a program hands
// to the next): XDG_RUNTIME_DIR, else /tmp/lucenta-UID, made for the user alone.
// "" with the reason when the latter is there but is not the user's alone.
std::string UserRuntimeFolder(std::string& reason);

// Makes the folder and those above it that are missing, for the user alone (0700),
// as desktops make them; false, with errno set, when one cannot be made.
bool MakeFolders(const std::string& folder);
