#pragma once

// Reports a failed internal check of the value store and lets the operation go on
// (unless the user chooses to end the program). Each platform shows the report in
// its own way; tests install a handler that records reports instead.
using AssertHandler = void (*)(const char* source, int line, const char* expression);

void ReportAssertion(const char* source, int line, const char* expression);

// Installs a handler (nullptr: the platform's own report) and returns the previous one.
AssertHandler SetAssertHandler(AssertHandler handler);

// The platform's report: a message box offering abort, retry and ignore on
// Windows, a line on stderr elsewhere.
void ShowAssertionReport(const char* source, int line, const char* expression);
