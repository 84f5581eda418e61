#include "settings/SettingsWarning.h"

#include <cerrno>
#include <cstdio>
#include <set>

void WarnAboutSettings(const std::string& message) {
    static std::set<std::string> said;
    if (said.insert(message).second) {
        std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, message.c_str());
    }
}
