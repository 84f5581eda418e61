// The Linux stand-in for HKEY_CURRENT_USER: one file in the registry export
// format, $XDG_CONFIG_HOME/lucenta/registry.reg. Every write is one atomic update
// under an exclusive lock, so concurrent writers never lose each other's values
// and a crash leaves either the old or the new file. A registry.reg that is a
// symbolic link stays one: its target is read and replaced.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>

#include "platform/posix/FileDescriptor.h"
#include "platform/posix/RegFileFormat.h"
#include "platform/posix/UserFolders.h"
#include "platform/posix/Utf8.h"
#include "platform/posix/WholeFile.h"
#include "settings/RegistryKey.h"
#include "settings/SettingsWarning.h"

namespace {

constexpr std::size_t kMaxFileSize = 16 * 1024 * 1024;

// The settings file of one directory, read and rewritten whole under its lock.
class RegistryFile {
  public:
    explicit RegistryFile(std::string dir)
        : m_dir(std::move(dir)), m_path(m_dir + "/registry.reg"), m_lockPath(m_dir + "/registry.lock") {}

    const std::string& Path() const { return m_path; }

    // Runs `change` on the current contents under the lock; when it reports a change
    // the result replaces the file atomically. False, with the reason, when the file
    // cannot be read or written.
    bool Update(const std::function<bool(RegFile&)>& change, std::string& reason) {
        FileDescriptor lock(open(m_lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
        if (lock.get() < 0) {
            reason = std::strerror(errno);
            return false;
        }
        while (flock(lock.get(), LOCK_EX) != 0) {
            if (errno != EINTR) {
                reason = std::strerror(errno);
                return false;
            }
        }
        RegFile contents;
        std::string damagedAside;  // a damaged file's new name, once what it holds is written back
        if (!Load(contents, damagedAside, reason)) {
            return false;
        }
        const bool changed = change(contents);
        if (!damagedAside.empty()) {
            return WriteBackDamaged(contents, damagedAside, reason);
        }
        return !changed || ReplaceWholeFile(m_path, FormatRegFile(contents), {}, reason);
    }

  private:
    // A file with lines that cannot be read leaves `contents` with every value that
    // can and `damagedAside` with the name it is to be kept under; one that cannot
    // be read at all is moved aside at once, and the settings start empty.
    bool Load(RegFile& contents, std::string& damagedAside, std::string& reason) {
        std::string data;
        std::string readFailure;
        switch (ReadWholeFile(m_path, kMaxFileSize, data, readFailure)) {
            case ReadStatus::Missing:
                return true;
            case ReadStatus::Failed:
                reason =
                    m_path + ": " + readFailure;  // nothing is moved aside, a device or a FIFO least of all
                return false;
            case ReadStatus::TooLarge:
                data.assign(1, '\xFF');  // too large to be a settings file: unreadable
                break;
            case ReadStatus::Ok:
                break;
        }
        if (auto parsed = ParseRegFile(data)) {
            contents = std::move(*parsed);
            return true;
        }
        std::vector<std::size_t> dropped;
        auto readable = ParseRegFile(data, &dropped);
        for (const std::size_t line : dropped) {
            WarnAboutSettings(m_path + ":" + std::to_string(line) +
                              ": this line could not be read and is left out");
        }
        if (!readable) {
            return MoveAside(reason);
        }
        contents = std::move(*readable);
        damagedAside = AsideName();
        return true;
    }

    // What could be read of a damaged file replaces it, and the original keeps a name
    // of its own beside it: it takes that name only once the new file is written,
    // so a file that cannot be written leaves the original where it was.
    bool WriteBackDamaged(const RegFile& contents, const std::string& aside, std::string& reason) {
        ReplaceOptions keep;
        keep.keepOldAs = aside;
        if (!ReplaceWholeFile(m_path, FormatRegFile(contents), keep, reason)) {
            WarnAboutSettings("the settings file " + m_path +
                              " could not be read whole, and the values that could be read " +
                              "cannot be written back: " + reason + "; the file is left as it was");
            return false;
        }
        WarnAboutSettings("the settings file " + m_path +
                          " could not be read whole; the original is kept as " + aside +
                          " and every value that could be read stays");
        return true;
    }

    // A new name beside the file (beside the link's target, for a link) that no
    // file has yet.
    std::string AsideName() const {
        char stamp[32];
        const std::time_t now = std::time(nullptr);
        std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", std::localtime(&now));
        const std::string target = FollowLinks(m_path).value_or(m_path);
        std::string aside = target + ".unreadable-" + stamp;
        for (int n = 2; access(aside.c_str(), F_OK) == 0; ++n) {
            aside = target + ".unreadable-" + stamp + "-" + std::to_string(n);
        }
        return aside;
    }

    // A file that cannot be read at all is never overwritten: it moves to a new name.
    bool MoveAside(std::string& reason) {
        const std::string target = FollowLinks(m_path).value_or(m_path);
        const std::string aside = AsideName();
        if (rename(target.c_str(), aside.c_str()) != 0) {
            reason = std::strerror(errno);
            WarnAboutSettings("cannot read the settings file " + m_path + " nor move it aside: " + reason);
            return false;
        }
        WarnAboutSettings("the settings file " + m_path + " could not be read; it is kept as " + aside +
                          " and the settings start empty");
        return true;
    }

    std::string m_dir;
    std::string m_path;
    std::string m_lockPath;
};

class FileRegistryKey : public IRegistryKey {
  public:
    // A key opened without SetValue refuses every write with `writeRefusal`.
    FileRegistryKey(RegistryFile file, std::u16string keyPath, std::uint32_t access,
                    std::vector<RegValue> values, std::string writeRefusal)
        : m_file(std::move(file)),
          m_keyPath(std::move(keyPath)),
          m_access(access),
          m_values(std::move(values)),
          m_writeRefusal(std::move(writeRefusal)) {}

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

    bool SetValue(const std::u16string& name, std::uint32_t type, const std::uint8_t* data, std::size_t size,
                  std::string& reason) override {
        const RegValue value{name, type, std::vector<std::uint8_t>(data, data + size)};
        return Write(
            name,
            [&](RegFileKey& key) {
                key.SetValue(value);
                return true;
            },
            reason);
    }

    bool SetValueIfMissing(const RegValue& value, RegValue& held, std::string& reason) override {
        return Write(
            value.name,
            [&](RegFileKey& key) {
                const RegValue* found = key.FindValue(value.name);
                held = found != nullptr ? *found : value;
                if (found == nullptr) {
                    key.SetValue(value);
                }
                return found == nullptr;
            },
            reason);
    }

  private:
    // Changes this key in the file under its lock (`change` tells whether it did);
    // a refusal is told on stderr too.
    bool Write(const std::u16string& name, const std::function<bool(RegFileKey&)>& change,
               std::string& reason) {
        if ((m_access & RegAccess::SetValue) == 0 || !IsWritableName(name)) {
            reason = m_writeRefusal.empty() ? "the value cannot be written" : m_writeRefusal;
            return false;
        }
        const bool written =
            m_file.Update([&](RegFile& contents) { return change(contents.GetKey(m_keyPath)); }, reason);
        if (!written) {
            WarnAboutSettings("cannot write the settings file " + m_file.Path() + ": " + reason);
        }
        return written;
    }

    RegistryFile m_file;
    std::u16string m_keyPath;
    std::uint32_t m_access;
    std::vector<RegValue> m_values;  // as the key was when opened
    std::string m_writeRefusal;
};

}  // namespace

std::unique_ptr<IRegistryKey> CreateRegistryKey(RegRoot, const std::u16string& path, std::uint32_t access,
                                                std::string& reason) {
    const std::string dir = UserConfigFolder() + "/lucenta";
    const std::u16string keyPath = u"HKEY_CURRENT_USER\\" + path;
    RegistryFile file(dir);
    std::vector<RegValue> values;
    const bool madeDirectory = MakeFolders(dir);
    if (!madeDirectory) {
        reason = std::strerror(errno);
    }
    bool read = false;
    const bool opened = madeDirectory && file.Update(
                                             [&](RegFile& contents) {
                                                 read = true;
                                                 if (const RegFileKey* key = contents.FindKey(keyPath)) {
                                                     values = key->values;
                                                     return false;
                                                 }
                                                 contents.keys.push_back(RegFileKey{keyPath, {}});
                                                 return true;
                                             },
                                             reason);
    if (!opened) {
        reason = "the settings file in " + dir + " cannot be used: " + reason;
        WarnAboutSettings(reason + "; settings are kept in memory only");
        if (!read) {
            return nullptr;
        }
        // The file was read but cannot be written (a damaged file on a full disk):
        // what it holds is used, and nothing is written.
        return std::make_unique<FileRegistryKey>(std::move(file), keyPath, access & ~RegAccess::SetValue,
                                                 std::move(values), reason);
    }
    return std::make_unique<FileRegistryKey>(std::move(file), keyPath, access, std::move(values), "");
}
