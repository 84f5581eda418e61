// GoogleTest before Xlib, whose macros (None) would break it.
#include <gtest/gtest.h>

#include "platform/x11/X11Events.h"

TEST(X11Events, TheLentWindowIsNamedAsXscreensaverNamesIt) {
    const std::pair<const char*, std::optional<Window>> cases[] = {
        {"0x1fffff0", 0x1fffff0},
        {"0X2a", 42},
        {"12345", 12345},
        {"0xFFFFFFFF", 0xFFFFFFFF},
        {"0x100000000", {}},
        {"0", {}},
        {"0x0", {}},
        {"0x", {}},
        {"", {}},
        {"xyz", {}},
        {"-5", {}},
        {"12a", {}},
        {" 42", {}},
        {"0x1g", {}},
        {"99999999999999999999", {}},
    };
    for (const auto& [text, window] : cases) {
        EXPECT_EQ(ParseWindowId(text), window) << text;
    }
}

TEST(X11Events, InputIsTranslatedAndOnlyAFocusThatGoesElsewhereIsLost) {
    const auto event = [](int type, auto set) {
        XEvent e{};
        e.type = type;
        set(e);
        return e;
    };
    const auto focusOut = [&](int mode, int detail) {
        return event(FocusOut, [=](XEvent& e) {
            e.xfocus.mode = mode;
            e.xfocus.detail = detail;
        });
    };
    const auto none = [](XEvent&) {};
    const struct {
        const char* what;
        XEvent event;
        std::optional<SaverEvent> expected;  // with the keyboard held
    } cases[] = {
        {"a key", event(KeyPress, none), SaverEvent::Key()},
        {"a button", event(ButtonPress, none), SaverEvent::Button()},
        {"a move, in root coordinates",
         event(MotionNotify,
               [](XEvent& e) {
                   e.xmotion.x = 1;
                   e.xmotion.x_root = 5;
                   e.xmotion.y_root = 7;
               }),
         SaverEvent::Move(5, 7)},
        {"the focus going to another window", focusOut(NotifyNormal, NotifyNonlinear),
         SaverEvent::FocusLost(true)},
        {"... to an ancestor", focusOut(NotifyNormal, NotifyAncestor), SaverEvent::FocusLost(true)},
        {"the focus staying inside", focusOut(NotifyNormal, NotifyInferior), std::nullopt},
        {"the focus going to the pointer", focusOut(NotifyNormal, NotifyPointer), std::nullopt},
        {"... or to the pointer's root", focusOut(NotifyNormal, NotifyPointerRoot), std::nullopt},
        {"a grab moving the focus", focusOut(NotifyGrab, NotifyNonlinear), std::nullopt},
        {"a move while a grab is held", focusOut(NotifyWhileGrabbed, NotifyNonlinear), std::nullopt},
        {"an exposure is no input", event(Expose, none), std::nullopt},
    };
    for (const auto& c : cases) {
        const std::optional<SaverEvent> got = InputEventOf(c.event, true);
        ASSERT_EQ(got.has_value(), c.expected.has_value()) << c.what;
        if (got) {
            EXPECT_EQ(got->kind, c.expected->kind) << c.what;
            EXPECT_EQ(got->x, c.expected->x) << c.what;
            EXPECT_EQ(got->y, c.expected->y) << c.what;
            EXPECT_EQ(got->keyboardHeld, c.expected->keyboardHeld) << c.what;
        }
    }
}
