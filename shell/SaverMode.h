#pragma once

#include <string_view>

// What the desktop asks of a screen-saver executable.
enum class SaverMode {
    Install,    // 'i': hand the saver file to the shell's install verb
    Run,        // 's': run full screen
    Configure,  // 'c', or no arguments at all: the settings dialog
    Exit,       // anything else: end at once
};

// `arguments` is the command-line text after the program name; `argumentCount`
// counts the program name too. The mode letter follows at most one leading '-'
// or '/' and is compared with its case; anything after it is ignored.
SaverMode ParseSaverMode(std::u16string_view arguments, int argumentCount);
