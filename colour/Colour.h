#pragma once

#include <cstdint>

#include "colour/Chromaticity.h"
#include "colour/PackedColour.h"
#include "settings/Registry.h"

// A colour of visible light: CIE XYZ tristimulus values and their chromaticity,
// converted to a packed screen colour by GetRGB.
class CColour {
  public:
    CColour() = default;
    // From a chromaticity and a luminance; y = 0 gives the zero colour.
    CColour(double x, double y, double Y);
    // From a packed colour, its channels taken as they are (no linearisation).
    explicit CColour(PackedColour packed);

    // XYZ from the colour-matching table, then the sum and the chromaticity.
    void SetWavelength(double nm);
    // XYZ only: 0 outside 380..775 nm, else interpolated in the table.
    void SpectrumToXYZ(double nm);
    // Linear R, G, B for X, Y, Z against the space's primaries (white point unused).
    static void XYZToRGB(const CColourSpace& space, double X, double Y, double Z, double& R, double& G,
                         double& B);
    // The packed colour: gamma-encoded, scaled by the intensity, clamped.
    PackedColour GetRGB(double intensity);

    double X = 0, Y = 0, Z = 0;  // tristimulus values
    double x = 0, y = 0, z = 0;  // chromaticity
    double sum = 0;              // X + Y + Z as last computed

  private:
    void ComputeChromaticity();

    CRegistry m_store{CRegistry::modeCreate};  // never bound to a key; holds "Gamma"
};

// a + (l - l0) / (l1 - l0) * (b - a)
double Interpolate(double l, double l0, double l1, double a, double b);
