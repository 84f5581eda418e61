#include "shell/SaverLoop.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <string>

#include "tests/support/RegistrySandbox.h"

namespace {

constexpr std::int64_t k60Hz = 60000;
constexpr int kHeight = 100;  // rows of a screen: a frame brings at most as many as it shows
// A sleep ends a little after its deadline, as on a real machine.
constexpr PaceTime kLateWake = std::chrono::microseconds(50);

using std::chrono::milliseconds;
using std::chrono::seconds;

// Counts the rows drawn on it and the frames presented.
class CountingSurface : public IDrawingSurface {
  public:
    void SetPixel(int, int, PackedColour) override {}
    void ScrollUp() override { ++rows; }
    void Fill(PackedColour) override { ++fills; }
    void Present() override { ++frames; }

    int rows = 0;
    int frames = 0;
    int fills = 0;  // each a picture started over
};

// A screen whose frames come at a refresh rate (as an X server's), or one that
// the display asks for each frame some time after the last was presented (as a
// Wayland compositor does with frame callbacks).
class FakeScreen : public ISaverScreen {
  public:
    FakeScreen(std::int64_t refreshMilliHz, bool asked) : m_refresh(refreshMilliHz), m_bAsked(asked) {}

    void Show(PaceTime now) {
        m_generation = NextScreenGeneration();
        m_clock = CFrameClock(m_refresh, now);
    }
    // The display asks for the next frame one period after a present.
    void Tick(PaceTime now) {
        if (m_surface.frames > m_framesSeen) {
            m_framesSeen = m_surface.frames;
            m_askAt = now + m_clock.Period();
        }
        m_bReady = now >= m_askAt;
    }

    ScreenShape Shape() const override {
        return {m_generation != 0 ? const_cast<CountingSurface*>(&m_surface) : nullptr, 8, kHeight, m_refresh,
                m_generation};
    }
    std::optional<PaceTime> FrameFrom(PaceTime t) const override {
        if (m_bAsked) {
            return m_bReady ? std::optional<PaceTime>(t) : std::nullopt;
        }
        return m_clock.DeadlineFrom(t);
    }

    int Rows() const { return m_surface.rows; }
    int Fills() const { return m_surface.fills; }
    int Frames() const { return m_surface.frames; }
    // When the display will ask for the next frame; std::nullopt when it has.
    std::optional<PaceTime> AskAt() const {
        return m_bAsked && !m_bReady ? std::optional(m_askAt) : std::nullopt;
    }

  private:
    std::int64_t m_refresh;
    bool m_bAsked;
    CountingSurface m_surface;
    unsigned m_generation = 0;  // none until shown
    CFrameClock m_clock{0, PaceTime(0)};
    int m_framesSeen = 0;
    PaceTime m_askAt{0};
    bool m_bReady = true;
};

// A display in simulated time: a wait moves the clock to its deadline, and what
// the script holds for a time is handed to the judge at the first pump after it.
// Where the script says nothing more, a signal ends the run at `end`.
class FakeBackend : public ISaverBackend {
  public:
    std::vector<std::unique_ptr<FakeScreen>> screens;
    std::map<PaceTime, SaverEvent> script;
    std::multimap<PaceTime, std::size_t> shows;  // when each screen is shown (again: set up anew)
    std::map<PaceTime, std::size_t> drops;       // when a screen goes (its index then)
    PaceTime stallAt{-1};                        // a wait that reaches this time lasts `stall` longer
    PaceTime stall{0};
    PaceTime end = seconds(1);
    int maxPumps = 1000000;

    PaceTime now{0};
    int pumps = 0;
    int waits = 0;
    std::set<PaceTime> wakes;
    int clockReads = 0;

    std::vector<ISaverScreen*> Screens() override {
        std::vector<ISaverScreen*> all;
        for (const auto& screen : screens) {
            all.push_back(screen.get());
        }
        return all;
    }

    void Pump(std::vector<SaverEvent>& events) override {
        ++pumps;
        for (auto show = shows.begin(); show != shows.end() && show->first <= now;) {
            screens[show->second]->Show(now);
            show = shows.erase(show);
        }
        for (auto drop = drops.begin(); drop != drops.end() && drop->first <= now;) {
            screens.erase(screens.begin() + static_cast<std::ptrdiff_t>(drop->second));
            drop = drops.erase(drop);
        }
        for (auto event = script.begin(); event != script.end() && event->first <= now;) {
            events.push_back(event->second);
            event = script.erase(event);
        }
        for (const auto& screen : screens) {
            screen->Tick(now);
        }
    }
    // The run ends as a signal ends it.
    bool StopRequested() const { return now >= end || pumps >= maxPumps; }

