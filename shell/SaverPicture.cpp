#include "shell/SaverPicture.h"

void CSaverPicture::SetUp(IDrawingSurface& surface, int width, int height, std::int64_t refreshMilliHz) {
    m_surface = &surface;
    m_canvas.Setup(width, height);
    m_surface->Fill(m_canvas.Background());
    m_halfFrame = CFrameClock(refreshMilliHz, PaceTime(0)).Period() / 2;
    m_bPacing = false;
}

CSaverPicture::CSaverPicture(const SettingsOverrides& overrides, int speed) : m_speed(speed) {
    ApplyOverrides(m_canvas.Settings(), overrides);
}

PaceTime CSaverPicture::NextRowDue() const {
    return m_bPacing ? m_pacer.NextRowDue() : PaceTime(0);
}

bool CSaverPicture::DrawDue(PaceTime now) {
    if (!m_bPacing) {
        m_pacer = CRowPacer(m_speed, now - m_halfFrame);
        m_bPacing = true;
    }
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
