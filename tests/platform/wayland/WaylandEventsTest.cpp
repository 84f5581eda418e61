#include "platform/wayland/WaylandEvents.h"

#include <gtest/gtest.h>

TEST(WaylandEvents, WhatTheScreensStatesMeanForTheRun) {
    using State = WaylandScreenState;
    using Kind = SaverEvent::Kind;
    const struct {
        const char* what;
        std::vector<State> states;
        std::vector<Kind> events;
    } cases[] = {
        {"every screen showing", {State::Showing, State::Showing}, {}},
        {"no screen yet (no output described)", {}, {}},
        {"one surface taken away while another shows", {State::Dismissed, State::Showing}, {}},
        {"the last surface taken away", {State::Dismissed, State::Dismissed}, {Kind::ScreenGone}},
        {"the fullscreen window closed by the user",
         {State::CloseRequested, State::Showing},
         {Kind::ScreenGone}},
        {"a screen that cannot be set up", {State::Showing, State::Failed}, {Kind::SetupFailed}},
    };
    for (const auto& c : cases) {
        std::vector<SaverEvent> events;
        TellScreenStates(c.states, events);
        std::vector<Kind> kinds;
        for (const SaverEvent& event : events) {
            kinds.push_back(event.kind);
        }
        EXPECT_EQ(kinds, c.events) << c.what;
    }
}
