#pragma once

#include <wayland-client.h>

#include <memory>
#include <vector>

#include "platform/wayland/WaylandConnection.h"
#include "platform/wayland/WaylandScreen.h"
#include "shell/SaverBackend.h"

struct xdg_wm_base_listener;

// The saver on Wayland: a screen on every output, as an overlay layer surface
// where the compositor offers wlr-layer-shell, else as a fullscreen toplevel.
// Its events (the seat's input, the screens' states) are handled in WaylandEvents.cpp.
class CWaylandSaver : public ISaverBackend {
  public:
    explicit CWaylandSaver(WaylandDisplay display)
        : m_connection(std::move(display)), m_display(m_connection.get()) {}
    ~CWaylandSaver() override;
    CWaylandSaver(const CWaylandSaver&) = delete;
    CWaylandSaver& operator=(const CWaylandSaver&) = delete;

    // Learns the compositor's globals; false when it lacks what the saver needs.
    bool Connect();

    std::vector<ISaverScreen*> Screens() override;
    void Pump(std::vector<SaverEvent>& events) override;
    void WaitUntil(PaceTime deadline) override { ReadEvents(&deadline); }

  private:
    // Reads what the compositor sent, waiting until the deadline when given, and
    // handles it; the listeners note what it means in m_events.
    void ReadEvents(const PaceTime* deadline);
    void ForgetSurfaceOf(CWaylandScreen& screen);
    void AddGlobal(wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t version);
    void RemoveGlobal(std::uint32_t name);
    void OnSeatCapabilities(std::uint32_t capabilities);
    void ReleaseDevices();
    const CWaylandScreen* ScreenShowing(wl_surface* surface) const;
    void OnMouse(wl_surface* surface, wl_fixed_t x, wl_fixed_t y);
    void Note(SaverEvent event) { m_events.push_back(event); }

    static const wl_registry_listener kRegistryListener;
    static const wl_seat_listener kSeatListener;
    static const wl_pointer_listener kPointerListener;
    static const wl_keyboard_listener kKeyboardListener;
    static const xdg_wm_base_listener kWmBaseListener;

    WaylandDisplay m_connection;
    wl_display* m_display;
    wl_registry* m_registry = nullptr;
    WaylandGlobals m_globals;
    wl_seat* m_seat = nullptr;
    wl_pointer* m_pointer = nullptr;
    wl_keyboard* m_keyboard = nullptr;
    std::vector<std::unique_ptr<CWaylandScreen>> m_screens;  // one for each output
    wl_surface* m_pointerOver = nullptr;
    wl_surface* m_keyboardOn = nullptr;  // the surface that has the keyboard
    bool m_bKeyboardLeft = false;        // a toplevel of the saver lost the keyboard
    bool m_bDisplayLost = false;
    std::vector<SaverEvent> m_events;  // noticed by the listeners
};

// The saver on the compositor of `display`; nullptr when it lacks what the saver needs.
std::unique_ptr<ISaverBackend> OpenWaylandSaver(WaylandDisplay display);
