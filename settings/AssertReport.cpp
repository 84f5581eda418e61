#include "settings/AssertReport.h"

namespace {
AssertHandler g_handler = nullptr;
}

void ReportAssertion(const char* source, int line, const char* expression) {
    (g_handler != nullptr ? g_handler : ShowAssertionReport)(source, line, expression);
}

AssertHandler SetAssertHandler(AssertHandler handler) {
    const AssertHandler previous = g_handler;
    g_handler = handler;
    return previous;
}
