#include "platform/win32/shell/DcSurface.h"

#include "platform/win32/framework/PaintDC.h"

void CDcSurface::Fill(PackedColour colour) {
    const CBrush brush(colour);
    FillRect(m_hDC, &m_area, brush.GetSafeHandle());
}
