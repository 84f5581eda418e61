#include "platform/posix/RegFileText.h"

#include "platform/posix/Utf8.h"

namespace {

bool StartsWith(const std::string& bytes, const char* prefix, std::size_t length) {
    return bytes.compare(0, length, prefix, length) == 0;
}

// The lines of the text, each without its line end.
template <typename Text>
std::vector<Text> SplitLines(const Text& text) {
    std::vector<Text> lines;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = start;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n') {
            ++end;
        }
        lines.push_back(text.substr(start, end - start));
        const bool crlf = end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n';
        start = end + (crlf ? 2 : 1);
    }
    return lines;
}

std::u16string Utf16Units(const std::string& bytes, std::size_t from) {
    std::u16string units;
    for (std::size_t k = from; k + 1 < bytes.size(); k += 2) {
        units += static_cast<char16_t>(static_cast<unsigned char>(bytes[k]) |
                                       static_cast<unsigned char>(bytes[k + 1]) << 8);
    }
    return units;
}

}  // namespace

std::vector<std::optional<std::u16string>> DecodeLines(const std::string& bytes) {
    std::vector<std::optional<std::u16string>> lines;
    if (StartsWith(bytes, "\xFF\xFE", 2)) {
        for (std::u16string& line : SplitLines(Utf16Units(bytes, 2))) {
            lines.emplace_back(std::move(line));
        }
        if (bytes.size() % 2 != 0 && !lines.empty()) {
            lines.back() = std::nullopt;  // cut in the middle of its last unit
        }
        return lines;
    }
    const std::size_t bom = StartsWith(bytes, "\xEF\xBB\xBF", 3) ? 3 : 0;
    for (const std::string& line : SplitLines(bytes.substr(bom))) {
        lines.push_back(FromUtf8(line));
    }
    return lines;
}
