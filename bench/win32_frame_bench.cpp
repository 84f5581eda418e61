// Rows per second of the saver's row step on a real full-screen window, beside a
// loop that only scrolls (ScrollDC alone: the ceiling of drawing with SetPixelV
// and ScrollDC). Both pump waiting messages after every row, as the saver does.
//   win32_frame_bench [ROWS]    (default 3000)
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cwchar>

#include "platform/win32/shell/DcSurface.h"
#include "shell/RingCanvas.h"

namespace {

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageW(&msg);
    }
}

template <typename Step>
double RowsPerSecond(int rows, HDC dc, Step step) {
    const auto start = std::chrono::steady_clock::now();
    for (int k = 0; k < rows; ++k) {
        step();
        Pump();
    }
    GdiFlush();
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    (void)dc;
    return rows / elapsed.count();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int rows = argc > 1 ? static_cast<int>(std::wcstol(argv[1], nullptr, 10)) : 3000;
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"LucentaBench";
    RegisterClassW(&wc);
    const HWND window = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0,
                                        width, height, nullptr, nullptr, wc.hInstance, nullptr);
    Pump();
    const HDC dc = GetDC(window);
    CRingCanvas canvas;
    canvas.Setup(width, height);
    CDcSurface surface(dc, RECT{0, 0, width, height});
    surface.Fill(canvas.Background());

    const double drawn = RowsPerSecond(rows, dc, [&] { canvas.DrawNextRow(surface); });
    const double scrolled = RowsPerSecond(rows, dc, [&] { surface.ScrollUp(); });
    std::printf("%dx%d, %d rows: row step %.0f rows/s, ScrollDC alone %.0f rows/s, ratio %.2f\n", width,
                height, rows, drawn, scrolled, drawn / scrolled);
    ReleaseDC(window, dc);
    DestroyWindow(window);
    return 0;
}
