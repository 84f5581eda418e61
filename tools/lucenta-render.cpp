// lucenta-render --width W --height H --rows N --out FILE.png [overrides]
// Computes the saver's picture on a W x H window after N rows, without a window,
// from the current user's settings, and writes it as a PNG.
#include <png.h>

#include <iostream>
#include <string>
#include <vector>

#include "platform/posix/WholeFile.h"
#include "ringing/MethodLibrary.h"
#include "settings/SettingsOverrides.h"
#include "shell/MemorySurface.h"
#include "shell/ProgramStart.h"
#include "shell/RingCanvas.h"
#include "tools/ArgParse.h"

namespace {

constexpr const char* kUsage =
    "usage: lucenta-render --width W --height H --rows N --out FILE.png [--method M] [--treble 0|1] "
    "[--background 0|1] [--bottom NM] [--top NM] [--intensity F]";
constexpr long long kMaxSide = 32768;
constexpr long long kMaxPixels = 1LL << 28;

struct Options {
    int width = 0;
    int height = 0;
    long long rows = 0;
    std::string out;
    SettingsOverrides overrides;
};

int Fail(const std::string& message) {
    std::cerr << "lucenta-render: " << message << "\n";
    return 2;
}

// Takes the value of an option that changes a setting for this run; false when
// `name` is no such option. `error` is set when the value is not one it takes.
bool TakeOverride(const std::string& name, const std::string& value, SettingsOverrides& overrides,
                  std::string& error) {
    const auto flag = [&](std::optional<int>& setting) {
        setting = ParseInteger(value, 0, 1);
        error = setting ? "" : "--" + name + " takes 0 or 1, not '" + value + "'";
    };
    const auto number = [&](std::optional<double>& setting, const char* takes) {
        setting = ParseNumber(value);
        error = setting && (name != "bottom" || *setting > 0) ? "" : "--" + name + takes + value + "'";
    };
    if (name == "method") {
        const auto method = ParseInteger(value, -1000, 1000);
        overrides.methodIndex = method && FindMethod(static_cast<int>(*method)) != nullptr
                                    ? std::optional<int>(static_cast<int>(*method) - 1)
                                    : std::nullopt;
        error =
            overrides.methodIndex ? "" : "--method takes a method number (1..8 or 10), not '" + value + "'";
    } else if (name == "treble") {
        flag(overrides.showTreble);
    } else if (name == "background") {
        flag(overrides.background);
    } else if (name == "bottom") {
        // A bottom that is not positive would make the first-run rule reset every setting of the run.
        number(overrides.bottom, " takes a positive number, not '");
    } else if (name == "top") {
        number(overrides.top, " takes a number, not '");
    } else if (name == "intensity") {
        number(overrides.intensity, " takes a number, not '");
    } else {
        return false;
    }
    return true;
}

std::string ParseArguments(int argc, char** argv, Options& options) {
    std::string width, height, rows;
    for (int k = 1; k < argc; ++k) {
        const std::string arg = argv[k];
        if (arg.rfind("--", 0) != 0 || k + 1 >= argc) {
            return arg.rfind("--", 0) == 0 ? arg + " needs a value" : "unexpected argument '" + arg + "'";
        }
        const std::string name = arg.substr(2);
        const std::string value = argv[++k];
        std::string error;
        if (name == "width") {
            width = value;
        } else if (name == "height") {
            height = value;
        } else if (name == "rows") {
            rows = value;
        } else if (name == "out") {
            options.out = value;
        } else if (!TakeOverride(name, value, options.overrides, error)) {
            return "unknown option '" + arg + "'";
        }
        if (!error.empty()) {
            return error;
        }
    }
    const auto w = ParseInteger(width, 1, kMaxSide);
    const auto h = ParseInteger(height, 1, kMaxSide);
    const auto n = ParseInteger(rows, 0, 1LL << 40);
    if (!w || !h) {
        return "--width and --height take whole numbers from 1 to " + std::to_string(kMaxSide);
    }
    if (*w * *h > kMaxPixels) {
        return "the picture is too large";
    }
    if (!n) {
        return "--rows takes a whole number of 0 or more";
    }
    if (options.out.empty()) {
        return kUsage;
    }
    options.width = static_cast<int>(*w);
    options.height = static_cast<int>(*h);
    options.rows = *n;
    return {};
}

// The picture as PNG bytes; std::nullopt, with libpng's reason, when it cannot be made.
std::optional<std::string> PngOf(const CMemorySurface& surface, std::string& reason) {
    std::vector<png_byte> rgb;
    rgb.reserve(static_cast<std::size_t>(surface.Width()) * static_cast<std::size_t>(surface.Height()) * 3);
    for (int y = 0; y < surface.Height(); ++y) {
        for (int x = 0; x < surface.Width(); ++x) {
            const PackedColour c = surface.GetPixel(x, y);
            rgb.push_back(static_cast<png_byte>(c & 0xFF));
            rgb.push_back(static_cast<png_byte>((c >> 8) & 0xFF));
            rgb.push_back(static_cast<png_byte>((c >> 16) & 0xFF));
        }
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(surface.Width());
    image.height = static_cast<png_uint_32>(surface.Height());
    image.format = PNG_FORMAT_RGB;
    png_alloc_size_t size = 0;
    std::string png;
    if (png_image_write_to_memory(&image, nullptr, &size, 0, rgb.data(), 0, nullptr) != 0) {
        png.resize(size);
    }
    if (size == 0 || png_image_write_to_memory(&image, png.data(), &size, 0, rgb.data(), 0, nullptr) == 0) {
        reason = image.message;
        return std::nullopt;
    }
    png.resize(size);
    return png;
}

// Written as the settings dialog writes an export: whole or not at all, through a
// link to its target, and never into what is not a regular file.
bool WritePng(const CMemorySurface& surface, const std::string& path) {
    std::string reason;
    const std::optional<std::string> png = PngOf(surface, reason);
    if (!png || !SaveWholeFile(path, *png, reason)) {
        std::cerr << "lucenta-render: cannot write " << path << ": " << reason << "\n";
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    PrepareStandardStreams();
    Options options;
    const std::string error = ParseArguments(argc, argv, options);
    if (!error.empty()) {
        return Fail(error);
    }
    CRingCanvas canvas;
    ApplyOverrides(canvas.Settings(),
                   options.overrides);  // a first run stores the defaults, as the saver does
    canvas.Setup(options.width, options.height);

    CMemorySurface surface(options.width, options.height);
    surface.Fill(canvas.Background());
    canvas.DrawRows(surface, options.rows);
    return WritePng(surface, options.out) ? 0 : 1;
}
