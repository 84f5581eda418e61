#include "settings/SettingsWarning.h"

// The saver never shows a message on Windows, and the dialog tells its own failures.
void WarnAboutSettings(const std::string&) {}
