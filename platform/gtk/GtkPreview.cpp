#include "platform/gtk/GtkPreview.h"

#include <algorithm>
#include <cstring>

#include "settings/Speed.h"

namespace {

// A small picture beside the controls needs no more than 30 frames a second,
// with two rows each at the default speed: that halves what it costs.
constexpr PaceTime kShortestFrame = std::chrono::milliseconds(30);

// cairo's RGB24 holds red in bits 16-23, a packed colour in bits 0-7.
std::uint32_t RgbOf(PackedColour colour) {
    return (colour & 0xFF) << 16 | (colour & 0xFF00) | (colour >> 16 & 0xFF);
}

}  // namespace

// The picture in a cairo image whose rows form a ring: scrolling moves the row
// shown at the top, so a frame writes only its new rows, and painting shows the
// ring in two parts.
class CGtkPreview::CImageRing : public IDrawingSurface {
  public:
    CImageRing(int width, int height)
        : m_image(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height)),
          m_width(width),
          m_height(height) {}
    ~CImageRing() override { cairo_surface_destroy(m_image); }
    CImageRing(const CImageRing&) = delete;
    CImageRing& operator=(const CImageRing&) = delete;

    int Width() const { return m_width; }
    int Height() const { return m_height; }

    void SetPixel(int x, int y, PackedColour colour) override {
        if (x >= 0 && x < m_width && y >= 0 && y < m_height) {
            Row(y)[x] = RgbOf(colour);
        }
    }
    // The bottom row keeps its pixels: the new bottom row starts as the old one.
    void ScrollUp() override {
        const std::uint32_t* bottom = Row(m_height - 1);
        m_top = (m_top + 1) % m_height;
        std::memcpy(Row(m_height - 1), bottom, static_cast<std::size_t>(m_width) * 4);
    }
    void Fill(PackedColour colour) override {
        for (int y = 0; y < m_height; ++y) {
            std::fill(Row(y), Row(y) + m_width, RgbOf(colour));
        }
    }

    void Paint(cairo_t* cr) {
        cairo_surface_mark_dirty(m_image);
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);  // the picture is opaque: nothing to blend
        const int upper = m_height - m_top;             // rows from the ring's top row to its end
        cairo_set_source_surface(cr, m_image, 0, -m_top);
        cairo_rectangle(cr, 0, 0, m_width, upper);
        cairo_fill(cr);
        cairo_set_source_surface(cr, m_image, 0, upper);
        cairo_rectangle(cr, 0, upper, m_width, m_top);
        cairo_fill(cr);
    }

  private:
    std::uint32_t* Row(int y) const {
        const int ringRow = (m_top + y) % m_height;
        return reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(m_image) +
                                                static_cast<std::ptrdiff_t>(ringRow) *
                                                    cairo_image_surface_get_stride(m_image));
    }

    cairo_surface_t* m_image;
    int m_width;
    int m_height;
    int m_top = 0;  // the ring row shown at the top
};

CGtkPreview::CGtkPreview() : m_area(gtk_drawing_area_new()) {
    g_object_ref_sink(m_area);
    gtk_widget_set_can_focus(m_area, FALSE);
    CSettings& settings = m_canvas.Settings();
    settings.Config().CloseKey();  // from here on a copy in memory
    settings.Wavelength().CloseKey();
    g_signal_connect_swapped(m_area, "size-allocate",
                             G_CALLBACK(+[](CGtkPreview* self) { self->OnResize(); }), this);
    g_signal_connect(m_area, "draw", G_CALLBACK(+[](GtkWidget*, cairo_t* cr, CGtkPreview* self) -> gboolean {
                         self->Paint(cr);
                         return TRUE;
                     }),
                     this);
    // Frames come only while the dialog is on the screen.
    g_signal_connect_swapped(m_area, "map", G_CALLBACK(+[](CGtkPreview* self) {
                                 self->m_tick = gtk_widget_add_tick_callback(
                                     self->m_area,
                                     [](GtkWidget*, GdkFrameClock* clock, gpointer data) -> gboolean {
                                         static_cast<CGtkPreview*>(data)->OnFrame(std::chrono::microseconds(
                                             gdk_frame_clock_get_frame_time(clock)));
                                         return G_SOURCE_CONTINUE;
                                     },
                                     self, nullptr);
                             }),
                             this);
    g_signal_connect_swapped(m_area, "unmap", G_CALLBACK(+[](CGtkPreview* self) {
                                 gtk_widget_remove_tick_callback(self->m_area, self->m_tick);
                                 self->m_tick = 0;
                             }),
                             this);
}

CGtkPreview::~CGtkPreview() {
    g_signal_handlers_disconnect_by_data(m_area, this);
    g_object_unref(m_area);
}

void CGtkPreview::Show(int methodIndex, bool showTreble) {
    CRegistry& config = m_canvas.Settings().Config();
    CSettings::SetInteger(config.GetEntry(kMethod), methodIndex);
    CSettings::SetInteger(config.GetEntry(kShowTreble), showTreble ? 1 : 0);
    SetUp();
}

void CGtkPreview::SetSpeed(int speed) {
    m_speed = speed;
    m_bPacing = false;
}

void CGtkPreview::OnResize() {
    if (!m_surface || m_surface->Width() != gtk_widget_get_allocated_width(m_area) ||
        m_surface->Height() != gtk_widget_get_allocated_height(m_area)) {
        SetUp();
    }
}

// The picture starts over on as many bells as the area is wide.
void CGtkPreview::SetUp() {
    const int width = gtk_widget_get_allocated_width(m_area);
    const int height = gtk_widget_get_allocated_height(m_area);
    if (width <= 1 || height <= 1) {
        return;  // not laid out yet
    }
    m_canvas.Setup(width, height, CRingCanvas::ColourLog::NotWritten);
    if (!m_surface || m_surface->Width() != width || m_surface->Height() != height) {
        m_surface = std::make_unique<CImageRing>(width, height);
    }
    m_surface->Fill(m_canvas.Background());
    m_bPacing = false;
    gtk_widget_queue_draw(m_area);
}

void CGtkPreview::OnFrame(PaceTime now) {
    if (!m_surface) {
        return;
    }
    if (!m_bPacing) {
        m_pacer = CRowPacer(m_speed > 0 ? m_speed : kMaxSpeed, now);
        m_bPacing = true;
    }
    if (now - m_lastDrawn < kShortestFrame) {
        return;
    }
    const std::int64_t rows = m_pacer.TakeRowsDue(now);
    if (rows > 0) {
        m_canvas.DrawRows(*m_surface, rows);
        gtk_widget_queue_draw(m_area);
        m_lastDrawn = now;
    }
}

void CGtkPreview::Paint(cairo_t* cr) {
    if (m_surface) {
        m_surface->Paint(cr);
    }
}
