#include "platform/linux/XscreensaverInstall.h"

#include <sys/stat.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/posix/WholeFile.h"

namespace {

constexpr const char* kEntryIndent = "\t\t\t\t";
constexpr const char* kEntryEnd = "\t\t\t\t    \\n";  // the entry's "\n", aligned as xscreensaver aligns it
constexpr const char* kProgramsLine = "programs:\t\t\t\t\t\t\t      \\";
constexpr std::size_t kMaxFileSize = 16 * 1024 * 1024;

// A line of the file and the line end it had: "\n", "\r\n", or none for a last line without one.
struct Line {
    std::string body;
    std::string end;
};

std::vector<Line> SplitLines(const std::string& text) {
    std::vector<Line> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        const bool crlf = end > start && text[end - 1] == '\r';
        lines.push_back({text.substr(start, end - start - (crlf ? 1 : 0)), crlf ? "\r\n" : "\n"});
    }
    if (start < text.size()) {
        lines.push_back({text.substr(start), ""});
    }
    return lines;
}

// New lines end as the file's first line does.
std::string LineEndOf(const std::vector<Line>& lines) {
    return lines.empty() || lines.front().end.empty() ? "\n" : lines.front().end;
}

std::string Join(const std::vector<Line>& lines) {
    std::string text;
    for (const Line& line : lines) {
        text += line.body + line.end;
    }
    return text;
}

// Puts a new line before `position`; a line added after the last takes over its
// line end (or its lack of one), and the old last line gets the file's.
void InsertLine(std::vector<Line>& lines, std::size_t position, const std::string& body,
                const std::string& eol) {
    Line line{body, eol};
    if (position == lines.size() && !lines.empty()) {
        line.end = lines.back().end;
        lines.back().end = eol;
    }
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(position), line);
}

std::string Trim(const std::string& s) {
    const std::size_t first = s.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return "";
    }
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

