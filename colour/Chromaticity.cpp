#include "colour/Chromaticity.h"

const CColourSpace Rec709Space(0.64, 0.33, 0.30, 0.60, 0.15, 0.06, 0.3127, 0.3291);

CColourSpace ClippingSpace() {
    return CColourSpace(0.64, 0.33, 0.30, 0.60, 0.15, 0.06, 0.3727, 0.3291);
}

CLine::CLine(double x1, double y1, double x2, double y2)
    : m_slope((y2 - y1) / (x2 - x1)), m_intercept(y1 - m_slope * x1) {}

bool CLine::Intersect(const CLine& other, double& x, double& y) const {
    const double m1 = m_slope;
    const double c1 = m_intercept;
    const double m2 = other.m_slope;
    const double c2 = other.m_intercept;
    if (m1 - m2 == 0) {
        return false;
    }
    x = (c2 - c1) / (m1 - m2);
    y = (m1 * c2 - m2 * c1) / (m1 - m2);
    return true;
}

CGamutClipper::CGamutClipper(const CColourSpace& space)
    : m_white(space.white),
      m_redGreen(space.red.x, space.red.y, space.green.x, space.green.y),
      m_greenBlue(space.green.x, space.green.y, space.blue.x, space.blue.y),
      m_redBlue(space.red.x, space.red.y, space.blue.x, space.blue.y) {}

void CGamutClipper::MoveOntoEdge(const CLine& edge, double& x, double& y) const {
    if (x == m_white.x) {
        // The line to the white point is vertical and has no slope: keep x.
        y = edge.Slope() * x + edge.Intercept();
        return;
    }
    const CLine toWhite(x, y, m_white.x, m_white.y);
    toWhite.Intersect(edge, x, y);
}

int CGamutClipper::Clip(double& x, double& y) const {
    int mask = 0;
    if (m_redBlue.IsBelow(x, y)) {
        MoveOntoEdge(m_redBlue, x, y);
        mask = kClipRedBlue;
    }
    if (m_redGreen.IsAbove(x, y)) {
        MoveOntoEdge(m_redGreen, x, y);
        mask += kClipRedGreen;
    }
    if (m_greenBlue.IsAbove(x, y)) {
        MoveOntoEdge(m_greenBlue, x, y);
        mask += kClipGreenBlue;
    }
    return mask;
}
