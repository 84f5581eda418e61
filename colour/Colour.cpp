#include "colour/Colour.h"

#include <cmath>

namespace {

struct Matching {
    double x, y, z;
};

// CIE 1964 supplementary standard colorimetric observer (10 degrees), 380 to 780 nm
// in steps of 5 nm, to four decimal places.
constexpr Matching kMatching[81] = {
    {0.0002, 0.0000, 0.0007}, {0.0007, 0.0001, 0.0029}, {0.0024, 0.0003, 0.0105}, {0.0072, 0.0008, 0.0323},
    {0.0191, 0.0020, 0.0860}, {0.0434, 0.0045, 0.1971}, {0.0847, 0.0088, 0.3894}, {0.1406, 0.0145, 0.6568},
    {0.2045, 0.0214, 0.9725}, {0.2647, 0.0295, 1.2825}, {0.3147, 0.0387, 1.5535}, {0.3577, 0.0496, 1.7985},
    {0.3837, 0.0621, 1.9673}, {0.3867, 0.0747, 2.0273}, {0.3707, 0.0895, 1.9948}, {0.3430, 0.1063, 1.9007},
    {0.3023, 0.1282, 1.7454}, {0.2541, 0.1528, 1.5549}, {0.1956, 0.1852, 1.3176}, {0.1323, 0.2199, 1.0302},
    {0.0805, 0.2536, 0.7721}, {0.0411, 0.2977, 0.5701}, {0.0162, 0.3391, 0.4153}, {0.0051, 0.3954, 0.3024},
    {0.0038, 0.4608, 0.2185}, {0.0154, 0.5314, 0.1592}, {0.0375, 0.6067, 0.1120}, {0.0714, 0.6857, 0.0822},
    {0.1177, 0.7618, 0.0607}, {0.1730, 0.8233, 0.0431}, {0.2365, 0.8752, 0.0305}, {0.3042, 0.9238, 0.0206},
    {0.3768, 0.9620, 0.0137}, {0.4516, 0.9822, 0.0079}, {0.5298, 0.9918, 0.0040}, {0.6161, 0.9991, 0.0011},
    {0.7052, 0.9973, 0.0000}, {0.7938, 0.9824, 0.0000}, {0.8787, 0.9556, 0.0000}, {0.9512, 0.9152, 0.0000},
    {1.0142, 0.8689, 0.0000}, {1.0743, 0.8256, 0.0000}, {1.1185, 0.7774, 0.0000}, {1.1343, 0.7204, 0.0000},
    {1.1240, 0.6583, 0.0000}, {1.0891, 0.5939, 0.0000}, {1.0305, 0.5280, 0.0000}, {0.9507, 0.4618, 0.0000},
    {0.8563, 0.3981, 0.0000}, {0.7549, 0.3396, 0.0000}, {0.6475, 0.2835, 0.0000}, {0.5351, 0.2283, 0.0000},
    {0.4316, 0.1798, 0.0000}, {0.3437, 0.1402, 0.0000}, {0.2683, 0.1076, 0.0000}, {0.2043, 0.0812, 0.0000},
    {0.1526, 0.0603, 0.0000}, {0.1122, 0.0441, 0.0000}, {0.0813, 0.0318, 0.0000}, {0.0579, 0.0226, 0.0000},
    {0.0409, 0.0159, 0.0000}, {0.0286, 0.0111, 0.0000}, {0.0199, 0.0077, 0.0000}, {0.0138, 0.0054, 0.0000},
    {0.0096, 0.0037, 0.0000}, {0.0066, 0.0026, 0.0000}, {0.0046, 0.0018, 0.0000}, {0.0031, 0.0012, 0.0000},
    {0.0022, 0.0008, 0.0000}, {0.0015, 0.0006, 0.0000}, {0.0010, 0.0004, 0.0000}, {0.0007, 0.0003, 0.0000},
    {0.0005, 0.0002, 0.0000}, {0.0004, 0.0001, 0.0000}, {0.0003, 0.0001, 0.0000}, {0.0002, 0.0001, 0.0000},
    {0.0001, 0.0000, 0.0000}, {0.0001, 0.0000, 0.0000}, {0.0001, 0.0000, 0.0000}, {0.0000, 0.0000, 0.0000},
    {0.0000, 0.0000, 0.0000},
};

constexpr double kDefaultGamma = 2.4;

// Determinant of the matrix with columns a, b, c.
double Determinant(const double a[3], const double b[3], const double c[3]) {
    return a[0] * (b[1] * c[2] - b[2] * c[1]) - b[0] * (a[1] * c[2] - a[2] * c[1]) +
           c[0] * (a[1] * b[2] - a[2] * b[1]);
}

std::uint32_t EncodeChannel(double linear, double gamma, double intensity) {
    double v = (1.055 * std::pow(linear, 1.0 / gamma) - 0.055) * 255.0 * intensity + 0.5;
    if (v > 255) {
        v = 255;
    }
    if (!(v >= 0)) {
        v = 0;  // below zero, or not a number (the power of a negative channel)
    }
    return static_cast<std::uint32_t>(v);
}

}  // namespace

