#pragma once

#include <optional>

// What the saver notices of its user and its display, in the same words on every
// platform: each platform's event handling only translates its native events.
struct SaverEvent {
    enum class Kind {
        Key,          // a key pressed
        Button,       // a mouse button pressed
        Move,         // the mouse at (x, y), in one space for all the screens
        FocusLost,    // the keyboard's focus went to another program's window
        Exposed,      // a window of another program came over the picture and went
        ScreenGone,   // the window drawn in was taken away (by its owner or the user)
        Signal,       // a signal asked the saver to end
        DisplayLost,  // the connection to the display was lost
        SetupFailed,  // a picture could not be set up (a line on stderr says why)
    };

    Kind kind;
    int x = 0;
    int y = 0;
    bool keyboardHeld = false;  // FocusLost: the saver holds the keyboard (grabbed) all the same

    static SaverEvent Key() { return {Kind::Key}; }
    static SaverEvent Button() { return {Kind::Button}; }
    static SaverEvent Move(int x, int y) { return {Kind::Move, x, y}; }
    static SaverEvent FocusLost(bool keyboardHeld) { return {Kind::FocusLost, 0, 0, keyboardHeld}; }
    static SaverEvent Of(Kind kind) { return {kind}; }
};

// Decides when the saver ends and with which status. A key, a mouse button, a
// mouse movement that changes both coordinates since the last position seen (so
// the first report, and moves along one axis, do not), the loss of the focus
// while the keyboard is not held, another window over the picture, the picture's
// window taken away and a signal end it with 0; a lost display and a picture that
// cannot be set up with 1. The first event that ends it decides.
class CSaverEndJudge {
  public:
    // Notes the event; true when the saver ends (with this event or an earlier one).
    bool Notice(const SaverEvent& event);
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
