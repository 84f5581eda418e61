#include "platform/linux/IdleAutostart.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <sstream>

#include "platform/linux/IdleMinutes.h"
#include "platform/posix/UserFolders.h"
#include "platform/posix/WholeFile.h"

namespace {

constexpr std::size_t kMaxEntrySize = 64 * 1024;
constexpr std::string_view kIdleWord = " --idle ";
constexpr const char* kComment = "Shows the Lucenta screen saver after ";

// As few digits as tell the number again, in any locale: "3", "2.5".
std::string MinutesText(double minutes) {
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, minutes);
    return std::string(text, written.ptr);
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

std::string IdleAutostartEntry(const std::string& command, double minutes) {
    const std::string number = MinutesText(minutes);
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Lucenta when idle\n"
           "Comment=" +
           std::string(kComment) + number +
           " minutes without input\n"
           "Exec=" +
           command + " --idle " + number +
           "\n"
           "NoDisplay=true\n"
           "NotShowIn=MATE;XFCE;X-Cinnamon;\n"
           "X-GNOME-Autostart-enabled=true\n";
}

std::vector<std::string> IdleAutostartWords(const std::string& entry) {
    std::istringstream lines(entry);
    std::vector<std::string> words;
    for (std::string line; std::getline(lines, line);) {
        const std::size_t idle = line.rfind(kIdleWord);
        if (line.rfind("Exec=", 0) == 0 && idle != std::string::npos) {
            std::istringstream after(line.substr(idle + kIdleWord.size()));
            words.assign(std::istream_iterator<std::string>(after), std::istream_iterator<std::string>());
        }
    }
    return words;
}

std::optional<IdleAutostartState> IdleAutostartStateOf(const std::string& entry) {
    const std::vector<std::string> words = IdleAutostartWords(entry);
    const std::optional<double> minutes = words.empty() ? std::nullopt : ParseIdleMinutes(words[0]);
    if (!minutes) {
        return std::nullopt;
    }
    const std::string lines = "\n" + entry + "\n";
    const bool off = lines.find("\nHidden=true\n") != std::string::npos ||
                     lines.find("\nX-GNOME-Autostart-enabled=false\n") != std::string::npos;
    return IdleAutostartState{!off, *minutes};
}

std::string IdleAutostartChanged(const std::string& entry, const IdleAutostartState& state) {
    std::istringstream lines(entry);
    std::string changed;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("Hidden=", 0) == 0 || line.rfind("X-GNOME-Autostart-enabled=", 0) == 0) {
            continue;  // written anew below
        }
        const std::size_t idle = line.rfind(kIdleWord);
        if (line.rfind("Exec=", 0) == 0 && idle != std::string::npos) {
            const std::size_t from = idle + kIdleWord.size();
            const std::size_t to = line.find(' ', from);
            line = line.substr(0, from) + MinutesText(state.minutes) +
                   (to == std::string::npos ? "" : line.substr(to));
        } else if (line.rfind(std::string("Comment=") + kComment, 0) == 0) {
            line = "Comment=" + std::string(kComment) + MinutesText(state.minutes) + " minutes without input";
        }
        changed += line + "\n";
    }
    return changed +
           (state.on ? "X-GNOME-Autostart-enabled=true\n" : "Hidden=true\nX-GNOME-Autostart-enabled=false\n");
}

std::string IdleAutostartPath() {
    return UserConfigFolder() + "/autostart/lucenta-idle.desktop";
}

std::string ReadIdleAutostart() {
    std::string text;
    std::string reason;
    return ReadWholeFile(IdleAutostartPath(), kMaxEntrySize, text, reason) == ReadStatus::Ok ? text : "";
}

bool WriteIdleAutostart(const std::string& entry, std::string& reason) {
    const std::string path = IdleAutostartPath();
    if (!MakeFolders(path.substr(0, path.rfind('/')))) {
        reason = std::strerror(errno);
        return false;
    }
    ReplaceOptions options;
    options.newMode = 0644;
    return ReplaceWholeFile(path, entry, options, reason);
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
