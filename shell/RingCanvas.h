#pragma once

#include <cstdint>
#include <memory>

#include "colour/Colour.h"
#include "ringing/PlaceNotation.h"
#include "settings/Settings.h"
#include "shell/DrawingSurface.h"

// A row entry is a PackedColour, whose bits 0-23 hold the bell's colour, with marks
// above them. Bit 27, the treble mark, is set on the treble's entry when its path
// is shown: the bell is painted black wherever it goes. Bits 24-26 and 28-31 are
// free: nothing sets them. The row step paints an entry without the treble mark as
// it is, and Windows reads a COLORREF's top byte as palette flags: a new mark must
// be taken off before the entry is painted.
constexpr PackedColour kTrebleMark = 0x08000000;

// The picture's state: one bell per pixel column, each with its own colour, rung
// by the chosen method; each row step permutes the row by the next change, paints
// it at the bottom and scrolls everything up by one pixel.
class CRingCanvas {
  public:
    CRingCanvas();  // loads the settings
    ~CRingCanvas() = default;
    CRingCanvas(const CRingCanvas&) = delete;
    CRingCanvas& operator=(const CRingCanvas&) = delete;

    enum class ColourLog { Written, NotWritten };  // a preview of the picture writes none

    // Rebuilds the picture for a new client size: writes the first-run defaults,
    // reads the settings, gives every column its spectral colour, marks the treble,
    // builds the method for as many bells as there are columns and writes
    // "Colours.log" in the current directory.
    void Setup(int width, int height, ColourLog colourLog = ColourLog::Written);

    // Permutes the row by the next change and paints it at the bottom, then scrolls up.
    void DrawNextRow(IDrawingSurface& surface);
    void ApplyNextChange();
    // Rings `count` rows as that many row steps would. Rows that would scroll off
    // the surface before anyone could see them are rung without being drawn, so the
    // surface ends up the same, however many rows a frame brings.
    void DrawRows(IDrawingSurface& surface, std::int64_t count);

    int Bells() const { return m_nBells; }
    int Height() const { return m_nHeight; }
    PackedColour Background() const { return m_crBackground; }
    const PackedColour* Row() const { return m_pColours.get(); }
    CSettings& Settings() { return m_settings; }

  private:
    int m_nBells = 0;
    int m_nHeight = 0;
    int m_nRowY = 0;
    PackedColour m_crBlack = 0x000000;
    PackedColour m_crWhite = 0xFFFFFF;
    PackedColour m_crBackground = 0x000000;
    std::unique_ptr<PackedColour[]> m_pColours;
    CPlaceNotation m_notation;
    int m_nPlace = PN_NOTATION_END;
    CSettings m_settings;
};
