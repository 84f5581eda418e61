#pragma once

#include <string>

// The user's folder for the files of running programs (locks, what a program hands
// to the next): XDG_RUNTIME_DIR, else /tmp/lucenta-UID, made for the user alone.
// "" with the reason when the latter is there but is not the user's alone.
std::string UserRuntimeFolder(std::string& reason);
