#include "shell/StandardStreams.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

int FinishStandardOutput(const char* program, int status) {
    errno = 0;
    if (std::fflush(stdout) == 0 && std::ferror(stdout) == 0) {
        return status;
    }
    std::fprintf(stderr, "%s: cannot write the output: %s\n", program,
                 errno != 0 ? std::strerror(errno) : "write error");
    return 1;
}
