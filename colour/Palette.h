#pragma once

#include <string>

#include "colour/Colour.h"
#include "colour/TextFile.h"

// The colour log written at every set-up of the picture, in the current directory.
inline constexpr char kColourLogName[] = "Colours.log";
inline constexpr char kColourLogHeader[] =
    "   nm      X       Y       Z       x       y     R     G     B   SpecX   SpecY      Test";

// One column of the palette as the log shows it.
struct PaletteColumn {
    double nm;
    double X, Y, Z;  // the displayed colour: clipped chromaticity, spectral luminance
    double x, y;     // the clipped chromaticity
    PackedColour rgb;
    double specX, specY;  // the spectral chromaticity before clipping
    int mask;             // the edges clipping crossed
};

// "%#5.1f, %#5.3f,  ...,  %#3d,  ...,  %#1d", always with a decimal point whatever
// the process's locale.
std::string FormatLogLine(const PaletteColumn& column);

// Gives column i of nColumns the colour of wavelength bottom + i / nColumns *
// (top - bottom), clipped into the display gamut and scaled by the intensity, and
// writes each column's line to `log` (nothing when it is 0).
void BuildPalette(double bottom, double top, double intensity, int nColumns, PackedColour* colours,
                  TextFileHandle log);
