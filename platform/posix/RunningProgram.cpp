#include "platform/posix/RunningProgram.h"

#include <limits.h>
#include <unistd.h>

std::string RunningProgramPath() {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, static_cast<std::size_t>(length)) : "lucenta";
}

std::string SiblingProgram(const std::string& name, const std::string& installedFolder) {
    const std::string self = RunningProgramPath();
    const std::string folder = self.substr(0, self.rfind('/') + 1);
    return access((folder + name).c_str(), X_OK) == 0 ? folder + name : folder + installedFolder + "/" + name;
}
