#pragma once

// Plane geometry of the CIE xy chromaticity diagram, and gamut clipping.

struct CColourPoint {
    double x = 0;
    double y = 0;
};

// A colour space given by the chromaticities of its primaries and white point.
class CColourSpace {
  public:
    CColourSpace(double rx, double ry, double gx, double gy, double bx, double by, double wx, double wy)
        : red{rx, ry}, green{gx, gy}, blue{bx, by}, white{wx, wy} {}

    CColourPoint red;
    CColourPoint green;
    CColourPoint blue;
    CColourPoint white;
};

// The ITU-R BT.709 primaries with the D65 white: every XYZ -> RGB conversion uses them.
extern const CColourSpace Rec709Space;

// The same primaries with the white point moved right to x = 0.3727: colours are
// clipped towards it.
CColourSpace ClippingSpace();

// A straight line y = m x + c through two points.
class CLine {
  public:
    CLine(double x1, double y1, double x2, double y2);

    double Slope() const { return m_slope; }
    double Intercept() const { return m_intercept; }

    bool IsAbove(double x, double y) const { return m_slope * x + m_intercept < y; }
    bool IsBelow(double x, double y) const { return m_slope * x + m_intercept > y; }
    // The crossing point with `other`; false (x and y unchanged) for parallel lines.
    bool Intersect(const CLine& other, double& x, double& y) const;

  private:
    double m_slope;
    double m_intercept;
};

// Clip mask bits: which edge of the primaries' triangle a point was moved onto.
constexpr int kClipRedBlue = 1;
constexpr int kClipRedGreen = 2;
constexpr int kClipGreenBlue = 4;

// Moves chromaticities that lie outside a space's triangle of primaries along the
// line towards its white point onto the triangle's edge.
class CGamutClipper {
  public:
    explicit CGamutClipper(const CColourSpace& space);

    // Clips (x, y) in place; returns the mask of the edges it crossed (0..7).
    int Clip(double& x, double& y) const;

  private:
    void MoveOntoEdge(const CLine& edge, double& x, double& y) const;

    CColourPoint m_white;
    CLine m_redGreen;
    CLine m_greenBlue;
    CLine m_redBlue;
};
