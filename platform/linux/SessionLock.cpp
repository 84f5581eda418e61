#include "platform/linux/SessionLock.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <thread>

#include "platform/posix/ChildProcess.h"
#include "platform/posix/UserFolders.h"
#include "platform/posix/WholeFile.h"

namespace {

// The bytes of the file that are locked: the session, held by its watcher; the change.
constexpr off_t kSessionByte = 0;
constexpr off_t kChangeByte = 1;

// A watcher asked to end first ends its saver, which it may have to kill.
constexpr std::chrono::milliseconds kEndPatience = kChildEndPatience + std::chrono::seconds(3);
// Another change may have to wait as long for its own watcher, and open its idle source.
constexpr std::chrono::milliseconds kChangePatience = kEndPatience + std::chrono::seconds(10);
constexpr std::chrono::milliseconds kLookAgain(20);

flock ByteLock(short type, off_t byte) {
    flock lock{};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = byte;
    lock.l_len = 1;
    return lock;
}

// Takes a byte's lock, waiting for another process to let go of it.
bool LockByte(int fd, off_t byte, std::chrono::milliseconds patience) {
    const auto deadline = std::chrono::steady_clock::now() + patience;
    flock lock = ByteLock(F_WRLCK, byte);
    while (fcntl(fd, F_SETLK, &lock) != 0) {
        if ((errno != EACCES && errno != EAGAIN) || std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(kLookAgain);
    }
    return true;
}

// When this process started, in clock ticks since boot, and its id, which tells
// the order of two that started in the same tick: "TICKS PID".
std::string ThisStart() {
    std::string stat;
    std::string reason;
    ReadWholeFile("/proc/self/stat", 4096, stat, reason);
    std::istringstream fields(stat.substr(stat.rfind(')') + 1));
    std::string field;
    for (int k = 3; k <= 22 && fields >> field; ++k) {  // the 22nd field is the start time
    }
    return field + " " + std::to_string(getpid());
}

bool StartedBefore(const std::string& a, const std::string& b) {
    std::istringstream first(a);
    std::istringstream second(b);
    unsigned long long ticks[2] = {0, 0};
    long pid[2] = {0, 0};
    first >> ticks[0] >> pid[0];
    return (second >> ticks[1] >> pid[1]) &&
           std::make_pair(ticks[0], pid[0]) < std::make_pair(ticks[1], pid[1]);
}

std::string LockPath(const std::string& folder, std::string key) {
    for (char& c : key) {
        c = c == '/' ? '_' : c;
    }
    return folder + "/lucenta-idle-" + key + ".lock";
}

}  // namespace

std::unique_ptr<CSessionLock> CSessionLock::BeginChange(const std::string& sessionKey, std::string& reason) {
    const std::string folder = UserRuntimeFolder(reason);
    if (folder.empty()) {
        return nullptr;
    }
    const std::string path = LockPath(folder, sessionKey);
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        reason = path + ": " + std::strerror(errno);
        return nullptr;
    }
    std::unique_ptr<CSessionLock> lock(new CSessionLock(fd));
    if (!LockByte(fd, kChangeByte, kChangePatience)) {
        reason = "another lucenta --idle is changing this session's idle watcher, and does not finish";
        return nullptr;
    }
    return lock;
}

CSessionLock::~CSessionLock() {
    close(m_fd);
}

pid_t CSessionLock::Holder() const {
    flock lock = ByteLock(F_WRLCK, kSessionByte);
    return fcntl(m_fd, F_GETLK, &lock) == 0 && lock.l_type != F_UNLCK ? lock.l_pid : 0;
}

// The process descriptor is taken before the holder is looked at again: while it
// holds the lock it lives, so the descriptor is its own and no other process's.
bool CSessionLock::EndHolder(pid_t& ended, std::string& reason) {
    ended = 0;
    for (pid_t holder = Holder(); holder > 0; holder = Holder()) {
        const int process = static_cast<int>(syscall(SYS_pidfd_open, holder, 0));
        if (process < 0 && errno != ESRCH) {
            reason = std::string("cannot watch the idle watcher of this session: ") + std::strerror(errno);
            return false;
        }
        if (process < 0 || Holder() != holder) {
            if (process >= 0) {
                close(process);
            }
            continue;
        }
        syscall(SYS_pidfd_send_signal, process, SIGTERM, nullptr, 0);
        pollfd gone{process, POLLIN, 0};
        const bool ends = poll(&gone, 1, static_cast<int>(kEndPatience.count())) > 0;
        close(process);
        if (!ends) {
            reason = "the idle watcher of this session (process " + std::to_string(holder) + ") does not end";
            return false;
        }
        ended = holder;
    }
    return true;
}

// The file holds the start of the last lucenta --idle off.
void CSessionLock::MarkOff() {
    const std::string start = ThisStart();
    if (ftruncate(m_fd, 0) != 0 || pwrite(m_fd, start.data(), start.size(), 0) < 0) {
        std::fprintf(stderr, "lucenta: cannot note the end of this session's idle watcher: %s\n",
                     std::strerror(errno));
    }
}

bool CSessionLock::OffCameLater() const {
    char mark[64] = {};
    const ssize_t length = pread(m_fd, mark, sizeof mark - 1, 0);
    return length > 0 && StartedBefore(ThisStart(), std::string(mark, static_cast<std::size_t>(length)));
}

bool CSessionLock::Take(std::string& reason) {
    if (!LockByte(m_fd, kSessionByte, kEndPatience)) {
        reason = std::string("cannot lock this session's idle watcher: ") + std::strerror(errno);
        return false;
    }
    flock change = ByteLock(F_UNLCK, kChangeByte);
    fcntl(m_fd, F_SETLK, &change);
    return true;
}
