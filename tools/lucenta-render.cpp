// lucenta-render --width W --height H --rows N --out FILE.png [options of a run]
// Computes the saver's picture on a W x H window after N rows, without a window,
// from the current user's settings, and writes it as a PNG.
#include <png.h>

#include <iostream>
#include <string>
#include <vector>

#include "platform/posix/WholeFile.h"
#include "shell/MemorySurface.h"
#include "shell/ProgramUsage.h"
#include "shell/RingCanvas.h"
#include "shell/StandardStreams.h"
#include "tools/RenderOptions.h"

namespace {

constexpr char kProgram[] = "lucenta-render";

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
        std::cerr << kProgram << ": cannot write " << path << ": " << reason << "\n";
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    PrepareStandardStreams();
    if (const std::optional<int> answered = AnswerHelpOrVersion(argc, argv, kProgram, RenderUsage())) {
        return *answered;
    }
    std::string error;
    const std::optional<RenderOptions> parsed = ParseRenderOptions(argc, argv, error);
    if (!parsed) {
        return RefuseArguments(kProgram, error, RenderUsage());
    }
    const RenderOptions& options = *parsed;
    CRingCanvas canvas;
    ApplyOverrides(canvas.Settings(),
                   options.overrides);  // a first run stores the defaults, as the saver does
    canvas.Setup(options.width, options.height);

    CMemorySurface surface(options.width, options.height);
    surface.Fill(canvas.Background());
    canvas.DrawRows(surface, options.rows);
    return WritePng(surface, options.out) ? 0 : 1;
}
