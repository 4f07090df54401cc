// HKEY_CURRENT_USER kept in <prefix>/user.reg, in Wine's format. One hive in memory is shared by
// every open key. Every call reads the file afresh (and parses it again only when its text
// changed). Every change is made under the hive lock, shared with other processes, to the hive
// as the file holds at that moment, and is saved atomically before the lock is let go: no writer
// loses another's change. A change also holds Wine's own lock of the prefix and is refused while
// a wineserver of the prefix runs: it would write its own copy of the hive over ours.
#include "platform/Registry.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <mutex>

#include "platform/Prefix.h"
#include "platform/SystemError.h"
#include "platform/linux/HiveFailure.h"
#include "platform/linux/HiveLock.h"
#include "platform/linux/Host.h"
#include "platform/linux/RegistryHive.h"
#include "platform/linux/WineRegFormat.h"
#include "platform/linux/WineServer.h"

namespace os {
namespace {

constexpr const char* kHiveName = "user.reg";
constexpr std::string_view kUnreadable = "Base de registre illisible";
constexpr std::string_view kUnsaved = "Base de registre impossible à enregistrer";

// A descriptor closed when the object dies.
struct Descriptor {
  int fd = -1;
  explicit Descriptor(int f) noexcept : fd(f) {}
  ~Descriptor() {
    if (fd >= 0) ::close(fd);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
};

// The one hive of the current prefix. Callers hold `mutex`.
class HiveFile {
 public:
  std::mutex mutex;

  // The hive as the file holds it now; throws when it is unreadable or corrupt.
  host::WineHive& current() {
    const Descriptor folder(openFolder());
    refresh(folder.fd);
    return hive_;
  }

  // Runs `change` on the hive as the file holds it, under the hive lock, and saves the hive when
  // `change` returns true. Throws SystemError; the file is then as it was.
  template <typename Change>
  void update(Change&& change) {
    const Descriptor folder(openFolder());
    const host::HiveLock lock(folder.fd, kHiveName, file_);
    const host::WineLock wine(prefix_);  // from the read to the rename
    refresh(folder.fd);
    bool changed = false;
    try {
      changed = change(hive_);
    } catch (...) {
      loaded_ = false;  // half changed: read the file again next time
      throw;
    }
    if (changed) save(folder.fd);
  }

 private:
  int openFolder() {
    host::driveRoot();  // makes sure the profile (and its user.reg) exists
    const std::filesystem::path prefix = prefixFolder();
    const std::string file = (prefix / kHiveName).string();
    if (file != file_) {
      file_ = file;
      prefix_ = prefix.string();
      loaded_ = false;
    }
    const int fd = ::open(prefix.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) host::failHive(kUnreadable, file_, errno);
    return fd;
  }

  // Reads the file in the prefix folder `folder`; parses it when its text changed. A missing
  // file is an empty hive. Never follows a link, never waits on anything but a regular file.
  void refresh(int folder) {
    const int fd = ::openat(folder, kHiveName, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) {
      if (!(loaded_ && missing_)) {
        hive_ = host::WineHive();
        text_.clear();
        missing_ = loaded_ = true;
      }
      return;
    }
    if (fd < 0) host::failHive(kUnreadable, file_, errno);
    const Descriptor file(fd);
    struct stat st {};
    if (::fstat(fd, &st) != 0) host::failHive(kUnreadable, file_, errno);
    if (!S_ISREG(st.st_mode)) host::failHive(kUnreadable, file_, S_ISDIR(st.st_mode) ? EISDIR : ENXIO);
    mode_ = st.st_mode & 07777;
    std::string text;
    text.reserve(static_cast<std::size_t>(std::min<off_t>(st.st_size, off_t{1} << 26)));
    char buffer[65536];
    for (;;) {
      const ssize_t n = ::read(fd, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) host::failHive(kUnreadable, file_, errno);
      if (n == 0) break;
      text.append(buffer, static_cast<std::size_t>(n));
    }
    if (loaded_ && !missing_ && text == text_) return;
    loaded_ = false;
    hive_ = host::readHiveText(text, file_);
    text_ = std::move(text);
    missing_ = false;
    loaded_ = true;
  }

