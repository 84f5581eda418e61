#include "shell/RingCanvas.h"

#include <algorithm>
#include <limits>

#include "colour/Palette.h"
#include "colour/TextFile.h"
#include "ringing/Change.h"

CRingCanvas::CRingCanvas() = default;

void CRingCanvas::Setup(int width, int height, ColourLog colourLog) {
    m_pColours.reset();
    m_nBells = std::max(width, 0);
    m_nHeight = height;
    m_crBlack = 0x000000;
    m_crWhite = 0xFFFFFF;

    m_settings.WriteDefaults();
    CRegistry& config = m_settings.Config();
    const double bottom = m_settings.PictureNumber(kBottom);
    const double top = m_settings.PictureNumber(kTop);
    const double intensity = m_settings.PictureNumber(kIntensity);
    m_crBackground = config.GetEntry(kBackground).GetInteger() != 0 ? m_crWhite : m_crBlack;
    m_nRowY = height - 1;

    m_pColours = std::make_unique<PackedColour[]>(static_cast<std::size_t>(m_nBells));
    m_notation.SetStage(m_nBells);
    const long long method = config.GetEntry(kMethod).GetInteger() + 1LL;
    m_notation.Build(method <= std::numeric_limits<int>::max() ? static_cast<int>(method) : 0);

    const TextFileHandle log = colourLog == ColourLog::Written ? OpenTextFile(kColourLogName, 1) : 0;
    WriteTextLine(log, kColourLogHeader, 1);
    WriteTextLine(log, "", 1);
    BuildPalette(bottom, top, intensity, m_nBells, m_pColours.get(), log);
    if (config.GetEntry(kShowTreble).GetInteger() != 0 && m_nBells > 0) {
        m_pColours[0] |= kTrebleMark;
    }
    CloseTextFile(log);

    m_nPlace = PN_NOTATION_END;
}

void CRingCanvas::ApplyNextChange() {
    m_nPlace = ::ApplyNextChange(m_notation, m_nPlace, m_pColours.get(), m_nBells);
}

void CRingCanvas::DrawNextRow(IDrawingSurface& surface) {
    ApplyNextChange();
    for (int x = 0; x < m_nBells; ++x) {
        const PackedColour entry = m_pColours[x];
        surface.SetPixel(x, m_nRowY, (entry & kTrebleMark) != 0 ? 0 : entry);
    }
    surface.ScrollUp();
}

void CRingCanvas::DrawRows(IDrawingSurface& surface, std::int64_t count) {
    // A surface H rows high shows at most H rows (H - 1 where the newest shows twice).
    const std::int64_t visible = std::max(m_nHeight, 1);
    for (std::int64_t k = visible; k < count; ++k) {
        ApplyNextChange();
    }
    for (std::int64_t k = 0; k < std::min(count, visible); ++k) {
        DrawNextRow(surface);
    }
}
