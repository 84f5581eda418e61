#pragma once

#include <memory>
#include <string>

#include "platform/wayland/WaylandConnection.h"

class CX11Connection;

// The display server of the session that a program runs in, as its environment
// names it: the Wayland compositor of WAYLAND_DISPLAY (a socket in XDG_RUNTIME_DIR,
// or a path) unless --x11 asks for X11, else the X display of DISPLAY. The saver,
// the idle watcher and the session's lock all ask it, so that each takes the same
// server for the same session.
class CSessionDisplay {
  public:
    static CSessionDisplay FromEnvironment(bool x11Asked);
    // `runtimeFolder`: where a socket named without a path lies ("" when unknown).
    CSessionDisplay(std::string waylandSocket, std::string x11Display, std::string runtimeFolder)
        : m_wayland(std::move(waylandSocket)),
          m_x11(std::move(x11Display)),
          m_runtime(std::move(runtimeFolder)) {}

    // The session's server: the Wayland compositor where one answers on the socket,
    // else the X display. Neither (both empty), with what was tried and why in `refusal`.
    struct Connection {
        WaylandDisplay wayland;
        std::unique_ptr<CX11Connection> x11;
    };
    Connection Connect(std::string& refusal) const;
    // The X display alone: the saver shows itself there when the compositor cannot show it.
    std::unique_ptr<CX11Connection> ConnectX11(std::string& refusal) const;

    // The compositor's socket as named; "" where the session is X11's.
    const std::string& WaylandSocket() const { return m_wayland; }
    // What tells this session from the user's others: the Wayland socket, else the X
    // display without its screen number (":1" and ":1.0" are one display).
    std::string Key() const;

  private:
    std::string m_wayland;  // "" when none is named, or X11 is asked for
    std::string m_x11;
    std::string m_runtime;
};
