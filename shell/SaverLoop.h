#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "shell/RunOptions.h"
#include "shell/SaverBackend.h"
#include "shell/SaverEnd.h"
#include "shell/SaverPicture.h"

// The saver's run on a backend, the same for every display system. It owns a
// picture for each screen shown, set up again whenever the screen's shape
// changes. Paced, each picture draws the rows due at its screen's frames and the
// loop sleeps to the earliest frame with a row due; unpaced, every picture draws
// a row at a time with no wait and no look at the clock. Input is never paced.
// The run ends when the judge says so, with its status.
class CSaverLoop {
  public:
    using Clock = std::function<PaceTime()>;

    // `stopRequested`: whether a signal asks the saver to end, looked at after every pump.
    CSaverLoop(RunChoices choices, std::function<bool()> stopRequested, Clock clock = PaceNow);

    // Runs until the saver ends; its exit status.
    int Run(ISaverBackend& backend);

    // The longest the loop sleeps: the backend is pumped at least this often, for its
    // own timers (X11's grabs tried again) and for screens with nothing due (none
    // shown yet, or none that can take a frame now).
    static constexpr PaceTime kLongestSleep = std::chrono::milliseconds(50);

  private:
    struct Shown {
        ISaverScreen* screen;
        std::unique_ptr<CSaverPicture> picture;
        unsigned generation;
    };

    // A picture for every screen shown, set up for its shape; those of screens
    // that went go with them.
    void FollowScreens(ISaverBackend& backend);
    void DrawDueFrames(PaceTime now);
    PaceTime NextDeadline(PaceTime now) const;
    bool DrawOneRowEach();

    RunChoices m_choices;
    std::function<bool()> m_stopRequested;
    Clock m_clock;
    CSaverEndJudge m_judge;
    std::vector<Shown> m_shown;
};
