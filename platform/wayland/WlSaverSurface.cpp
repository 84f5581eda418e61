#include "platform/wayland/WlSaverSurface.h"

#include <cstdio>

#include "platform/wayland/WaylandShm.h"
#include "platform/wayland/wlr-layer-shell-unstable-v1-client-protocol.h"
#include "platform/wayland/xdg-shell-client-protocol.h"
#include "settings/Speed.h"

namespace {

constexpr std::uint32_t kAllEdges = ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                                    ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT;
constexpr std::uint32_t kExclusiveKeyboard = 1;

}  // namespace

// The listeners name the events they handle; any others (of later versions than
// those bound) stay null.
const zwlr_layer_surface_v1_listener CWlSaverSurface::kLayerListener = [] {
    zwlr_layer_surface_v1_listener listener{};
    listener.configure = [](void* self, zwlr_layer_surface_v1* layer, std::uint32_t serial,
                            std::uint32_t width, std::uint32_t height) {
        zwlr_layer_surface_v1_ack_configure(layer, serial);
        static_cast<CWlSaverSurface*>(self)->Configure(static_cast<int>(width), static_cast<int>(height));
    };
    listener.closed = [](void* self, zwlr_layer_surface_v1*) {
        static_cast<CWlSaverSurface*>(self)->m_state = State::Dismissed;
    };
    return listener;
}();

const xdg_surface_listener CWlSaverSurface::kXdgSurfaceListener = [] {
    xdg_surface_listener listener{};
    listener.configure = [](void* data, xdg_surface* surface, std::uint32_t serial) {
        xdg_surface_ack_configure(surface, serial);
        auto* self = static_cast<CWlSaverSurface*>(data);
        self->Configure(self->m_toplevelWidth, self->m_toplevelHeight);
    };
    return listener;
}();

const xdg_toplevel_listener CWlSaverSurface::kToplevelListener = [] {
    xdg_toplevel_listener listener{};
    listener.configure = [](void* data, xdg_toplevel*, std::int32_t width, std::int32_t height, wl_array*) {
        auto* self = static_cast<CWlSaverSurface*>(data);
        self->m_toplevelWidth = width;
        self->m_toplevelHeight = height;
    };
    listener.close = [](void* self, xdg_toplevel*) {
        static_cast<CWlSaverSurface*>(self)->m_state = State::CloseRequested;
    };
    return listener;
}();

const wl_callback_listener CWlSaverSurface::kFrameListener = [] {
    wl_callback_listener listener{};
    listener.done = [](void* self, wl_callback* callback, std::uint32_t) {
        wl_callback_destroy(callback);
        static_cast<CWlSaverSurface*>(self)->m_frame = nullptr;
    };
    return listener;
}();

CWlSaverSurface::CWlSaverSurface(const WlShell& shell, wl_output* output, std::optional<int> speed)
    : m_shell(shell), m_speed(SaverSpeed(speed, m_canvas.Settings(), kPacedDefaultSpeed)) {
    m_surface = wl_compositor_create_surface(shell.compositor);
    // Nothing of the surface takes input but for ending the saver; the pointer is hidden over it.
    if (shell.layerShell != nullptr) {
        CreateLayerSurface(shell.layerShell, output);
    } else {
        CreateToplevel(shell.wmBase, output);
    }
    wl_surface_commit(m_surface);  // no buffer yet: asks for the first configure
}

void CWlSaverSurface::CreateLayerSurface(zwlr_layer_shell_v1* layerShell, wl_output* output) {
    m_layer = zwlr_layer_shell_v1_get_layer_surface(layerShell, m_surface, output,
                                                    ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "lucenta");
    zwlr_layer_surface_v1_add_listener(m_layer, &kLayerListener, this);
    zwlr_layer_surface_v1_set_anchor(m_layer, kAllEdges);
    zwlr_layer_surface_v1_set_exclusive_zone(m_layer, -1);
    zwlr_layer_surface_v1_set_keyboard_interactivity(m_layer, kExclusiveKeyboard);
}

void CWlSaverSurface::CreateToplevel(xdg_wm_base* wmBase, wl_output* output) {
    m_xdgSurface = xdg_wm_base_get_xdg_surface(wmBase, m_surface);
    xdg_surface_add_listener(m_xdgSurface, &kXdgSurfaceListener, this);
    m_toplevel = xdg_surface_get_toplevel(m_xdgSurface);
    xdg_toplevel_add_listener(m_toplevel, &kToplevelListener, this);
    xdg_toplevel_set_title(m_toplevel, "Lucenta");
    xdg_toplevel_set_app_id(m_toplevel, "lucenta");
    xdg_toplevel_set_fullscreen(m_toplevel, output);
}