double Interpolate(double l, double l0, double l1, double a, double b) {
    return a + (l - l0) / (l1 - l0) * (b - a);
}

CColour::CColour(double cx, double cy, double cY) {
    if (cy == 0) {
        return;  // no luminance can be spread over a chromaticity without y: the zero colour
    }
    x = cx;
    y = cy;
    Y = cY;
    X = cY * cx / cy;
    Z = cY * (1 - cx - cy) / cy;
    z = 1 - cx - cy;
}

CColour::CColour(PackedColour packed) {
    const double r = (packed & 0xFF) / 255.0;
    const double g = ((packed >> 8) & 0xFF) / 255.0;
    const double b = ((packed >> 16) & 0xFF) / 255.0;
    X = 0.431 * r + 0.342 * g + 0.178 * b;
    Y = 0.222 * r + 0.707 * g + 0.071 * b;
    Z = 0.020 * r + 0.130 * g + 0.939 * b;
    ComputeChromaticity();
}

void CColour::SetWavelength(double nm) {
    SpectrumToXYZ(nm);
    ComputeChromaticity();
}

void CColour::ComputeChromaticity() {
    sum = X + Y + Z;
    if (sum == 0) {
        x = y = z = 0;
    } else {
        x = X / sum;
        y = Y / sum;
        z = Z / sum;
    }
}

void CColour::SpectrumToXYZ(double nm) {
    if (!(nm >= 380 && nm <= 775)) {
        X = Y = Z = 0;
        return;
    }
    // The row comes from the wavelength rounded half up; the interpolation uses it unrounded.
    const int k = (static_cast<int>(std::floor(nm + 0.5)) - 380) / 5;
    const double l0 = 380 + 5.0 * k;
    const double l1 = l0 + 5;
    X = Interpolate(nm, l0, l1, kMatching[k].x, kMatching[k + 1].x);
    Y = Interpolate(nm, l0, l1, kMatching[k].y, kMatching[k + 1].y);
    Z = Interpolate(nm, l0, l1, kMatching[k].z, kMatching[k + 1].z);
}

void CColour::XYZToRGB(const CColourSpace& space, double cX, double cY, double cZ, double& R, double& G,
                       double& B) {
    const double red[3] = {space.red.x, space.red.y, 1 - space.red.x - space.red.y};
    const double green[3] = {space.green.x, space.green.y, 1 - space.green.x - space.green.y};
    const double blue[3] = {space.blue.x, space.blue.y, 1 - space.blue.x - space.blue.y};
    const double xyz[3] = {cX, cY, cZ};
    const double d = Determinant(red, green, blue);
    R = Determinant(xyz, green, blue) / d;
    G = Determinant(red, xyz, blue) / d;
    B = Determinant(red, green, xyz) / d;
}

PackedColour CColour::GetRGB(double intensity) {
    double R = 0, G = 0, B = 0;
    XYZToRGB(Rec709Space, X, Y, Z, R, G, B);
    CRegEntry& gammaEntry = m_store.GetEntry(u"Gamma");
    double gamma = gammaEntry.GetNumber();
    if (gamma <= 0) {
        gammaEntry.SetNumber(kDefaultGamma);
        gamma = kDefaultGamma;
    }
    return EncodeChannel(R, gamma, intensity) | EncodeChannel(G, gamma, intensity) << 8 |
           EncodeChannel(B, gamma, intensity) << 16;
}
