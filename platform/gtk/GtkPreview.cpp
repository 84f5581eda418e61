#include "platform/gtk/GtkPreview.h"

namespace {

// A small picture beside the controls needs no more than 30 frames a second,
// with two rows each at the default speed: that halves what it costs.
constexpr PaceTime kShortestFrame = std::chrono::milliseconds(30);

}  // namespace

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
    if (m_image != nullptr) {
        cairo_surface_destroy(m_image);
    }
}

void CGtkPreview::Show(int methodIndex, bool showTreble) {
    CRegistry& config = m_canvas.Settings().Config();
    CSettings::SetInteger(config.GetEntry(kMethod), methodIndex);
    CSettings::SetInteger(config.GetEntry(kShowTreble), showTreble ? 1 : 0);
    StartOver();
}

void CGtkPreview::SetSpeed(int speed) {
    m_speed = speed;
    m_pacer = CRowPacer::FromFirstFrame(m_speed);
}

void CGtkPreview::OnResize() {
    if (!m_surface || m_surface->Width() != gtk_widget_get_allocated_width(m_area) ||
        m_surface->Height() != gtk_widget_get_allocated_height(m_area)) {
        StartOver();
    }
}

void CGtkPreview::StartOver() {
    const int width = gtk_widget_get_allocated_width(m_area);
    const int height = gtk_widget_get_allocated_height(m_area);
    if (width <= 1 || height <= 1) {
        return;  // not laid out yet
    }
    m_canvas.Setup(width, height, CRingCanvas::ColourLog::NotWritten);
    if (!m_surface || m_surface->Width() != width || m_surface->Height() != height) {
        if (m_image != nullptr) {
            cairo_surface_destroy(m_image);
        }
        m_surface = std::make_unique<CMemorySurface>(width, height);
        m_image = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(m_surface->Pixels()),
                                                      CAIRO_FORMAT_RGB24, width, height, width * 4);
    }
    m_surface->Fill(m_canvas.Background());
    m_pacer = CRowPacer::FromFirstFrame(m_speed);
    gtk_widget_queue_draw(m_area);
}

void CGtkPreview::OnFrame(PaceTime now) {
    if (!m_surface) {
        return;
    }
    if (now - m_lastDrawn < kShortestFrame) {
        return;
    }
    const std::int64_t rows = m_pacer.TakeRowsDue(now, m_surface->Height());
    if (rows > 0) {
        m_canvas.DrawRows(*m_surface, rows);
        gtk_widget_queue_draw(m_area);
        m_lastDrawn = now;
    }
}

// The ring in two parts: from its top row to its end, then from its start.
void CGtkPreview::Paint(cairo_t* cr) {
    if (!m_surface) {
        return;
    }
    const int height = m_surface->Height();
    const int top = m_surface->TopRow();
    cairo_surface_mark_dirty(m_image);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);  // the picture is opaque: nothing to blend
    cairo_set_source_surface(cr, m_image, 0, -top);
    cairo_rectangle(cr, 0, 0, m_surface->Width(), height - top);
    cairo_fill(cr);
    cairo_set_source_surface(cr, m_image, 0, height - top);
    cairo_rectangle(cr, 0, height - top, m_surface->Width(), top);
    cairo_fill(cr);
}
