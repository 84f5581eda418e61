#include "platform/linux/SessionWatch.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "settings/NumberText.h"

namespace {

// A watcher that is asked to end ends its saver first, which takes a second at most.
constexpr std::chrono::seconds kEndPatience(5);
constexpr std::chrono::milliseconds kLookAgain(20);

std::string LockPath() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const char* x11 = std::getenv("DISPLAY");
    std::string display = wayland != nullptr && wayland[0] != '\0' ? wayland : x11 != nullptr ? x11 : "";
    for (char& c : display) {
        c = c == '/' ? '_' : c;
    }
    const std::string folder = runtime != nullptr && runtime[0] == '/'
                                   ? std::string(runtime)
                                   : "/tmp/lucenta-" + std::to_string(getuid());
    if (folder.rfind("/tmp/", 0) == 0) {
        mkdir(folder.c_str(), 0700);
    }
    return folder + "/lucenta-idle-" + display + ".lock";
}

pid_t HolderOf(int fd) {
    char text[32] = {};
    const ssize_t length = pread(fd, text, sizeof text - 1, 0);
    const auto pid = ParseWholeInteger(
        std::string_view(text, length > 0 ? static_cast<std::size_t>(length) : 0), 1, 1 << 30);
    return pid ? static_cast<pid_t>(*pid) : 0;
}

// Waits for the lock that an ended watcher lets go of.
bool LockWithin(int fd, std::chrono::steady_clock::duration patience) {
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(kLookAgain);
    }
    return true;
}

}  // namespace

std::unique_ptr<CSessionWatch> CSessionWatch::Take(std::string& reason) {
    const std::string path = LockPath();
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        reason = path + ": " + std::strerror(errno);
        return nullptr;
    }
    pid_t replaced = 0;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        replaced = HolderOf(fd);
        if (replaced > 0) {
            kill(replaced, SIGTERM);
        }
        if (!LockWithin(fd, kEndPatience)) {
            reason = "the idle watcher that runs in this session (process " + std::to_string(replaced) +
                     ") does not end";
            close(fd);
            return nullptr;
        }
    }
    const std::string pid = std::to_string(getpid());
    if (ftruncate(fd, 0) != 0 || pwrite(fd, pid.data(), pid.size(), 0) < 0) {
        reason = path + ": " + std::strerror(errno);
    }
    return std::unique_ptr<CSessionWatch>(new CSessionWatch(fd, replaced));
}

// The process id stays in the file: it is read only while a watcher holds the lock.
CSessionWatch::~CSessionWatch() {
    close(m_fd);
}
