#pragma once

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
