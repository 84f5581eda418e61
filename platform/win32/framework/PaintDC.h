#pragma once
// MFC's names on a much smaller contract: a paint context and a solid brush, each
// owning its handle; nothing else of MFC's CDC or CGdiObject is there.

#include <windows.h>

// The paint context of one WM_PAINT: BeginPaint on construction, EndPaint on destruction.
class CPaintDC {
  public:
    explicit CPaintDC(HWND hWnd) : m_hWnd(hWnd), m_hDC(BeginPaint(hWnd, &m_ps)) {}
    ~CPaintDC() { EndPaint(m_hWnd, &m_ps); }
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;

    HDC GetSafeHdc() const { return m_hDC; }

  private:
    HWND m_hWnd;
    PAINTSTRUCT m_ps{};
    HDC m_hDC;
};

// A solid brush, deleted with the object.
class CBrush {
  public:
    explicit CBrush(COLORREF colour) : m_hBrush(CreateSolidBrush(colour)) {}
    ~CBrush() { DeleteObject(m_hBrush); }
    CBrush(const CBrush&) = delete;
    CBrush& operator=(const CBrush&) = delete;

    HBRUSH GetSafeHandle() const { return m_hBrush; }

  private:
    HBRUSH m_hBrush;
};
