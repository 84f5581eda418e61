#include "platform/wayland/WaylandScreen.h"

#include <cstdio>

#include "platform/wayland/WaylandShm.h"
#include "platform/wayland/wlr-layer-shell-unstable-v1-client-protocol.h"
#include "platform/wayland/xdg-shell-client-protocol.h"

namespace {

constexpr std::uint32_t kAllEdges = ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                                    ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT;
constexpr std::uint32_t kExclusiveKeyboard = 1;

}  // namespace

// The listeners name the events they handle; any others (of later versions than
// those bound) stay null.
// The mode, place and scale come before "done": the surface is made at the first.
const wl_output_listener CWaylandScreen::kOutputListener = [] {
    wl_output_listener listener{};
    listener.geometry = [](void* data, wl_output*, std::int32_t x, std::int32_t y, std::int32_t, std::int32_t,
                           std::int32_t, const char*, const char*, std::int32_t) {
        auto* self = static_cast<CWaylandScreen*>(data);
        self->m_x = x;
        self->m_y = y;
    };
    listener.mode = [](void* data, wl_output*, std::uint32_t flags, std::int32_t width, std::int32_t height,
                       std::int32_t refresh) {
        if ((flags & WL_OUTPUT_MODE_CURRENT) != 0) {
            auto* self = static_cast<CWaylandScreen*>(data);
            self->m_modeWidth = width;
            self->m_modeHeight = height;
            self->m_refreshMilliHz = refresh;
        }
    };
    listener.done = [](void* self, wl_output*) { static_cast<CWaylandScreen*>(self)->OnOutputDone(); };
    listener.scale = [](void* self, wl_output*, std::int32_t scale) {
        static_cast<CWaylandScreen*>(self)->m_scale = scale > 0 ? scale : 1;
    };
    return listener;
}();

const zwlr_layer_surface_v1_listener CWaylandScreen::kLayerListener = [] {
    zwlr_layer_surface_v1_listener listener{};
    listener.configure = [](void* self, zwlr_layer_surface_v1* layer, std::uint32_t serial,
                            std::uint32_t width, std::uint32_t height) {
        zwlr_layer_surface_v1_ack_configure(layer, serial);
        static_cast<CWaylandScreen*>(self)->OnConfigure(static_cast<int>(width), static_cast<int>(height));
    };
    listener.closed = [](void* self, zwlr_layer_surface_v1*) {
        static_cast<CWaylandScreen*>(self)->m_state = WaylandScreenState::Dismissed;
    };
    return listener;
}();

const xdg_surface_listener CWaylandScreen::kXdgSurfaceListener = [] {
    xdg_surface_listener listener{};
    listener.configure = [](void* data, xdg_surface* surface, std::uint32_t serial) {
        xdg_surface_ack_configure(surface, serial);
        auto* self = static_cast<CWaylandScreen*>(data);
        self->OnConfigure(self->m_toplevelWidth, self->m_toplevelHeight);
    };
    return listener;
}();

const xdg_toplevel_listener CWaylandScreen::kToplevelListener = [] {
    xdg_toplevel_listener listener{};
    listener.configure = [](void* data, xdg_toplevel*, std::int32_t width, std::int32_t height, wl_array*) {
        auto* self = static_cast<CWaylandScreen*>(data);
        self->m_toplevelWidth = width;
        self->m_toplevelHeight = height;
    };
    listener.close = [](void* self, xdg_toplevel*) {
        static_cast<CWaylandScreen*>(self)->m_state = WaylandScreenState::CloseRequested;
    };
    return listener;
}();

const wl_callback_listener CWaylandScreen::kFrameListener = [] {
    wl_callback_listener listener{};
    listener.done = [](void* self, wl_callback* callback, std::uint32_t) {
        wl_callback_destroy(callback);
        static_cast<CWaylandScreen*>(self)->m_frame = nullptr;
    };
    return listener;
}();

CWaylandScreen::CWaylandScreen(const WaylandGlobals& globals, std::uint32_t name, wl_output* output)
    : m_globals(globals), m_name(name), m_output(output) {
    wl_output_add_listener(output, &kOutputListener, this);
}

CWaylandScreen::~CWaylandScreen() {
    DestroySurface();
    wl_output_destroy(m_output);
}

// Nothing of the surface takes input but for ending the saver; the pointer is hidden over it.
void CWaylandScreen::CreateSurface() {
    m_wlSurface = wl_compositor_create_surface(m_globals.compositor);
    if (m_globals.layerShell != nullptr) {
        CreateLayerSurface();
    } else {
        CreateToplevel();
    }
    wl_surface_commit(m_wlSurface);  // no buffer yet: asks for the first configure
}

void CWaylandScreen::CreateLayerSurface() {
    m_layer = zwlr_layer_shell_v1_get_layer_surface(m_globals.layerShell, m_wlSurface, m_output,
                                                    ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "lucenta");
    zwlr_layer_surface_v1_add_listener(m_layer, &kLayerListener, this);
    zwlr_layer_surface_v1_set_anchor(m_layer, kAllEdges);
    zwlr_layer_surface_v1_set_exclusive_zone(m_layer, -1);
    zwlr_layer_surface_v1_set_keyboard_interactivity(m_layer, kExclusiveKeyboard);
}