    void WaitUntil(PaceTime deadline) override {
        ++waits;
        EXPECT_GE(deadline, now - milliseconds(1)) << "a deadline in the past";
        PaceTime until = std::max(deadline, now);
        for (const auto& [at, event] : script) {
            until = std::min(until, std::max(at, now));  // input wakes the wait
        }
        for (const auto& screen : screens) {
            until = std::min(until, screen->AskAt().value_or(until));  // and so does the display's request
        }
        if (stallAt >= PaceTime(0) && until >= stallAt) {
            until += stall;
            stallAt = PaceTime(-1);
        }
        wakes.insert(until);
        now = until + kLateWake;
    }

    CSaverLoop::Clock Clock() {
        return [this] {
            ++clockReads;
            return now;
        };
    }
};

int RunLoop(FakeBackend& backend, int speed) {
    return CSaverLoop(
               {speed, {}}, [&backend] { return backend.StopRequested(); }, backend.Clock())
        .Run(backend);
}

}  // namespace

TEST(SaverLoop, PacedRowsComeAtTheSpeedOnEveryScreenAndTheWaitIsForTheEarliestFrame) {
    RegistrySandbox sandbox;
    struct Case {
        const char* what;
        int speed;
        std::vector<std::int64_t> refreshes;
        bool asked;             // frames asked for by the display
        std::vector<int> rows;  // in the simulated second, each screen
        int mostWaits;          // at most this many sleeps: one for each frame with a row due
    };
    const Case cases[] = {
        {"one row a frame at 60 Hz", 60, {k60Hz}, false, {60}, 62},
        {"four rows a frame at 240", 240, {k60Hz}, false, {240}, 62},
        {"a row every other frame at 30", 30, {k60Hz}, false, {30}, 32},
        {"two screens at 60 and 50 Hz, each at its own frames", 60, {k60Hz, 50000}, false, {60, 60}, 112},
        {"frames asked for by the display", 60, {k60Hz}, true, {60}, 125},
        {"the fastest speed: every frame brings as many rows as the picture is high",
         100000,
         {k60Hz},
         false,
         {60 * kHeight},
         62},
    };
    for (const Case& c : cases) {
        FakeBackend backend;
        for (std::size_t k = 0; k < c.refreshes.size(); ++k) {
            backend.screens.push_back(std::make_unique<FakeScreen>(c.refreshes[k], c.asked));
            backend.shows.emplace(PaceTime(0), k);
        }
        EXPECT_EQ(RunLoop(backend, c.speed), 0) << c.what;
        for (std::size_t k = 0; k < c.rows.size(); ++k) {
            EXPECT_NEAR(backend.screens[k]->Rows(), c.rows[k], 2) << c.what << ", screen " << k;
        }
        EXPECT_LE(backend.waits, c.mostWaits) << c.what;
        EXPECT_GE(backend.waits, 20) << c.what << ": the loop sleeps between frames";
    }
}

TEST(SaverLoop, EachScreenIsDrawnAtItsOwnFramesAndTheLoopWakesAtEveryFrameOfEach) {
    RegistrySandbox sandbox;
    FakeBackend two;
    for (const std::int64_t refresh : {k60Hz, std::int64_t{50000}}) {
        two.screens.push_back(std::make_unique<FakeScreen>(refresh, false));
        two.shows.emplace(PaceTime(0), two.screens.size() - 1);
    }
    RunLoop(two, 60);
    for (const std::int64_t refresh : {k60Hz, std::int64_t{50000}}) {
        const CFrameClock frames(refresh, PaceTime(0));
        for (PaceTime frame = frames.DeadlineFrom(milliseconds(30)); frame < seconds(1);
             frame = frames.DeadlineFrom(frame + PaceTime(1))) {
            EXPECT_EQ(two.wakes.count(frame), 1u)
                << "a frame at " << frame.count() << " ns, " << refresh << " mHz";
        }
    }
}

