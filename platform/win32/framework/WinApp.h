#pragma once
// MFC's names on a much smaller contract: only start-up, the main loop, the one-message
// pump and the idle hook declared here; nothing else of MFC's CWinApp is there.

#include <windows.h>

class CWnd;

// The application object: start-up through InitInstance, the main message loop,
// one message fetched and dispatched by PumpMessage, idle work in OnIdle.
class CWinApp {
  public:
    CWinApp();
    virtual ~CWinApp() = default;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // TRUE to run the main message loop, FALSE to end the program at once.
    virtual BOOL InitInstance() { return TRUE; }
    // The main loop, until the quit request; returns its exit code.
    virtual int Run();
    // Fetches, translates and dispatches one message; FALSE on the quit request.
    virtual BOOL PumpMessage();
    // Idle work; TRUE while there is more for a higher count.
    virtual BOOL OnIdle(LONG count) { return count < 1; }

    LPCWSTR m_lpCmdLine = L"";
    CWnd* m_pMainWnd = nullptr;
    int m_nExitCode = 0;

  private:
    MSG m_msgCur{};
};

CWinApp* AfxGetApp();

// The program's entry: InitInstance, then the main loop when it asks for one.
int AfxWinMain(LPWSTR commandLine);
