#include "shell/SaverInput.h"

bool CSaverInput::OnMouseMove(int x, int y) {
    const bool seenBefore = m_nLastMouseX != -1 && m_nLastMouseY != -1;
    const bool moved = seenBefore && x != m_nLastMouseX && y != m_nLastMouseY;
    m_nLastMouseX = x;
    m_nLastMouseY = y;
    return moved;
}
