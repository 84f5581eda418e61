#pragma once

#include <cstdint>

#include "settings/RunSettings.h"
#include "shell/DrawingSurface.h"
#include "shell/FramePacing.h"
#include "shell/RingCanvas.h"

// The picture on one screen of the saver: the canvas drawn on the screen's
// surface. Paced, its rows fall due half a frame away from the display's frames
// from its first frame on, so that a frame's jitter never moves a row to the frame
// before or after it.
class CSaverPicture {
  public:
    // Loads the settings, with those given for this run in their place; paced at
    // `speed` rows a second (0: as fast as it draws, a row at a time with DrawRow).
    CSaverPicture(const SettingsOverrides& overrides, int speed);

    // The surface of a new size (the first, or after a resize): the picture starts
    // over from the background, and the rows are paced anew from the next frame on.
    // refreshMilliHz is the display's frame rate, 0 when unknown.
    void StartOn(IDrawingSurface& surface, int width, int height, std::int64_t refreshMilliHz);

    // Paced: when the next row falls due; before the first frame, at once (the
    // first frame is drawn as soon as the screen can show one).
    PaceTime NextRowDue() const;
    // Paced: draws the rows due by `now`; false when none was.
    bool DrawDue(PaceTime now);
    // Unpaced: draws the next row.
    void DrawRow();
    // Shows what was drawn since the last frame.
    void Present();

  private:
    CRingCanvas m_canvas;
    int m_speed;
    IDrawingSurface* m_surface = nullptr;
    CRowPacer m_pacer{0, PaceTime(0)};
};