bool Continues(const std::string& body) {
    return !body.empty() && body.back() == '\\';
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
std::string ValueOf(const std::vector<Line>& lines, std::size_t first, std::size_t last) {
    std::string value;
    for (std::size_t k = first; k <= last; ++k) {
        const std::string& body = lines[k].body;
        value += Continues(body) ? body.substr(0, body.size() - 1) : body;
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

// What the file was when it was read: it is replaced only if it still is.
struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    bool operator==(const FileStamp& other) const {
        return device == other.device && inode == other.inode && size == other.size &&
               modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec;
    }
};

FileStamp StampOf(const struct stat& info) {
    return {info.st_dev, info.st_ino, info.st_size, info.st_mtim};
}

// A new ~/.xscreensaver with xscreensaver's own list of hacks and Lucenta in it.
void CreateWithDefaultList(const std::string& path, const std::string& command,
                           const std::string& appDefaults, std::ostream& out) {
    std::string defaults;
    std::string reason;
    if (ReadWholeFile(appDefaults, kMaxFileSize, defaults, reason) != ReadStatus::Ok) {
        out << "xscreensaver does not seem to be installed (" << appDefaults << ": " << reason
            << "); nothing is written.\n";
        return;
    }
    const std::optional<std::string> programs = ProgramsOfDefaults(defaults);
    const std::optional<std::string> added = AddProgramEntry(programs.value_or(""), command);
    ReplaceOptions newFile;
    newFile.newMode = 0644;
    if (!programs || !added || !ReplaceWholeFile(path, *added, newFile, reason)) {
        out << "Cannot write " << path << ": "
            << (programs ? reason : appDefaults + " lists no hacks") + "; nothing is written.\n";
        return;
    }
    out << "Lucenta is added to xscreensaver's list as \"" << command << "\" in a new " << path
        << ", which holds xscreensaver's own list of hacks and nothing else.\n";
}

}  // namespace

std::optional<std::string> ProgramsOfDefaults(const std::string& appDefaults) {
    std::vector<Line> lines = SplitLines(appDefaults);
    std::size_t first = 0;
    while (first < lines.size() && Trim(lines[first].body).rfind("*programs:", 0) != 0) {
        ++first;
    }
    if (first == lines.size()) {
        return std::nullopt;
    }
    std::size_t last = first;
    while (Continues(lines[last].body) && last + 1 < lines.size()) {
        ++last;
    }
    std::vector<Line> list(lines.begin() + static_cast<std::ptrdiff_t>(first),
                           lines.begin() + static_cast<std::ptrdiff_t>(last) + 1);
    list.front().body = Trim(list.front().body).substr(1);  // "programs:", as a user's file says it
    list.back().end = LineEndOf(lines);
    return Join(list);
}

std::optional<std::string> AddProgramEntry(const std::string& text, const std::string& command) {
    std::vector<Line> lines = SplitLines(text);
    const std::string eol = LineEndOf(lines);
    std::size_t first = 0;
    while (first < lines.size() && !IsProgramsLine(lines[first].body)) {
        ++first;
    }
    if (first == lines.size()) {
        if (!lines.empty()) {
            lines.back().end = eol;
        }
        lines.push_back({kProgramsLine, eol});
        lines.push_back({kEntryIndent + command + kEntryEnd + "\\", eol});
        lines.push_back({"", eol});
        return Join(lines);
    }
    std::size_t last = first;
    while (Continues(lines[last].body) && last + 1 < lines.size()) {
        ++last;
    }
    if (ListsLucenta(ValueOf(lines, first, last))) {
        return std::nullopt;
    }
    const std::string entry = kEntryIndent + command + kEntryEnd;
    if (last > first && Trim(lines[last].body).empty()) {
        // xscreensaver's own layout: every entry goes on to the next line, and a
        // blank line ends the list.
        InsertLine(lines, last, entry + "\\", eol);
    } else {
        // The list's last line now ends its entry and goes on to the new one.
        std::string& end = lines[last].body;
        if (Continues(end)) {
            end.pop_back();  // the file ended inside the list
        }
        const std::string value = Trim(last == first ? end.substr(end.find(':') + 1) : end);
        if (!value.empty() && (value.size() < 2 || value.compare(value.size() - 2, 2, "\\n") != 0)) {
            end += "\\n";
        }
        end += "\\";
        InsertLine(lines, last + 1, entry, eol);
    }
    return Join(lines);
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

void InstallInXscreensaver(const std::string& home, const std::string& command,
                           const std::string& appDefaults, std::ostream& out) {
    const std::string path = home + "/.xscreensaver";
    struct stat before {};
    const bool there = stat(path.c_str(), &before) == 0;
    std::string text;
    std::string reason;
    switch (ReadWholeFile(path, kMaxFileSize, text, reason)) {
        case ReadStatus::Missing:
            CreateWithDefaultList(path, command, appDefaults, out);
            return;
        case ReadStatus::TooLarge:
        case ReadStatus::Failed:
            out << "Cannot read " << path << ": " << reason << ".\n";
            return;
        case ReadStatus::Ok:
            break;
    }
    const std::optional<std::string> added = AddProgramEntry(text, command);
    if (!added) {
        out << "Lucenta is in xscreensaver's list already (" << path << ").\n";
        return;
    }
    const std::string backup = path + ".bak";
    const ReplaceOptions keepOwner{static_cast<mode_t>(before.st_mode & 07777), &before, {}};
    struct stat now {};
    if (!there || stat(path.c_str(), &now) != 0 || !(StampOf(now) == StampOf(before))) {
        out << path << " changed while Lucenta was being added to it (another program saved it); it is left "
            << "as that program wrote it. Run 'lucenta -i' again.\n";
        return;
    }
    if (!ReplaceWholeFile(backup, text, keepOwner, reason) ||
        !ReplaceWholeFile(path, *added, keepOwner, reason)) {
        out << "Cannot write " << path << ": " << reason << "; it is unchanged.\n";
        return;
    }
    out << "Lucenta is added to xscreensaver's list as \"" << command << "\" in " << path
        << "; the previous file is kept as " << backup << ".\n";
}
