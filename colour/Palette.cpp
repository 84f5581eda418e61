#include "colour/Palette.h"

#include <charconv>
#include <cstddef>

namespace {

void AppendPadded(std::string& line, const char* begin, const char* end, int width) {
    for (std::ptrdiff_t pad = width - (end - begin); pad > 0; --pad) {
        line += ' ';
    }
    line.append(begin, end);
}

// printf's "%#W.Pf" in the "C" locale.
void AppendFixed(std::string& line, double value, int width, int precision) {
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, precision);
    AppendPadded(line, buffer, result.ptr, width);
}

// printf's "%#Wd".
void AppendInteger(std::string& line, long value, int width) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    AppendPadded(line, buffer, result.ptr, width);
}

}  // namespace

std::string FormatLogLine(const PaletteColumn& c) {
    std::string line;
    line.reserve(96);
    AppendFixed(line, c.nm, 5, 1);
    line += ", ";
    for (double value : {c.X, c.Y, c.Z, c.x, c.y}) {
        AppendFixed(line, value, 5, 3);
        line += ",  ";
    }
    AppendInteger(line, static_cast<long>(c.rgb & 0xFF), 3);
    line += ",  ";
    AppendInteger(line, static_cast<long>((c.rgb >> 8) & 0xFF), 3);
    line += ",  ";
    AppendInteger(line, static_cast<long>((c.rgb >> 16) & 0xFF), 3);
    line += ",  ";
    AppendFixed(line, c.specX, 5, 3);
    line += ",  ";
    AppendFixed(line, c.specY, 5, 3);
    line += ",  ";
    AppendInteger(line, c.mask, 1);
    return line;
}

void BuildPalette(double bottom, double top, double intensity, int nColumns, PackedColour* colours,
                  TextFileHandle log) {
    CColour spectral;
    const CGamutClipper clipper(ClippingSpace());
    for (int i = 0; i < nColumns; ++i) {
        // Divided by the number of columns, so the last column stops short of top.
        const double nm = bottom + (static_cast<double>(i) / nColumns) * (top - bottom);
        spectral.SetWavelength(nm);
        double x = spectral.x;
        double y = spectral.y;
        const int mask = clipper.Clip(x, y);
        CColour shown(x, y, spectral.Y);
        colours[i] = shown.GetRGB(intensity);
        if (log != 0) {
            WriteTextLine(log,
                          FormatLogLine({nm, shown.X, shown.Y, shown.Z, x, y, colours[i], spectral.x,
                                         spectral.y, mask}),
                          1);
        }
    }
}
