// Acts on a running Lucenta.scr from another process, as other programs and the
// system do, for the end-to-end tests:
//   saver_poke close|paint|screensave|sysclose|activate   the running saver's window
//   saver_poke start-and-close SCR                      starts SCR /s and closes its
//                                                       window before its first paint
//   saver_poke foreground TITLE                         waits up to 30 s for a window of
//                                                       that title to be the foreground
//                                                       window, where typed keys go
// Exit status 0 when the action was done (start-and-close: and the saver ended with
// status 0), 1 when there was no saver window or the close came too late to precede
// the first paint, 2 on a bad command line, 3 when the saver ended otherwise;
// foreground: 0 when it came, else 1 with the title of the last foreground window
// written out.
#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {

// The drawing window's class: its name carries the class style CS_HREDRAW | CS_VREDRAW.
constexpr wchar_t kSaverClass[] = L"Lucenta:3";

HWND FindSaver(DWORD waitMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (const HWND saver = FindWindowW(kSaverClass, nullptr)) {
            return saver;
        }
        if (GetTickCount() - start >= waitMs) {
            return nullptr;
        }
        Sleep(0);
    }
}

// Shows a window of this process and makes it the foreground window, which
// takes the activation from the saver; keeps it there for a while.
int TakeActivation() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"LucentaPoke";
    RegisterClassW(&wc);
    const HWND other = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"poke", WS_POPUP | WS_VISIBLE, 10,
                                       10, 50, 50, nullptr, nullptr, wc.hInstance, nullptr);
    SetForegroundWindow(other);
    const DWORD start = GetTickCount();
    MSG msg;
    while (GetTickCount() - start < 2000) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&msg);
        }
        Sleep(10);
    }
    return 0;
}

// One try of closing a new saver before its first paint: 0 when the close came
// first and the saver ended with status 0, 1 when it had painted already, 3 when
// it ended otherwise. The saver's thread is held while its window is looked at,
// so the close is posted before it can take the paint request: a posted message
// is always taken before a paint request.
int CloseBeforeFirstPaint(const wchar_t* scr) {
    wchar_t commandLine[1024];
    std::swprintf(commandLine, sizeof commandLine / sizeof commandLine[0], L"\"%ls\" /s", scr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return 2;
    }
    HWND saver = nullptr;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 30000 && (saver == nullptr || !IsWindowVisible(saver))) {
        saver = FindWindowW(kSaverClass, nullptr);
    }
    SuspendThread(process.hThread);
    const bool unpainted = saver != nullptr && GetUpdateRect(saver, nullptr, FALSE);
    if (unpainted) {
        PostMessageW(saver, WM_CLOSE, 0, 0);
    }
    ResumeThread(process.hThread);
    if (!unpainted) {
        TerminateProcess(process.hProcess, 9);
    }
    WaitForSingleObject(process.hProcess, 10000);
    DWORD status = STILL_ACTIVE;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return !unpainted ? 1 : status == 0 ? 0 : 3;
}

int StartAndClose(const wchar_t* scr) {
    int result = 1;
    for (int attempt = 0; attempt < 5 && result == 1; ++attempt) {
        result = CloseBeforeFirstPaint(scr);
    }
    return result;
}

// Wine moves the X focus after the activation, and not always: the foreground
// window is what decides where keys go, and the only sign that a dialog is ready
// for them.
int WaitForForeground(const wchar_t* title) {
    const DWORD start = GetTickCount();
    wchar_t seen[256];
    for (;;) {
        const HWND foreground = GetForegroundWindow();
        seen[0] = L'\0';
        if (foreground != nullptr) {
            InternalGetWindowText(foreground, seen, sizeof seen / sizeof seen[0]);  // sends no message
            if (IsWindowVisible(foreground) && std::wcscmp(seen, title) == 0) {
                return 0;
            }
        }
        if (GetTickCount() - start >= 30000) {
            std::wprintf(L"%ls\n", seen);
            return 1;
        }
        Sleep(20);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        return 2;
    }
    const wchar_t* action = argv[1];
    if (std::wcscmp(action, L"start-and-close") == 0) {
        return argc == 3 ? StartAndClose(argv[2]) : 2;
    }
    if (std::wcscmp(action, L"foreground") == 0) {
        return argc == 3 ? WaitForForeground(argv[2]) : 2;
    }
    const HWND saver = FindSaver(5000);
    if (saver == nullptr) {
        return 1;
    }
    if (std::wcscmp(action, L"close") == 0) {
        PostMessageW(saver, WM_CLOSE, 0, 0);
    } else if (std::wcscmp(action, L"paint") == 0) {
        InvalidateRect(saver, nullptr, FALSE);
    } else if (std::wcscmp(action, L"screensave") == 0) {
        PostMessageW(saver, WM_SYSCOMMAND, SC_SCREENSAVE, 0);
    } else if (std::wcscmp(action, L"sysclose") == 0) {
        PostMessageW(saver, WM_SYSCOMMAND, SC_CLOSE, 0);
    } else if (std::wcscmp(action, L"activate") == 0) {
        return TakeActivation();
    } else {
        return 2;
    }
    return 0;
}