CWlSaverSurface::~CWlSaverSurface() {
    if (m_frame != nullptr) {
        wl_callback_destroy(m_frame);
    }
    if (m_layer != nullptr) {
        zwlr_layer_surface_v1_destroy(m_layer);
    }
    if (m_toplevel != nullptr) {
        xdg_toplevel_destroy(m_toplevel);
        xdg_surface_destroy(m_xdgSurface);
    }
    wl_surface_destroy(m_surface);
}

void CWlSaverSurface::SetOutput(int scale, int width, int height, std::int64_t refreshMilliHz) {
    const bool changed = (scale > 0 ? scale : 1) != m_scale || width != m_modeWidth || height != m_modeHeight;
    m_scale = scale > 0 ? scale : 1;
    m_modeWidth = width;
    m_modeHeight = height;
    m_refreshMilliHz = refreshMilliHz;
    if (changed && m_ring) {
        Configure(m_configuredWidth, m_configuredHeight);
    }
}

void CWlSaverSurface::AskForKeyboard() {
    if (m_layer != nullptr) {
        zwlr_layer_surface_v1_set_keyboard_interactivity(m_layer, kExclusiveKeyboard);
        wl_surface_commit(m_surface);
    }
}

// Sizes come in surface coordinates; the picture has a bell for every pixel of
// the output, so a scaled output gets a buffer of its scale.
void CWlSaverSurface::Configure(int width, int height) {
    m_configuredWidth = width;
    m_configuredHeight = height;
    const int pixelsWide = width > 0 ? width * m_scale : m_modeWidth;
    const int pixelsHigh = height > 0 ? height * m_scale : m_modeHeight;
    if (pixelsWide <= 0 || pixelsHigh <= 0) {
        std::fprintf(stderr, "lucenta: the compositor gave the picture no size\n");
        m_state = State::Failed;
        return;
    }
    if (pixelsWide != m_width || pixelsHigh != m_height || !m_ring) {
        m_width = pixelsWide;
        m_height = pixelsHigh;
        m_canvas.Setup(m_width, m_height);  // the picture starts over
        m_ring.reset();                     // its memory goes before the next is made
        m_ring = CWaylandSurface::Create(
            [this](int wide, int rows) { return MakeShmRows(m_shell.shm, m_surface, wide, rows); }, m_width,
            m_height);
        if (!m_ring) {
            std::fprintf(stderr, "lucenta: cannot share memory for a picture of %dx%d pixels\n", m_width,
                         m_height);
            m_state = State::Failed;
            return;
        }
        m_ring->Fill(m_canvas.Background());
        m_bPacing = false;  // from the first frame of the new picture on
    }
    wl_surface_set_buffer_scale(m_surface, m_scale);
    Present();
}

void CWlSaverSurface::DrawRow() {
    if (m_ring) {
        m_canvas.DrawNextRow(*m_ring);
        m_bDirty = true;
    }
}

std::optional<PaceTime> CWlSaverSurface::NextFrame() const {
    if (!m_ring || m_frame != nullptr) {
        return std::nullopt;  // the compositor's frame callback wakes the loop
    }
    return Paced() && m_bPacing ? m_pacer.NextRowDue() : PaceNow();
}

void CWlSaverSurface::DrawFrame(PaceTime now) {
    if (!m_ring || m_frame != nullptr) {
        return;
    }
    if (Paced()) {
        if (!m_bPacing) {
            // The rows fall due half a frame away from the frames the compositor
            // asks for, so that a frame's jitter never moves a row to the frame
            // before or after it.
            const PaceTime halfFrame(500000000000LL / (m_refreshMilliHz >= 1000 ? m_refreshMilliHz : 60000));
            m_pacer = CRowPacer(m_speed, now - halfFrame);
            m_bPacing = true;
        }
        const std::int64_t rows = m_pacer.TakeRowsDue(now);
        m_canvas.DrawRows(*m_ring, rows);
        m_bDirty = m_bDirty || rows > 0;
    }
    if (m_bDirty) {
        Present();
    }
}

void CWlSaverSurface::Present() {
    if (m_ring->Failed()) {
        std::fprintf(stderr, "lucenta: cannot share more memory for the picture of %dx%d pixels\n", m_width,
                     m_height);
        m_state = State::Failed;
        return;
    }
    if (m_frame != nullptr) {
        wl_callback_destroy(m_frame);  // a configure may present before the frame asked for is done
    }
    m_frame = wl_surface_frame(m_surface);
    wl_callback_add_listener(m_frame, &kFrameListener, this);
    m_ring->AttachTo();
    wl_surface_commit(m_surface);
    m_bDirty = false;
}
