#include "platform/posix/RuntimeFolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

std::string UserRuntimeFolder(std::string& reason) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] == '/') {
        return runtime;
    }
    // Anyone may make a folder in /tmp: one made by another user is not used.
    const std::string folder = "/tmp/lucenta-" + std::to_string(getuid());
    mkdir(folder.c_str(), 0700);
    struct stat status {};
    if (lstat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode) || status.st_uid != getuid() ||
        (status.st_mode & 077) != 0) {
        reason = folder + " is not a folder of this user's alone";
        return "";
    }
    return folder;
}
