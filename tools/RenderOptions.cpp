#include "tools/RenderOptions.h"

#include "settings/NumberText.h"
#include "shell/ProgramUsage.h"

namespace {

constexpr long long kMaxSide = 32768;
constexpr long long kMaxPixels = 1LL << 28;

// The picture's size and rows, checked once all words are read.
std::string TakeSize(const std::string& width, const std::string& height, const std::string& rows,
                     RenderOptions& options) {
    const auto w = ParseWholeInteger(width, 1, kMaxSide);
    const auto h = ParseWholeInteger(height, 1, kMaxSide);
    const auto n = ParseWholeInteger(rows, 0, 1LL << 40);
    if (!w || !h) {
        return "--width and --height take whole numbers from 1 to " + std::to_string(kMaxSide);
    }
    if (*w * *h > kMaxPixels) {
        return "the picture is too large";
    }
    if (!n) {
        return "--rows takes a whole number of 0 or more";
    }
    options.width = static_cast<int>(*w);
    options.height = static_cast<int>(*h);
    options.rows = *n;
    return {};
}

}  // namespace

std::string RenderUsage() {
    return "usage: lucenta-render --width W --height H --rows N --out FILE.png [options]\n" +
           OptionLine("--width W, --height H",
                      "the picture's size in pixels, " + std::to_string(kMaxSide) + " at most") +
           OptionLine("--rows N", "the rows rung and drawn") +
           OptionLine("--out FILE.png", "the file written, whole or not at all") +
           "options of a run, as lucenta -s takes them:\n" + RunOptionsUsage({kSpeed});
}

std::optional<RenderOptions> ParseRenderOptions(int argc, const char* const* argv, std::string& error) {
    RenderOptions options;
    std::string width, height, rows;
    const auto into = [](std::string& text) {
        return [&text](std::string_view value, std::string&) {
            text = value;
            return true;
        };
    };
    const std::vector<ProgramOption> own = {
        {"--width", true, into(width)},
        {"--height", true, into(height)},
        {"--rows", true, into(rows)},
        {"--out", true, into(options.out)},
    };
    const std::vector<std::string_view> words(argv + 1, argv + argc);
    const std::optional<SettingsOverrides> run = ParseRunOptions(words, own, UnknownWords::Refused, error);
    if (!run) {
        return std::nullopt;
    }
    if (run->Of(kSpeed)) {
        error = std::string(RunSettingOf(kSpeed).option) + ": a picture of --rows rows is drawn at no speed";
        return std::nullopt;
    }
    error = width.empty() || height.empty() || rows.empty() || options.out.empty()
                ? "--width, --height, --rows and --out are needed"
                : TakeSize(width, height, rows, options);
    options.overrides = *run;
    return error.empty() ? std::optional<RenderOptions>(options) : std::nullopt;
}
