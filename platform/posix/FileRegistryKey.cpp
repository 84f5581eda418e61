// The Linux stand-in for HKEY_CURRENT_USER: one file in the registry export
// format, $XDG_CONFIG_HOME/lucenta/registry.reg. Every write is one atomic update
// under an exclusive lock, so concurrent writers never lose each other's values
// and a crash leaves either the old or the new file.
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>

#include "platform/posix/RegFileFormat.h"
#include "platform/posix/Utf8.h"
#include "settings/RegistryKey.h"

namespace {

constexpr off_t kMaxFileSize = 16 * 1024 * 1024;

void Warn(const std::string& message) {
    std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, message.c_str());
}

std::string ConfigHome() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && xdg[0] == '/') {
        return xdg;
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') {
        const passwd* entry = getpwuid(getuid());
        home = entry != nullptr ? entry->pw_dir : "/";
    }
    return std::string(home) + "/.config";
}

bool MakeDirectories(const std::string& path) {
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string prefix = path.substr(0, slash);
        if (mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) {
            return false;
        }
        if (slash == std::string::npos) {
            return true;
        }
    }
}

class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0) {
            close(m_fd);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }

  private:
    int m_fd;
};

bool WriteAll(int fd, const std::string& data) {
    for (std::size_t done = 0; done < data.size();) {
        const ssize_t n = write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

enum class ReadResult { Ok, Missing, Failed };

ReadResult ReadAll(const std::string& path, std::string& data) {
    FileDescriptor fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
    }
    struct stat info {};
    if (fstat(fd.get(), &info) != 0 || info.st_size > kMaxFileSize) {
        data.assign(1, '\xFF');  // too large to be a settings file: treated as unreadable
        return ReadResult::Ok;
    }
    data.clear();
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(fd.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return ReadResult::Failed;
        }
        if (n == 0) {
            return ReadResult::Ok;
        }
        data.append(buffer, static_cast<std::size_t>(n));
    }
}

// The settings file of one directory, read and rewritten whole under its lock.
class RegistryFile {
  public:
    explicit RegistryFile(std::string dir)
        : m_dir(std::move(dir)), m_path(m_dir + "/registry.reg"), m_lockPath(m_dir + "/registry.lock") {}

    const std::string& Path() const { return m_path; }

