#pragma once

#include <string>

// Tells the user of settings that cannot be used as they are stored, each message
// once in a run (every picture of a run reads the same settings). The Linux
// programs say it on stderr; the Windows saver never shows a message, and its
// picture is the same without one. Each platform provides it.
void WarnAboutSettings(const std::string& message);
