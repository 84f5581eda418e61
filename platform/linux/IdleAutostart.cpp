#include "platform/linux/IdleAutostart.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "platform/posix/WholeFile.h"
#include "settings/NumberText.h"

namespace {

constexpr std::size_t kMaxEntrySize = 64 * 1024;

// The folders of the path, made readable by the user alone (0700), as desktops make them.
bool MakeFolders(const std::string& path) {
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        if (mkdir(path.substr(0, slash).c_str(), 0700) != 0 && errno != EEXIST) {
            return false;
        }
    }
    return true;
}

// The program that the PATH finds under `name`, as the system resolves it.
std::string FoundOnPath(const char* name) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "");
    for (std::string folder; std::getline(folders, folder, ':');) {
        char resolved[PATH_MAX];
        const std::string candidate = folder + "/" + name;
        if (!folder.empty() && access(candidate.c_str(), X_OK) == 0 &&
            realpath(candidate.c_str(), resolved)) {
            return resolved;
        }
    }
    return "";
}

}  // namespace

std::string IdleAutostartEntry(const std::string& command, int minutes) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Lucenta when idle\n"
           "Comment=Shows the Lucenta screen saver after " +
           std::to_string(minutes) +
           " minutes without input\n"
           "Exec=" +
           command + " --idle " + std::to_string(minutes) +
           "\n"
           "NoDisplay=true\n"
           "NotShowIn=MATE;XFCE;X-Cinnamon;\n"
           "X-GNOME-Autostart-enabled=true\n";
}

std::optional<int> IdleMinutesOf(const std::string& entry) {
    std::istringstream lines(entry);
    std::optional<int> minutes;
    for (std::string line; std::getline(lines, line);) {
        if (line == "Hidden=true") {
            return std::nullopt;
        }
        const std::size_t idle = line.rfind(" --idle ");
        if (line.rfind("Exec=", 0) == 0 && idle != std::string::npos) {
            const auto number = ParseWholeInteger(std::string_view(line).substr(idle + 8), 1, 1440);
            minutes = number ? std::optional<int>(static_cast<int>(*number)) : std::nullopt;
        }
    }
    return minutes;
}

std::string IdleAutostartPath() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    const std::string folder =
        config != nullptr && config[0] == '/' ? config : std::string(home ? home : "") + "/.config";
    return folder + "/autostart/lucenta-idle.desktop";
}

std::optional<int> ReadIdleAutostart() {
    std::string text;
    std::string reason;
    return ReadWholeFile(IdleAutostartPath(), kMaxEntrySize, text, reason) == ReadStatus::Ok
               ? IdleMinutesOf(text)
               : std::nullopt;
}

bool WriteIdleAutostart(std::optional<int> minutes, const std::string& command, std::string& reason) {
    const std::string path = IdleAutostartPath();
    if (!minutes) {
        const bool removed = unlink(path.c_str()) == 0 || errno == ENOENT;
        reason = removed ? "" : std::strerror(errno);
        return removed;
    }
    if (!MakeFolders(path)) {
        reason = std::strerror(errno);
        return false;
    }
    ReplaceOptions entry;
    entry.newMode = 0644;
    return ReplaceWholeFile(path, IdleAutostartEntry(command, *minutes), entry, reason);
}

std::string AutostartCommand(const std::string& program) {
    char resolved[PATH_MAX];
    if (realpath(program.c_str(), resolved) != nullptr && FoundOnPath("lucenta") == resolved) {
        return "lucenta";
    }
    if (program.find_first_of(" \t\n\"'\\><~|&;$*?#()`%=") == std::string::npos) {
        return program;
    }
    // Quoted as an argument, then escaped as the entry's string value: a backslash
    // before ", `, $ and \ in the argument, each backslash doubled in the value.
    std::string quoted = "\"";
    for (const char c : program) {
        quoted += c == '%'                           ? std::string("%%")
                  : c == '\\'                        ? std::string("\\\\\\\\")
                  : c == '"' || c == '`' || c == '$' ? std::string("\\\\") + c
                                                     : std::string(1, c);
    }
    return quoted + "\"";
}
