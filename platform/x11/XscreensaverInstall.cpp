#include "platform/x11/XscreensaverInstall.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

constexpr const char* kEntryIndent = "\t\t\t\t";
constexpr const char* kEntryEnd = "\t\t\t\t    \\n";  // the entry's "\n", aligned as xscreensaver aligns it
constexpr const char* kProgramsLine = "programs:\t\t\t\t\t\t\t      \\";

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(text.substr(start, end - start));
    }
    if (start < text.size()) {
        lines.push_back(text.substr(start));  // a last line without its line end
    }
    return lines;
}

std::string Trim(const std::string& s) {
    const std::size_t first = s.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return "";
    }
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

bool Continues(const std::string& line) {
    return !line.empty() && line.back() == '\\';
}

bool IsProgramsLine(const std::string& line) {
    return Trim(line).rfind("programs:", 0) == 0;
}

// The program an entry runs: its first word after "-", a visual and a label.
std::string ProgramOf(std::string entry) {
    entry = Trim(entry);
    if (!entry.empty() && entry.front() == '-') {
        entry = Trim(entry.substr(1));
    }
    const std::size_t firstBlank = entry.find_first_of(" \t");
    const std::string firstWord = entry.substr(0, firstBlank);
    if (!firstWord.empty() && firstWord.back() == ':' &&
        firstWord.find_first_of("\"'/") == std::string::npos) {
        entry = Trim(firstBlank == std::string::npos ? "" : entry.substr(firstBlank));
    }
    if (!entry.empty() && entry.front() == '"') {
        const std::size_t close = entry.find('"', 1);
        entry = close == std::string::npos ? "" : Trim(entry.substr(close + 1));
    }
    if (!entry.empty() && entry.front() == '\'') {
        const std::size_t close = entry.find('\'', 1);
        return close == std::string::npos ? entry.substr(1) : entry.substr(1, close - 1);
    }
    return entry.substr(0, entry.find_first_of(" \t"));
}

bool IsLucenta(const std::string& program) {
    const std::size_t slash = program.rfind('/');
    return program.substr(slash == std::string::npos ? 0 : slash + 1) == "lucenta";
}

// The value of the resource on lines first..last: the lines joined without their
// continuing backslashes, after the resource's name.
std::string ValueOf(const std::vector<std::string>& lines, std::size_t first, std::size_t last) {
    std::string value;
    for (std::size_t k = first; k <= last; ++k) {
        const std::string& line = lines[k];
        value += Continues(line) ? line.substr(0, line.size() - 1) : line;
    }
    return value.substr(value.find(':') + 1);
}

bool ListsLucenta(const std::string& value) {
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = value.find("\\n", start);
        if (IsLucenta(ProgramOf(value.substr(start, end - start)))) {
            return true;
        }
        if (end == std::string::npos) {
            return false;
        }
        start = end + 2;
    }
}

std::string Join(const std::vector<std::string>& lines, bool finalLineEnd) {
    std::string text;
    for (std::size_t k = 0; k < lines.size(); ++k) {
        text += lines[k];
        if (k + 1 < lines.size() || finalLineEnd) {
            text += '\n';
        }
    }
    return text;
}

std::string QuotedForShell(const std::string& path) {
    if (path.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789/._+-") ==
        std::string::npos) {
        return path;
    }
    std::string quoted = "'";
    for (const char c : path) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

enum class ReadResult { Ok, Missing, Failed };

ReadResult ReadFile(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
    }
    std::ostringstream content;
    content << in.rdbuf();
    text = content.str();
    return in.bad() ? ReadResult::Failed : ReadResult::Ok;
}

// Writes beside the target, then renames over it: the target is either the old
// file or the new one, never a part of either.
bool ReplaceFile(const std::string& path, const std::string& text, mode_t mode) {
    const std::string temp = path + ".lucenta-tmp";
    const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    if (fd < 0) {
        return false;
    }
    bool ok = fchmod(fd, mode) == 0;
    for (std::size_t done = 0; ok && done < text.size();) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        ok = n > 0;
        done += ok ? static_cast<std::size_t>(n) : 0;
    }
    ok = fsync(fd) == 0 && ok;
    ok = close(fd) == 0 && ok;
    if (!ok || rename(temp.c_str(), path.c_str()) != 0) {
        unlink(temp.c_str());
        return false;
    }
    return true;
}

}  // namespace

std::optional<std::string> AddProgramEntry(const std::string& text, const std::string& command) {
    std::vector<std::string> lines = SplitLines(text);
    const bool finalLineEnd = text.empty() || text.back() == '\n';
    std::size_t first = 0;
    while (first < lines.size() && !IsProgramsLine(lines[first])) {
        ++first;
    }
    if (first == lines.size()) {
        lines.push_back(kProgramsLine);
        lines.push_back(kEntryIndent + command + kEntryEnd + "\\");
        lines.emplace_back();
        return Join(lines, true);
    }
    std::size_t last = first;
    while (Continues(lines[last]) && last + 1 < lines.size()) {
        ++last;
    }
    if (ListsLucenta(ValueOf(lines, first, last))) {
        return std::nullopt;
    }
    const std::string entry = kEntryIndent + command + kEntryEnd;
    if (last > first && Trim(lines[last]).empty()) {
        // xscreensaver's own layout: every entry goes on to the next line, and a
        // blank line ends the list.
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(last), entry + "\\");
    } else {
        // The list's last line now ends its entry and goes on to the new one.
        std::string& end = lines[last];
        if (Continues(end)) {
            end.pop_back();  // the file ended inside the list
        }
        const std::string value = Trim(last == first ? end.substr(end.find(':') + 1) : end);
        if (!value.empty() && (value.size() < 2 || value.compare(value.size() - 2, 2, "\\n") != 0)) {
            end += "\\n";
        }
        end += "\\";
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(last) + 1, entry);
    }
    return Join(lines, finalLineEnd);
}

std::string SaverCommand(const std::string& executable, const std::string& hackDirectory) {
    char inHackDirectory[PATH_MAX];
    char running[PATH_MAX];
    const std::string hack = hackDirectory + "/lucenta";
    if (realpath(hack.c_str(), inHackDirectory) != nullptr &&
        realpath(executable.c_str(), running) != nullptr && std::strcmp(inHackDirectory, running) == 0) {
        return "lucenta -s";
    }
    return QuotedForShell(executable) + " -s";
}

void InstallInXscreensaver(const std::string& home, const std::string& command, std::ostream& out) {
    const std::string path = home + "/.xscreensaver";
    std::string text;
    switch (ReadFile(path, text)) {
        case ReadResult::Missing:
            out << "There is no " << path
                << " yet: xscreensaver writes it the first time its settings are saved.\n"
                << "Open xscreensaver's settings (xscreensaver-settings) once, then run 'lucenta -i' "
                   "again.\n";
            return;
        case ReadResult::Failed:
            out << "Cannot read " << path << ": " << std::strerror(errno) << "\n";
            return;
        case ReadResult::Ok:
            break;
    }
    const std::optional<std::string> added = AddProgramEntry(text, command);
    if (!added) {
        out << "Lucenta is in xscreensaver's list already (" << path << ").\n";
        return;
    }
    struct stat info {};
    const mode_t mode = stat(path.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0644;
    const std::string backup = path + ".bak";
    if (!ReplaceFile(backup, text, mode) || !ReplaceFile(path, *added, mode)) {
        out << "Cannot write " << path << ": " << std::strerror(errno) << "; it is unchanged.\n";
        return;
    }
    out << "Lucenta is added to xscreensaver's list as \"" << command << "\" in " << path
        << "; the previous file is kept as " << backup << ".\n";
}