void CWaylandScreen::CreateToplevel() {
    m_xdgSurface = xdg_wm_base_get_xdg_surface(m_globals.wmBase, m_wlSurface);
    xdg_surface_add_listener(m_xdgSurface, &kXdgSurfaceListener, this);
    m_toplevel = xdg_surface_get_toplevel(m_xdgSurface);
    xdg_toplevel_add_listener(m_toplevel, &kToplevelListener, this);
    xdg_toplevel_set_title(m_toplevel, "Lucenta");
    xdg_toplevel_set_app_id(m_toplevel, "lucenta");
    xdg_toplevel_set_fullscreen(m_toplevel, m_output);
}

void CWaylandScreen::DestroySurface() {
    m_surface.reset();
    if (m_frame != nullptr) {
        wl_callback_destroy(m_frame);
        m_frame = nullptr;
    }
    if (m_layer != nullptr) {
        zwlr_layer_surface_v1_destroy(m_layer);
        m_layer = nullptr;
    }
    if (m_toplevel != nullptr) {
        xdg_toplevel_destroy(m_toplevel);
        xdg_surface_destroy(m_xdgSurface);
        m_toplevel = nullptr;
    }
    if (m_wlSurface != nullptr) {
        wl_surface_destroy(m_wlSurface);
        m_wlSurface = nullptr;
    }
}

// The first "done" shows the screen; a later one makes the drawing surface anew
// when the scale or the mode changed.
void CWaylandScreen::OnOutputDone() {
    if (m_wlSurface == nullptr && m_state == WaylandScreenState::Showing && m_modeWidth > 0 &&
        m_globals.Complete()) {
        CreateSurface();
    } else if (m_surface) {
        OnConfigure(m_configuredWidth, m_configuredHeight);
    }
}

void CWaylandScreen::DropIfDismissed() {
    if (m_state == WaylandScreenState::Dismissed) {
        DestroySurface();
    }
}

void CWaylandScreen::AskForKeyboard() {
    if (m_layer != nullptr) {
        zwlr_layer_surface_v1_set_keyboard_interactivity(m_layer, kExclusiveKeyboard);
        wl_surface_commit(m_wlSurface);
    }
}

// Sizes come in surface coordinates; the drawing surface has a pixel for every
// pixel of the output, so a scaled output gets a buffer of its scale.
void CWaylandScreen::OnConfigure(int width, int height) {
    m_configuredWidth = width;
    m_configuredHeight = height;
    const int pixelsWide = width > 0 ? width * m_scale : m_modeWidth;
    const int pixelsHigh = height > 0 ? height * m_scale : m_modeHeight;
    if (pixelsWide <= 0 || pixelsHigh <= 0) {
        std::fprintf(stderr, "lucenta: the compositor gave the picture no size\n");
        m_state = WaylandScreenState::Failed;
        return;
    }
    wl_surface_set_buffer_scale(m_wlSurface, m_scale);
    if (pixelsWide == m_width && pixelsHigh == m_height && m_surface) {
        return;
    }
    m_width = pixelsWide;
    m_height = pixelsHigh;
    m_surface.reset();  // its memory goes before the next is made
    m_surface = CWaylandSurface::Create(
        [this](int wide, int rows) { return MakeShmRows(m_globals.shm, m_wlSurface, wide, rows); },
        [this] { Commit(); }, m_width, m_height);
    if (!m_surface) {
        std::fprintf(stderr, "lucenta: cannot share memory for a picture of %dx%d pixels\n", m_width,
                     m_height);
        m_state = WaylandScreenState::Failed;
        return;
    }
    m_generation = NextScreenGeneration();  // the loop starts the picture over on it
}

WaylandScreenState CWaylandScreen::State() const {
    return m_surface && m_surface->Failed() ? WaylandScreenState::Failed : m_state;
}

ScreenShape CWaylandScreen::Shape() const {
    const bool shown = m_surface && State() == WaylandScreenState::Showing;
    return {shown ? m_surface.get() : nullptr, m_width, m_height, m_refreshMilliHz, m_generation};
}

std::optional<PaceTime> CWaylandScreen::FrameFrom(PaceTime t) const {
    return m_frame == nullptr ? std::optional<PaceTime>(t) : std::nullopt;
}

// Every buffer attached asks for the frame after it: the compositor says when it
// is ready for the next.
void CWaylandScreen::Commit() {
    if (m_frame != nullptr) {
        wl_callback_destroy(m_frame);  // a configure may present before the frame asked for is done
    }
    m_frame = wl_surface_frame(m_wlSurface);
    wl_callback_add_listener(m_frame, &kFrameListener, this);
    wl_surface_commit(m_wlSurface);
}
