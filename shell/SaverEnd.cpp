#include "shell/SaverEnd.h"

std::optional<int> CSaverEndJudge::ExitStatusOf(SaverEvent::Kind kind) {
    switch (kind) {
        case SaverEvent::Kind::DisplayLost:
        case SaverEvent::Kind::SetupFailed:
            return 1;
        default:
            return 0;
    }
}

bool CSaverEndJudge::Judge(const SaverEvent& event) {
    bool ends = true;
    switch (event.kind) {
        case SaverEvent::Kind::Move:
            ends = IsRealMove(event.x, event.y);
            break;
        case SaverEvent::Kind::FocusLost:
            ends =
                !event.keyboardHeld;  // input reaches a saver that holds the keyboard wherever the focus is
            break;
        default:
            break;
    }
    if (ends && !m_status) {
        m_status = ExitStatusOf(event.kind);
    }
    return Ended();
}

// No position is recorded while either field holds -1, as before the first report.
bool CSaverEndJudge::IsRealMove(int x, int y) {
    const bool recorded = m_nLastMouseX != -1 && m_nLastMouseY != -1;
    const bool moved = recorded && x != m_nLastMouseX && y != m_nLastMouseY;
    m_nLastMouseX = x;
    m_nLastMouseY = y;
    return moved;
}
