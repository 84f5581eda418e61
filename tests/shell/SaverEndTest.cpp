#include "shell/SaverEnd.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

using Kind = SaverEvent::Kind;

}  // namespace

TEST(SaverEndJudge, EachEventEndsTheSaverWithItsStatusOrNot) {
    struct Case {
        const char* what;
        std::vector<SaverEvent> events;
        std::optional<int> status;  // std::nullopt: the saver runs on
    };
    const Case cases[] = {
        {"a key", {SaverEvent::Key()}, 0},
        {"a button", {SaverEvent::Button()}, 0},
        {"the first report of the mouse", {SaverEvent::Move(100, 100)}, std::nullopt},
        {"the same position again", {SaverEvent::Move(100, 100), SaverEvent::Move(100, 100)}, std::nullopt},
        {"a horizontal and then a vertical move",
         {SaverEvent::Move(100, 100), SaverEvent::Move(300, 100), SaverEvent::Move(300, 50)},
         std::nullopt},
        {"a diagonal move by one pixel", {SaverEvent::Move(300, 50), SaverEvent::Move(301, 51)}, 0},
        {"negative coordinates are positions too", {SaverEvent::Move(5, 5), SaverEvent::Move(-1, 7)}, 0},
        {"-1 records no position", {SaverEvent::Move(-1, 5), SaverEvent::Move(3, 4)}, std::nullopt},
        {"the focus lost while the keyboard is held", {SaverEvent::FocusLost(true)}, std::nullopt},
        {"the focus lost", {SaverEvent::FocusLost(false)}, 0},
        {"another window over the picture", {SaverEvent::Of(Kind::Exposed)}, 0},
        {"the window drawn in taken away", {SaverEvent::Of(Kind::ScreenGone)}, 0},
        {"a signal", {SaverEvent::Of(Kind::Signal)}, 0},
        {"the display lost", {SaverEvent::Of(Kind::DisplayLost)}, 1},
        {"a picture that cannot be set up", {SaverEvent::Of(Kind::SetupFailed)}, 1},
        {"the first end decides", {SaverEvent::Key(), SaverEvent::Of(Kind::DisplayLost)}, 0},
        {"... also when it is a failure", {SaverEvent::Of(Kind::SetupFailed), SaverEvent::Key()}, 1},
    };
    for (const Case& c : cases) {
        CSaverEndJudge judge;
        bool ended = false;
        for (const SaverEvent& event : c.events) {
            ended = judge.Judge(event);
        }
        EXPECT_EQ(ended, c.status.has_value()) << c.what;
        EXPECT_EQ(judge.ExitStatus(), c.status) << c.what;
    }
}
