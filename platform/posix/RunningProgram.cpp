#include "platform/posix/RunningProgram.h"

#include <limits.h>
#include <unistd.h>

std::string RunningProgramPath() {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, static_cast<std::size_t>(length)) : "lucenta";
}
