#include "settings/AssertReport.h"

#include <cerrno>
#include <cstdio>

void ShowAssertionReport(const char* source, int line, const char* expression) {
    std::fprintf(stderr, "%s: assertion failed in %s, line %d: %s\n", program_invocation_short_name, source,
                 line, expression);
}
