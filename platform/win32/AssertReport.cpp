// The run-time assertion report: abort ends the program, retry breaks into an
// attached debugger, ignore goes on.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "settings/AssertReport.h"

namespace {
std::wstring Widen(const char* ascii) {
    return std::wstring(ascii, ascii + std::char_traits<char>::length(ascii));
}
}  // namespace

void ShowAssertionReport(const char* source, int line, const char* expression) {
    wchar_t program[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    const std::wstring message = std::wstring(L"Assertion failed!\n\nProgram: ") + program + L"\nFile: " +
                                 Widen(source) + L"\nLine: " + std::to_wstring(line) + L"\n\nExpression: " +
                                 Widen(expression) + L"\n\n(Press Retry to debug the application)";
    const int choice = MessageBoxW(nullptr, message.c_str(), L"Lucenta",
                                   MB_ABORTRETRYIGNORE | MB_ICONERROR | MB_TASKMODAL | MB_SETFOREGROUND);
    if (choice == IDABORT) {
        std::_Exit(3);
    }
    if (choice == IDRETRY && IsDebuggerPresent()) {
        DebugBreak();
    }
}