  // Writes the hive to a new file of its own beside user.reg, then renames it over user.reg. On
  // failure user.reg is untouched and the memory copy is dropped, to be read again.
  void save(int folder) {
    std::string text = hive_.toText();
    static std::atomic<unsigned> counter{0};
    std::string temp;
    int fd = -1;
    for (int attempt = 0; fd < 0; ++attempt) {
      temp = std::string(kHiveName) + "." + std::to_string(::getpid()) + "." +
             std::to_string(counter++) + ".tmp";
      fd = ::openat(folder, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                    0600);
      if (fd >= 0 && mode_ != 0) ::fchmod(fd, mode_);  // the new file keeps the old one's mode
      if (fd < 0 && (errno != EEXIST || attempt == 100)) {
        const int err = errno;
        loaded_ = false;
        host::failHive(kUnsaved, file_, err);
      }
    }
    auto abandon = [&](int err) {
      if (fd >= 0) ::close(fd);
      ::unlinkat(folder, temp.c_str(), 0);
      loaded_ = false;
      host::failHive(kUnsaved, file_, err);
    };
    for (std::string_view rest = text; !rest.empty();) {
      const ssize_t n = ::write(fd, rest.data(), rest.size());
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) abandon(n < 0 ? errno : ENOSPC);
      rest.remove_prefix(static_cast<std::size_t>(n));
    }
    if (::fsync(fd) != 0) abandon(errno);
    const int closed = ::close(fd);
    fd = -1;
    if (closed != 0) abandon(errno);
    if (::renameat(folder, temp.c_str(), folder, kHiveName) != 0) abandon(errno);
    text_ = std::move(text);
    missing_ = false;
    ::fsync(folder);  // the rename reaches the disk with its folder
  }

  std::string file_;    // the hive's host path, for messages
  std::string prefix_;  // the prefix folder
  host::WineHive hive_;
  mode_t mode_ = 0;     // the file's permissions when last read
  std::string text_;   // the file's text `hive_` was read from or saved as
  bool missing_ = false;
  bool loaded_ = false;
};

HiveFile& hiveFile() {
  static HiveFile h;
  return h;
}

void checkValueName(std::string_view name) {
  if (name.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos) {
    throw SystemError(error::InvalidParameter,
                      "Nom de valeur de registre refusé (saut de ligne ou caractère nul)");
  }
}

}  // namespace

struct RegistryKey::Impl {
  std::string path;  // normalised
};

RegistryKey::RegistryKey(std::unique_ptr<Impl> impl) noexcept : impl_(std::move(impl)) {}
RegistryKey::~RegistryKey() = default;
RegistryKey::RegistryKey(RegistryKey&&) noexcept = default;
RegistryKey& RegistryKey::operator=(RegistryKey&&) noexcept = default;

RegistryKey RegistryKey::create(std::string_view path) {
  auto impl = std::make_unique<Impl>(Impl{host::normaliseKeyPath(path)});
  HiveFile& h = hiveFile();
  std::lock_guard lock(h.mutex);
  h.update([&](host::WineHive& hive) {
    bool created = false;
    hive.create(impl->path, created);
    return created;
  });
  return RegistryKey(std::move(impl));
}

std::optional<RegistryKey> RegistryKey::open(std::string_view path) {
  auto impl = std::make_unique<Impl>(Impl{host::normaliseKeyPath(path)});
  HiveFile& h = hiveFile();
  std::lock_guard lock(h.mutex);
  if (h.current().find(impl->path) == nullptr) return std::nullopt;
  return RegistryKey(std::move(impl));
}

std::optional<RegistryValue> RegistryKey::query(std::string_view name) const {
  if (!impl_) return std::nullopt;
  HiveFile& h = hiveFile();
  std::lock_guard lock(h.mutex);
  host::WineKey* key = h.current().find(impl_->path);
  if (key == nullptr) return std::nullopt;
  const host::WineValue* v = key->find(name);
  if (v == nullptr) return std::nullopt;
  return v->value;
}

void RegistryKey::setValue(std::string_view name, std::uint32_t type, std::string_view data) {
  if (!impl_) throw SystemError(error::InvalidParameter, "Clé de registre fermée");
  checkValueName(name);
  HiveFile& h = hiveFile();
  std::lock_guard lock(h.mutex);
  h.update([&](host::WineHive& hive) {
    bool created = false;
    // A key deleted behind our back (the file was edited) comes back.
    hive.create(impl_->path, created).set(name, RegistryValue{type, std::string(data)});
    return true;
  });
}

void RegistryKey::setString(std::string_view name, std::string_view text) {
  std::string data(text);
  data += '\0';
  setValue(name, reg::Sz, data);
}

bool RegistryKey::deleteValue(std::string_view name) {
  return deleteValues({std::string(name)}) > 0;
}

std::size_t RegistryKey::deleteValues(const std::vector<std::string>& names) {
  if (!impl_ || names.empty()) return 0;
  std::size_t deleted = 0;
  HiveFile& h = hiveFile();
  std::lock_guard lock(h.mutex);
  h.update([&](host::WineHive& hive) {
    host::WineKey* key = hive.find(impl_->path);
    if (key == nullptr) return false;
    deleted = key->erase(names);
    return deleted > 0;
  });
  return deleted;
}

std::vector<std::string> RegistryKey::valueNames() const {
  std::vector<std::string> names;
  if (!impl_) return names;
  HiveFile& h = hiveFile();
  std::lock_guard lock(h.mutex);
  if (host::WineKey* key = h.current().find(impl_->path)) {
    names.reserve(key->values().size());
    for (const host::WineValue& v : key->values()) names.push_back(v.name);
  }
  return names;
}

}  // namespace os
