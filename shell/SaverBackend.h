#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "shell/DrawingSurface.h"
#include "shell/FramePacing.h"
#include "shell/SaverEvent.h"

// What the saver loop asks of a display system (SaverLoop.h): its screens and
// their surfaces, and what happens, in the judge's words.

// What a screen offers the loop to draw on, as it is now.
struct ScreenShape {
    IDrawingSurface* surface =
        nullptr;  // nullptr while the screen is not shown (not exposed, not configured)
    int width = 0;
    int height = 0;
    std::int64_t refreshMilliHz = 0;  // the display's frame rate; 0 when unknown
    unsigned generation = 0;          // new each time the screen is set up anew (a size, a surface)
};

// A generation unlike any other handed out in this run.
unsigned NextScreenGeneration();

// One screen of a saver backend: a window over a monitor, a surface on an output,
// or a window lent to the saver. The loop draws its picture on the screen's
// surface and decides when it is presented.
class ISaverScreen {
  public:
    virtual ~ISaverScreen() = default;

    virtual ScreenShape Shape() const = 0;
    // The first time at or after `t` that a frame can be presented; std::nullopt
    // while the screen is not ready for one: it waits for the display to ask for its
    // next frame (a Wayland frame callback), whose event wakes the loop.
    virtual std::optional<PaceTime> FrameFrom(PaceTime t) const = 0;
};

// A display system that shows the saver (X11, Wayland): it lists its screens and
// sets each up, tells what happens in the judge's words, and sleeps on its
// connection and the stop signals until a deadline. It knows nothing of settings.
class ISaverBackend {
  public:
    virtual ~ISaverBackend() = default;

    // The screens now: they come and go with monitors and outputs.
    virtual std::vector<ISaverScreen*> Screens() = 0;
    // Handles every event there is without waiting: screens are set up, added and
    // dropped, and what may end the saver goes to `events`.
    virtual void Pump(std::vector<SaverEvent>& events) = 0;
    // Sleeps until `deadline`, or less when an event or a stop signal comes.
    virtual void WaitUntil(PaceTime deadline) = 0;
};
