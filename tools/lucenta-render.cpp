// lucenta-render --width W --height H --rows N --out FILE.png [overrides]
// Computes the saver's picture on a W x H window after N rows, without a window,
// from the current user's settings, and writes it as a PNG.
#include <png.h>

#include <cstdio>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "ringing/MethodLibrary.h"
#include "settings/NumberText.h"
#include "shell/MemorySurface.h"
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
    std::map<std::string, std::string> overrides;  // option name -> value, checked
};

int Fail(const std::string& message) {
    std::cerr << "lucenta-render: " << message << "\n";
    return 2;
}

bool IsOverride(const std::string& name) {
    return name == "method" || name == "treble" || name == "background" || name == "bottom" ||
           name == "top" || name == "intensity";
}

std::string CheckOverride(const std::string& name, const std::string& value) {
    if (name == "method") {
        const auto method = ParseInteger(value, -1000, 1000);
        return method && FindMethod(static_cast<int>(*method)) != nullptr
                   ? ""
                   : "--method takes a method number (1..8 or 10), not '" + value + "'";
    }
    if (name == "treble" || name == "background") {
        return ParseInteger(value, 0, 1) ? "" : "--" + name + " takes 0 or 1, not '" + value + "'";
    }
    const auto number = ParseNumber(value);
    if (name == "bottom") {
        // A bottom that is not positive would make the first-run rule reset every setting of the run.
        return number && *number > 0 ? "" : "--bottom takes a positive number, not '" + value + "'";
    }
    return number ? "" : "--" + name + " takes a number, not '" + value + "'";
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
        if (name == "width") {
            width = value;
        } else if (name == "height") {
            height = value;
        } else if (name == "rows") {
            rows = value;
        } else if (name == "out") {
            options.out = value;
        } else if (IsOverride(name)) {
            const std::string error = CheckOverride(name, value);
            if (!error.empty()) {
                return error;
            }
            options.overrides[name] = value;
        } else {
            return "unknown option '" + arg + "'";
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

// Overrides live in memory only: the stores are unbound before they are applied.
void ApplyOverrides(CSettings& settings, const std::map<std::string, std::string>& overrides) {
    settings.Config().CloseKey();
    settings.Wavelength().CloseKey();
    const auto text = [](const std::string& value) { return std::u16string(value.begin(), value.end()); };
    for (const auto& [name, value] : overrides) {
        if (name == "method") {
            CSettings::SetInteger(settings.Config().GetEntry(kMethod), std::stoi(value) - 1);
        } else if (name == "treble") {
            settings.Config().GetEntry(kShowTreble).SetString(text(value));
        } else if (name == "background") {
            settings.Config().GetEntry(kBackground).SetString(text(value));
        } else {
            CRegistry& store = settings.Wavelength();
            const char16_t* entry = name == "bottom" ? kBottom : name == "top" ? kTop : kIntensity;
            store.GetEntry(entry).SetNumber(*ParseNumber(value));
        }
    }
}

// Written beside the target and renamed over it, so a failure leaves no half-written file.
bool WritePng(const CMemorySurface& surface, const std::string& path) {
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
    const std::string temp = path + ".tmp";
    if (png_image_write_to_file(&image, temp.c_str(), 0, rgb.data(), 0, nullptr) == 0) {
        std::cerr << "lucenta-render: cannot write " << path << ": " << image.message << "\n";
        std::remove(temp.c_str());
        return false;
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        std::perror(("lucenta-render: cannot write " + path).c_str());
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    const std::string error = ParseArguments(argc, argv, options);
    if (!error.empty()) {
        return Fail(error);
    }
    CRingCanvas canvas;
    canvas.Settings().WriteDefaults();  // a first run stores the defaults, as the saver does
    ApplyOverrides(canvas.Settings(), options.overrides);
    canvas.Setup(options.width, options.height);

    CMemorySurface surface(options.width, options.height);
    surface.Fill(canvas.Background());
    canvas.DrawRows(surface, options.rows);
    return WritePng(surface, options.out) ? 0 : 1;
}
