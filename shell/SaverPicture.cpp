#include "shell/SaverPicture.h"

void CSaverPicture::StartOn(IDrawingSurface& surface, int width, int height, std::int64_t refreshMilliHz) {
    m_surface = &surface;
    m_canvas.Setup(width, height);
    m_surface->Fill(m_canvas.Background());
    m_pacer = CRowPacer::FromFirstFrame(m_speed, CFrameClock(refreshMilliHz, PaceTime(0)).Period() / 2);
}

CSaverPicture::CSaverPicture(const SettingsOverrides& overrides, int speed) : m_speed(speed) {
    ApplyOverrides(m_canvas.Settings(), overrides);
}

PaceTime CSaverPicture::NextRowDue() const {
    return m_pacer.NextRowDue();
}

bool CSaverPicture::DrawDue(PaceTime now) {
    const std::int64_t rows = m_pacer.TakeRowsDue(now);
    m_canvas.DrawRows(*m_surface, rows);
    return rows > 0;
}

void CSaverPicture::DrawRow() {
    m_canvas.DrawNextRow(*m_surface);
}

void CSaverPicture::Present() {
    m_surface->Present();
}
