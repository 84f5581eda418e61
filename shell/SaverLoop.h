#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "shell/FramePacing.h"
#include "shell/SaverEnd.h"
#include "shell/SaverPicture.h"

// One screen of a saver backend: a window over a monitor, a surface on an output,
// or a window lent to the saver. The backend sets its picture up for every size it
// takes; the loop decides when it is drawn and presented.
class ISaverScreen {
  public:
    virtual ~ISaverScreen() = default;

    // The picture once the screen is shown (exposed, configured) and set up for its
    // size; nullptr before, and the screen is then neither drawn nor waited for.
    virtual CSaverPicture* Picture() = 0;
    // Whether a frame presented now is taken at once; a screen that waits for the
    // display to ask for its next frame (a Wayland frame callback) is not ready.
    virtual bool ReadyForFrame() const = 0;
    // The first time at or after `t` that a frame can be presented; std::nullopt
    // while the screen is not ready (the display's event wakes the loop).
    virtual std::optional<PaceTime> FrameFrom(PaceTime t) const = 0;
};

// A display system that shows the saver (X11, Wayland): it lists its screens and
// sets up each one, hands the loop what happens in the judge's words, and sleeps
// on its connection and the stop signals until a deadline.
class ISaverBackend {
  public:
    virtual ~ISaverBackend() = default;

    // The screens now: they come and go with monitors and outputs.
    virtual std::vector<ISaverScreen*> Screens() = 0;
    // Handles every event there is without waiting: input and the display's news go
    // to `judge`; screens are set up, added and dropped.
    virtual void Pump(CSaverEndJudge& judge) = 0;
    // Sleeps until `deadline`, or less when an event or a stop signal comes.
    virtual void WaitUntil(PaceTime deadline) = 0;
};

// The saver's run on a backend, the same for every display system: the speed is
// resolved once; paced, each screen draws the rows due at its frames and the loop
// sleeps to the earliest frame with a row due; unpaced, every screen draws a row
// at a time with no wait and no look at the clock. Input is never paced. The run
// ends when the judge says so, with its status.
class CSaverLoop {
  public:
    using Clock = std::function<PaceTime()>;

    // The speed is the one given for this run, else the stored one (read when the
    // run starts), else 60 rows/s.
    explicit CSaverLoop(std::optional<int> speedForThisRun, Clock clock = PaceNow);

    // Runs until the saver ends; its exit status.
    int Run(ISaverBackend& backend);

    // The longest sleep: the backend looks at its own timers (grabs tried again) this often.
    static constexpr PaceTime kLongestWait = std::chrono::milliseconds(50);

  private:
    void DrawDueFrames(ISaverBackend& backend, PaceTime now);
    PaceTime NextDeadline(ISaverBackend& backend, PaceTime now) const;
    bool DrawOneRowEach(ISaverBackend& backend);

    std::optional<int> m_speedForThisRun;
    int m_speed = 0;
    Clock m_clock;
    CSaverEndJudge m_judge;
};
