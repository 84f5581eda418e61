#pragma once

#include <wayland-client.h>

#include <cstdint>
#include <memory>

#include "platform/wayland/WaylandSurface.h"
#include "shell/SaverBackend.h"

struct zwlr_layer_shell_v1;
struct zwlr_layer_surface_v1;
struct xdg_wm_base;
struct xdg_surface;
struct xdg_toplevel;

// The compositor's globals that the saver binds.
struct WaylandGlobals {
    wl_compositor* compositor = nullptr;
    wl_shm* shm = nullptr;
    zwlr_layer_shell_v1* layerShell = nullptr;  // preferred where the compositor offers it
    xdg_wm_base* wmBase = nullptr;

    // Everything a screen needs is there.
    bool Complete() const {
        return compositor != nullptr && shm != nullptr && (layerShell != nullptr || wmBase != nullptr);
    }
};

// What a screen of the Wayland saver is in.
enum class WaylandScreenState {
    Showing,         // or about to, once the output is described
    Dismissed,       // the compositor took the layer surface away: nothing is shown again
    CloseRequested,  // the user asked to close the fullscreen window
    Failed,          // the surface could not be set up (a line on stderr said why)
};

// One screen of the Wayland saver: an output and the surface on it, an overlay
// layer surface anchored to all four edges that takes the keyboard, or else a
// fullscreen toplevel on the output. The surface is made once the output has
// described itself; each configure that brings a new size makes the drawing
// surface anew, at a pixel for every pixel of the output, also when its scale or
// mode changes. A frame is presented when the compositor is ready for one
// (wl_surface.frame).
class CWaylandScreen : public ISaverScreen {
  public:
    // The screen of an output just bound, the global `name`; `globals` are the
    // backend's, bound as they come, and outlive the screen.
    CWaylandScreen(const WaylandGlobals& globals, std::uint32_t name, wl_output* output);
    ~CWaylandScreen() override;
    CWaylandScreen(const CWaylandScreen&) = delete;
    CWaylandScreen& operator=(const CWaylandScreen&) = delete;

    std::uint32_t Name() const { return m_name; }
    // A point of the surface in the compositor's space, where all outputs lie.
    int SpaceX(int x) const { return m_x + x; }
    int SpaceY(int y) const { return m_y + y; }
    // nullptr before the output is described and once the surface is dismissed.
    wl_surface* WlSurface() const { return m_wlSurface; }
    WaylandScreenState State() const;
    // Losing the keyboard ends a toplevel only: a layer surface keeps it while it is there.
    bool EndsOnKeyboardLeave() const { return m_toplevel != nullptr; }
    // Asks the compositor for the keyboard again (another output that had it has gone).
    void AskForKeyboard();
    // After a pump's events: the surface that the compositor took away is let go.
    void DropIfDismissed();

    ScreenShape Shape() const override;
    // At once, unless the compositor has not yet asked for the frame after the last.
    std::optional<PaceTime> FrameFrom(PaceTime t) const override;

  private:
    void OnOutputDone();
    void CreateSurface();
    void CreateLayerSurface();
    void CreateToplevel();
    void DestroySurface();
    void OnConfigure(int width, int height);
    void Commit();

    static const wl_output_listener kOutputListener;
    static const struct zwlr_layer_surface_v1_listener kLayerListener;
    static const struct xdg_surface_listener kXdgSurfaceListener;
    static const struct xdg_toplevel_listener kToplevelListener;
    static const wl_callback_listener kFrameListener;

    const WaylandGlobals& m_globals;
    std::uint32_t m_name;
    wl_output* m_output;
    wl_surface* m_wlSurface = nullptr;
    zwlr_layer_surface_v1* m_layer = nullptr;
    xdg_surface* m_xdgSurface = nullptr;
    xdg_toplevel* m_toplevel = nullptr;
    wl_callback* m_frame = nullptr;              // a frame asked for and not yet done
    std::unique_ptr<CWaylandSurface> m_surface;  // what is drawn on, in shared memory
    unsigned m_generation = 0;
    // The output as it describes itself.
    int m_x = 0;
    int m_y = 0;
    int m_scale = 1;
    int m_modeWidth = 0;  // in pixels
    int m_modeHeight = 0;
    std::int64_t m_refreshMilliHz = 0;
    int m_configuredWidth = 0;  // the size of the last configure, in surface coordinates
    int m_configuredHeight = 0;
    int m_width = 0;  // of the drawing surface, in pixels
    int m_height = 0;
    int m_toplevelWidth = 0;  // the size of the toplevel's configure under way
    int m_toplevelHeight = 0;
    WaylandScreenState m_state = WaylandScreenState::Showing;
};
