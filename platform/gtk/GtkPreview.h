#pragma once

#include <gtk/gtk.h>

#include <memory>

#include "shell/FramePacing.h"
#include "shell/MemorySurface.h"
#include "shell/RingCanvas.h"

// The settings dialog's live preview: the picture of the method and the treble's
// path as the dialog shows them (stored or not), rung at the dialog's speed on as
// many bells as the area is wide. It draws at the frames of the widget's frame
// clock while the dialog is on the screen, and takes no focus. Its settings are a
// copy in memory: it stores nothing and writes no Colours.log.
class CGtkPreview {
  public:
    CGtkPreview();  // reads the settings once
    ~CGtkPreview();
    CGtkPreview(const CGtkPreview&) = delete;
    CGtkPreview& operator=(const CGtkPreview&) = delete;

    GtkWidget* Widget() const { return m_area; }
    // The dialog's choice changed: the picture starts over with it.
    void Show(int methodIndex, bool showTreble);
    // Rows per second; 0 (as fast as it draws) shows a new picture at every frame.
    void SetSpeed(int speed);

  private:
    void OnResize();
    // The picture starts over on as many bells as the area is wide.
    void StartOver();
    void OnFrame(PaceTime now);
    void Paint(cairo_t* cr);

    GtkWidget* m_area;
    guint m_tick = 0;  // the frame clock's callback while the area is mapped
    CRingCanvas m_canvas;
    std::unique_ptr<CMemorySurface> m_surface;
    cairo_surface_t* m_image = nullptr;  // the surface's pixels as cairo sees them
    int m_speed = 0;
    PaceTime m_lastDrawn{0};
    CRowPacer m_pacer = CRowPacer::FromFirstFrame(0);  // started anew after each change
};