    // Runs `change` on the current contents under the lock; when it reports a change
    // the result replaces the file atomically. False when the file cannot be read
    // or written.
    bool Update(const std::function<bool(RegFile&)>& change) {
        FileDescriptor lock(open(m_lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
        if (lock.get() < 0) {
            return false;
        }
        while (flock(lock.get(), LOCK_EX) != 0) {
            if (errno != EINTR) {
                return false;
            }
        }
        RegFile contents;
        bool salvaged = false;
        if (!Load(contents, salvaged)) {
            return false;
        }
        const bool changed = change(contents);
        // What was read of a damaged file is written back at once: its original has moved aside.
        return !(changed || salvaged) || Store(contents);
    }

  private:
    // `salvaged` is set when the file had lines that could not be read: the
    // original is moved aside and `contents` holds every value that could.
    bool Load(RegFile& contents, bool& salvaged) {
        std::string data;
        switch (ReadAll(m_path, data)) {
            case ReadResult::Missing:
                return true;
            case ReadResult::Failed:
                return false;
            case ReadResult::Ok:
                break;
        }
        if (auto parsed = ParseRegFile(data)) {
            contents = std::move(*parsed);
            return true;
        }
        std::vector<std::size_t> dropped;
        auto readable = ParseRegFile(data, &dropped);
        for (const std::size_t line : dropped) {
            Warn(m_path + ":" + std::to_string(line) + ": this line could not be read and is left out");
        }
        if (!MoveAside(readable.has_value())) {
            return false;
        }
        if (readable) {
            contents = std::move(*readable);
            salvaged = true;
        }
        return true;
    }

    // A file that could not be read whole is never overwritten: it is kept under a new name.
    bool MoveAside(bool partlyRead) {
        char stamp[32];
        const std::time_t now = std::time(nullptr);
        std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", std::localtime(&now));
        std::string aside = m_path + ".unreadable-" + stamp;
        for (int n = 2; access(aside.c_str(), F_OK) == 0; ++n) {
            aside = m_path + ".unreadable-" + stamp + "-" + std::to_string(n);
        }
        if (rename(m_path.c_str(), aside.c_str()) != 0) {
            Warn("cannot read the settings file " + m_path + " nor move it aside: " + std::strerror(errno));
            return false;
        }
        Warn("the settings file " + m_path + " could not be read" +
             (partlyRead
                  ? " whole; the original is kept as " + aside + " and every value that could be read stays"
                  : "; it is kept as " + aside + " and the settings start empty"));
        return true;
    }

    bool Store(const RegFile& contents) {
        const std::string temp = m_path + ".tmp";
        {
            FileDescriptor fd(open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
            if (fd.get() < 0 || !WriteAll(fd.get(), FormatRegFile(contents)) || fsync(fd.get()) != 0) {
                unlink(temp.c_str());
                return false;
            }
        }
        if (rename(temp.c_str(), m_path.c_str()) != 0) {
            unlink(temp.c_str());
            return false;
        }
        FileDescriptor dir(open(m_dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (dir.get() >= 0) {
            fsync(dir.get());
        }
        return true;
    }

    std::string m_dir;
    std::string m_path;
    std::string m_lockPath;
};

class FileRegistryKey : public IRegistryKey {
  public:
    FileRegistryKey(RegistryFile file, std::u16string keyPath, std::uint32_t access,
                    std::vector<RegValue> values)
        : m_file(std::move(file)),
          m_keyPath(std::move(keyPath)),
          m_access(access),
          m_values(std::move(values)) {}

    bool CountValues(std::uint32_t& count) override {
        count = static_cast<std::uint32_t>(m_values.size());
        return (m_access & RegAccess::QueryValue) != 0;
    }

    bool EnumValue(std::uint32_t index, std::size_t nameCapacity, std::size_t dataCapacity,
                   RegValue& value) override {
        if ((m_access & RegAccess::QueryValue) == 0 || index >= m_values.size()) {
            return false;
        }
        const RegValue& stored = m_values[index];
        if (stored.name.size() + 1 > nameCapacity || stored.data.size() > dataCapacity) {
            return false;
        }
        value = stored;
        return true;
    }

    void SetValue(const std::u16string& name, std::uint32_t type, const std::uint8_t* data,
                  std::size_t size) override {
        if ((m_access & RegAccess::SetValue) == 0 || !IsWritableName(name)) {
            return;
        }
        RegValue value{name, type, std::vector<std::uint8_t>(data, data + size)};
        const bool written = m_file.Update([&](RegFile& contents) {
            contents.GetKey(m_keyPath).SetValue(value);
            return true;
        });
        if (!written) {
            Warn("cannot write the settings file " + m_file.Path() + ": " + std::strerror(errno));
        }
    }

  private:
    RegistryFile m_file;
    std::u16string m_keyPath;
    std::uint32_t m_access;
    std::vector<RegValue> m_values;  // as the key was when opened
};

}  // namespace

std::unique_ptr<IRegistryKey> CreateRegistryKey(RegRoot, const std::u16string& path, std::uint32_t access) {
    const std::string dir = ConfigHome() + "/lucenta";
    const std::u16string keyPath = u"HKEY_CURRENT_USER\\" + path;
    RegistryFile file(dir);
    std::vector<RegValue> values;
    const bool opened = MakeDirectories(dir) && file.Update([&](RegFile& contents) {
        if (const RegFileKey* key = contents.FindKey(keyPath)) {
            values = key->values;
            return false;
        }
        contents.keys.push_back(RegFileKey{keyPath, {}});
        return true;
    });
    if (!opened) {
        Warn("cannot use the settings file in " + dir + " (" + std::strerror(errno) +
             "); settings are kept in memory only");
        return nullptr;
    }
    return std::make_unique<FileRegistryKey>(std::move(file), keyPath, access, std::move(values));
}
