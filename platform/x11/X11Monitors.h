#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <vector>

// The monitors of the screen as RandR reports them; the whole screen when it
// reports none.
std::vector<XRectangle> Monitors(Display* display);

// Asks to hear of every change of the screen's size and monitors: RandR's reports
// of the screen, its outputs and their modes, and the root window's configuration
// (monitors set with "xrandr --setmonitor" change only that).
void WatchMonitors(Display* display);
// Whether the event is such a report: the monitors are to be read again.
bool ChangesMonitors(Display* display, XEvent& event);

// The refresh rate, in millihertz, of the output that shows the point (x, y) of
// the root window; 0 when RandR does not know it.
std::int64_t RefreshMilliHzAt(Display* display, int x, int y);