TEST(SaverLoop, UnpacedEveryScreenDrawsARowAtATimeWithoutWaitingOrLookingAtTheClock) {
    RegistrySandbox sandbox;
    FakeBackend backend;
    backend.screens.push_back(std::make_unique<FakeScreen>(k60Hz, false));
    backend.screens.push_back(std::make_unique<FakeScreen>(k60Hz, true));
    backend.shows.emplace(PaceTime(0), 0);
    backend.shows.emplace(PaceTime(0), 1);
    backend.maxPumps = 500;
    EXPECT_EQ(RunLoop(backend, 0), 0);
    EXPECT_EQ(backend.screens[0]->Rows(), 499) << "a row at every pump but the last";
    EXPECT_EQ(backend.screens[0]->Frames(), 499) << "presented at once";
    EXPECT_EQ(backend.waits, 0) << "no wait while a screen is shown";
    EXPECT_EQ(backend.clockReads, 0);
    EXPECT_EQ(backend.screens[1]->Rows(), 499);
    EXPECT_EQ(backend.screens[1]->Frames(), 1) << "a frame only when the display asks: time stood still";
}

TEST(SaverLoop, NothingIsDrawnBeforeAScreenIsShownAndAStallIsNotRacedThrough) {
    RegistrySandbox sandbox;
    FakeBackend late;
    late.screens.push_back(std::make_unique<FakeScreen>(k60Hz, false));
    late.shows.emplace(milliseconds(500), 0);
    EXPECT_EQ(RunLoop(late, 60), 0);
    EXPECT_NEAR(late.screens[0]->Rows(), 30, 2) << "shown half way through the second";

    FakeBackend stalled;
    stalled.screens.push_back(std::make_unique<FakeScreen>(k60Hz, false));
    stalled.shows.emplace(PaceTime(0), 0);
    stalled.stallAt = milliseconds(500);
    stalled.stall = seconds(5);
    stalled.end = seconds(6);
    EXPECT_EQ(RunLoop(stalled, 60), 0);
    EXPECT_NEAR(stalled.screens[0]->Rows(), 61, 3) << "half a second, one row for the stall, half a second";
}

TEST(SaverLoop, APictureStartsOverWhenItsScreenIsSetUpAnewAndGoesWithIt) {
    RegistrySandbox sandbox;
    FakeBackend backend;
    for (int k = 0; k < 2; ++k) {
        backend.screens.push_back(std::make_unique<FakeScreen>(k60Hz, false));
        backend.shows.emplace(PaceTime(0), k);
    }
    backend.shows.emplace(milliseconds(400), 1);  // a new size, say
    backend.drops.emplace(milliseconds(600), 0);  // an output unplugged: the other is screen 0 from then on
    EXPECT_EQ(RunLoop(backend, 60), 0);
    ASSERT_EQ(backend.screens.size(), 1u);
    EXPECT_EQ(backend.screens[0]->Fills(), 2) << "set up at the start and again at 400 ms";
    EXPECT_NEAR(backend.screens[0]->Rows(), 60, 2) << "drawn on all the while";
}

TEST(SaverLoop, TheJudgeEndsTheRunWithItsStatus) {
    RegistrySandbox sandbox;
    struct Case {
        const char* what;
        SaverEvent event;
        int status;
    };
    const Case cases[] = {
        {"a key", SaverEvent::Key(), 0},
        {"a button", SaverEvent::Button(), 0},
        {"the focus lost", SaverEvent::FocusLost(false), 0},
        {"the screen gone", SaverEvent::Of(SaverEvent::Kind::ScreenGone), 0},
        {"the display lost", SaverEvent::Of(SaverEvent::Kind::DisplayLost), 1},
        {"a screen that cannot be set up", SaverEvent::Of(SaverEvent::Kind::SetupFailed), 1},
    };
    for (const Case& c : cases) {
        for (const int speed : {60, 0}) {
            FakeBackend backend;
            backend.screens.push_back(std::make_unique<FakeScreen>(k60Hz, false));
            backend.shows.emplace(PaceTime(0), 0);
            // Unpaced the clock stands still: the event is there at the start.
            backend.script.emplace(speed > 0 ? milliseconds(100) : PaceTime(0), c.event);
            backend.maxPumps = 200;
            EXPECT_EQ(RunLoop(backend, speed), c.status) << c.what << " at " << speed;
            EXPECT_LE(backend.now, milliseconds(100) + kLateWake) << c.what << ": ends at once";
        }
    }
    FakeBackend moved;
    moved.script.emplace(milliseconds(10), SaverEvent::Move(5, 5));
    moved.script.emplace(milliseconds(20), SaverEvent::Move(5, 9));
    moved.script.emplace(milliseconds(30), SaverEvent::Move(6, 10));
    EXPECT_EQ(RunLoop(moved, 60), 0);
    EXPECT_EQ(moved.now, milliseconds(30) + kLateWake)
        << "the move of both coordinates ends it, not those before";
}
