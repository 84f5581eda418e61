#pragma once

#include <wayland-client.h>

#include <cstdint>
#include <memory>
#include <optional>

#include "platform/wayland/WaylandSurface.h"
#include "shell/FramePacing.h"
#include "shell/RingCanvas.h"

struct zwlr_layer_shell_v1;
struct zwlr_layer_surface_v1;
struct xdg_wm_base;
struct xdg_surface;
struct xdg_toplevel;

// What a saver surface needs of the connection.
struct WlShell {
    wl_compositor* compositor = nullptr;
    wl_shm* shm = nullptr;
    zwlr_layer_shell_v1* layerShell = nullptr;  // preferred where the compositor offers it
    xdg_wm_base* wmBase = nullptr;
};

// The picture on one output: an overlay layer surface anchored to all four edges
// that takes the keyboard, or else a fullscreen toplevel on the output. Each
// configure sets the canvas up for the size given; frames are drawn when the
// compositor asks for them (wl_surface.frame), with every row due by then.
class CWlSaverSurface {
  public:
    // Loads the settings; the speed is the stored one unless `speed` is given.
    CWlSaverSurface(const WlShell& shell, wl_output* output, std::optional<int> speed);
    ~CWlSaverSurface();
    CWlSaverSurface(const CWlSaverSurface&) = delete;
    CWlSaverSurface& operator=(const CWlSaverSurface&) = delete;

    // The output's scale, size and refresh rate, as it reports them, also when they
    // change: the picture is set up again at a bell for every pixel.
    void SetOutput(int scale, int width, int height, std::int64_t refreshMilliHz);
    // Asks the compositor for the keyboard again (another output that had it has gone).
    void AskForKeyboard();

    enum class State {
        Showing,
        Dismissed,       // the compositor took the layer surface away (its output goes, say)
        CloseRequested,  // the user asked to close the fullscreen window
        Failed,          // the picture could not be set up (a line on stderr said why)
    };

    wl_surface* Surface() const { return m_surface; }
    bool Paced() const { return m_speed > 0; }
    State GetState() const { return m_state; }
    // Losing the keyboard ends a toplevel only: a layer surface keeps it while it is there.
    bool EndsOnKeyboardLeave() const { return m_toplevel != nullptr; }

    // Unpaced: rings one row into the picture; it is shown at the next frame.
    void DrawRow();
    // Shows the picture with every row due by `now`, when the compositor is ready for a frame.
    void DrawFrame(PaceTime now);
    // When DrawFrame next has something to show; nothing before the first configure.
    std::optional<PaceTime> NextFrame() const;

  private:
    void CreateLayerSurface(zwlr_layer_shell_v1* layerShell, wl_output* output);
    void CreateToplevel(xdg_wm_base* wmBase, wl_output* output);
    void Configure(int width, int height);
    void Present();

    static const struct zwlr_layer_surface_v1_listener kLayerListener;
    static const struct xdg_surface_listener kXdgSurfaceListener;
    static const struct xdg_toplevel_listener kToplevelListener;
    static const wl_callback_listener kFrameListener;

    WlShell m_shell;
    CRingCanvas m_canvas;
    int m_speed;
    wl_surface* m_surface = nullptr;
    zwlr_layer_surface_v1* m_layer = nullptr;
    xdg_surface* m_xdgSurface = nullptr;
    xdg_toplevel* m_toplevel = nullptr;
    wl_callback* m_frame = nullptr;  // a frame asked for and not yet done
    std::unique_ptr<CWaylandSurface> m_ring;
    int m_scale = 1;
    int m_modeWidth = 0;  // the output's size in pixels, for a toplevel configured without one
    int m_modeHeight = 0;
    std::int64_t m_refreshMilliHz = 0;
    int m_configuredWidth = 0;  // the size of the last configure, in surface coordinates
    int m_configuredHeight = 0;
    int m_width = 0;  // in buffer pixels
    int m_height = 0;
    int m_toplevelWidth = 0;  // the size of the toplevel's configure under way
    int m_toplevelHeight = 0;
    bool m_bDirty = false;  // rows were drawn that no frame has shown yet
    State m_state = State::Showing;
    bool m_bPacing = false;  // the pacer runs: set at the first frame the compositor asked for
    CRowPacer m_pacer{0, PaceTime(0)};
};
