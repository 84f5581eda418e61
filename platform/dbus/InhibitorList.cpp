#include "platform/dbus/InhibitorList.h"

#include <unistd.h>

#include <cstdio>
#include <sstream>

#include "platform/posix/UserFolders.h"
#include "platform/posix/WholeFile.h"
#include "settings/NumberText.h"

namespace {

constexpr std::size_t kMaxListSize = 256 * 1024;

bool IsUniqueName(std::string_view name) {
    return name.size() > 1 && name[0] == ':' &&
           name.find_first_not_of("0123456789.", 1) == std::string_view::npos;
}

}  // namespace

std::string InhibitorListText(const std::vector<Inhibitor>& inhibitors) {
    std::string text;
    for (const Inhibitor& inhibitor : inhibitors) {
        text += std::to_string(inhibitor.cookie) + " " + inhibitor.caller + "\n";
    }
    return text;
}

std::vector<Inhibitor> ParseInhibitorList(std::string_view text) {
    std::vector<Inhibitor> inhibitors;
    while (!text.empty()) {
        const std::string_view line = text.substr(0, text.find('\n'));
        text.remove_prefix(std::min(text.size(), line.size() + 1));
        const std::size_t space = line.find(' ');
        const auto cookie = ParseWholeInteger(line.substr(0, space), 1, UINT32_MAX);
        const std::string_view caller = space == std::string_view::npos ? "" : line.substr(space + 1);
        if (cookie && IsUniqueName(caller)) {
            inhibitors.push_back({static_cast<std::uint32_t>(*cookie), std::string(caller)});
        }
    }
    return inhibitors;
}

std::string InhibitorListPath(const std::string& busId) {
    std::string reason;
    const std::string folder = UserRuntimeFolder(reason);
    return folder.empty() ? "" : folder + "/lucenta-inhibitors-" + busId;
}

std::vector<Inhibitor> ReadInhibitorList(const std::string& path) {
    std::string text;
    std::string reason;
    return ReadWholeFile(path, kMaxListSize, text, reason) == ReadStatus::Ok ? ParseInhibitorList(text)
                                                                             : std::vector<Inhibitor>();
}

void WriteInhibitorList(const std::string& path, const std::vector<Inhibitor>& inhibitors) {
    std::string reason;
    if (inhibitors.empty()) {
        unlink(path.c_str());
    } else if (!ReplaceWholeFile(path, InhibitorListText(inhibitors), ReplaceOptions(), reason)) {
        std::fprintf(stderr, "lucenta: %s: %s\n", path.c_str(), reason.c_str());
    }
}
