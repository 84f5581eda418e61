#pragma once

#include <optional>

#include "shell/SaverEvent.h"

// Decides when the saver ends and with which status. A key, a mouse button, a
// mouse movement that changes both coordinates since the last position seen (so
// the first report, and moves along one axis, do not), the loss of the focus
// while the keyboard is not held, another window over the picture, the picture's
// window taken away and a signal end it with 0; a lost display and a picture that
// cannot be set up with 1. The first event that ends it decides.
class CSaverEndJudge {
  public:
    // Notes the event; true when the saver ends (with this event or an earlier one).
    bool Judge(const SaverEvent& event);
    bool Ended() const { return m_status.has_value(); }
    // The exit status once ended.
    std::optional<int> ExitStatus() const { return m_status; }

    // The status that an event of this kind ends the saver with, if it ends it.
    static std::optional<int> ExitStatusOf(SaverEvent::Kind kind);

  private:
    bool IsRealMove(int x, int y);

    std::optional<int> m_status;
    int m_nLastMouseX = -1;
    int m_nLastMouseY = -1;
};
