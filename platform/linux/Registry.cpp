// HKEY_CURRENT_USER kept in <prefix>/user.reg, in Wine's format. One hive in memory is shared by
// every open key; it is reloaded when the file changes on disk, and every change is saved at
// once, atomically, never while a wineserver of the prefix runs (it would write its own copy
// over ours).
#include "platform/Registry.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>

#include "platform/Prefix.h"
#include "platform/SystemError.h"
#include "platform/linux/Host.h"
#include "platform/linux/RegistryHive.h"
#include "platform/linux/WineRegFormat.h"
#include "platform/linux/WineServer.h"

namespace os {
namespace {

struct Stamp {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = -1;
  timespec modified{};
  timespec changed{};

  bool operator==(const Stamp& o) const noexcept {
    return device == o.device && inode == o.inode && size == o.size &&
           modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec &&
           changed.tv_sec == o.changed.tv_sec && changed.tv_nsec == o.changed.tv_nsec;
  }
};

Stamp stampOf(const struct stat& st) {
  return {st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
}

[[noreturn]] void failHive(const std::string& file, const std::string& problem, int err) {
  throw SystemError(err == 0 ? error::BadRegistryHive : host::errorCode(err),
                    "Registry hive " + file + ": " + problem +
                        (err == 0 ? "" : std::string(": ") + std::strerror(err)));
}

std::string readAll(const std::string& file) {
  // A regular file only: a pipe in its place must not block the program.
  const int fd = host::openRegular(file, O_RDONLY, false);
  if (fd < 0) {
    const int err = errno;  // before building the message, which may allocate
    throw SystemError(error::BadRegistryHive,
                      "Registry hive " + file + ": cannot be read: " + std::strerror(err));
  }
  std::string text;
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int err = errno;
      ::close(fd);
      throw SystemError(error::BadRegistryHive,
                        "Registry hive " + file + ": cannot be read: " + std::strerror(err));
    }
    if (n == 0) break;
    text.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return text;
}

// The one hive of the current prefix. Callers hold `mutex`.
class HiveFile {
 public:
  std::mutex mutex;

  // Brings the hive in memory up to date with the file; throws when it is unreadable or corrupt.
  host::WineHive& hive() {
    host::driveRoot();  // makes sure the profile (and its user.reg) exists
    const std::string file = (prefixFolder() / "user.reg").string();
    if (file != file_) {
      file_ = file;
      loaded_ = false;
    }
    struct stat st {};
    Stamp now;
    if (::stat(file_.c_str(), &st) == 0) {
      now = stampOf(st);
    } else if (errno != ENOENT) {
      failHive(file_, "cannot be read", errno);
    }
    if (!loaded_ || !(now == stamp_)) {
      loaded_ = false;
      hive_ = now.size < 0 ? host::WineHive() : host::readHiveText(readAll(file_), file_);
      stamp_ = now;
      loaded_ = true;
    }
    return hive_;
  }

  // Writes the hive to a temporary file beside user.reg and renames it over user.reg. On failure
  // the file is untouched and the memory copy is dropped, to be reloaded from the file.
  void save() {
    const std::string text = hive_.toText();
    std::string temp = file_ + ".XXXXXX";
    int fd = ::mkstemp(temp.data());
    auto abandon = [&](int err) {
      if (fd >= 0) ::close(fd);
      ::unlink(temp.c_str());
      loaded_ = false;
      failHive(file_, "cannot be saved", err);
    };
    if (fd < 0) {
      loaded_ = false;
      failHive(file_, "cannot be saved", errno);
    }
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
    if (::rename(temp.c_str(), file_.c_str()) != 0) abandon(errno);
    struct stat st {};
    if (::stat(file_.c_str(), &st) == 0) {
      stamp_ = stampOf(st);
    } else {
      loaded_ = false;
    }
    // The rename reaches the disk with its folder.
    const std::string folder = file_.substr(0, file_.rfind('/'));
    if (const int dfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dfd >= 0) {
      ::fsync(dfd);
      ::close(dfd);
    }
  }

 private:
  std::string file_;
  host::WineHive hive_;
  Stamp stamp_;
  bool loaded_ = false;
};

HiveFile& hiveFile() {
  static HiveFile h;
  return h;
}

void checkValueName(std::string_view name) {
  if (name.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos) {
    throw SystemError(error::InvalidParameter, "Bad registry value name");
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
  const host::WineLock wine(prefixFolder().string());  // from the read to the save
  bool created = false;
  h.hive().create(impl->path, created);
  if (created) h.save();
  return RegistryKey(std::move(impl));
}

std::optional<RegistryKey> RegistryKey::open(std::string_view path) {
  auto impl = std::make_unique<Impl>(Impl{host::normaliseKeyPath(path)});
  HiveFile& h = hiveFile();
  std::lock_guard lock(h.mutex);
  if (h.hive().find(impl->path) == nullptr) return std::nullopt;
  return RegistryKey(std::move(impl));
}

std::optional<RegistryValue> RegistryKey::query(std::string_view name) const {
  if (!impl_) return std::nullopt;
  HiveFile& h = hiveFile();
  std::lock_guard lock(h.mutex);
  host::WineKey* key = h.hive().find(impl_->path);
  if (key == nullptr) return std::nullopt;
  const host::WineValue* v = key->find(name);
  if (v == nullptr) return std::nullopt;
  return v->value;
}

void RegistryKey::setValue(std::string_view name, std::uint32_t type, std::string_view data) {
  if (!impl_) throw SystemError(error::InvalidParameter, "Registry key closed");
  checkValueName(name);
  HiveFile& h = hiveFile();
  std::lock_guard lock(h.mutex);
  const host::WineLock wine(prefixFolder().string());  // from the read to the save
  bool created = false;
  // A key deleted behind our back (the file was edited) comes back.
  h.hive().create(impl_->path, created).set(name, RegistryValue{type, std::string(data)});
  h.save();
}

void RegistryKey::setString(std::string_view name, std::string_view text) {
  std::string data(text);
  data += '\0';
  setValue(name, reg::Sz, data);
}

bool RegistryKey::deleteValue(std::string_view name) {
  if (!impl_) return false;
  HiveFile& h = hiveFile();
  std::lock_guard lock(h.mutex);
  const host::WineLock wine(prefixFolder().string());  // from the read to the save
  host::WineKey* key = h.hive().find(impl_->path);
  if (key == nullptr || !key->remove(name)) return false;
  h.save();
  return true;
}

std::vector<std::string> RegistryKey::valueNames() const {
  std::vector<std::string> names;
  if (!impl_) return names;
  HiveFile& h = hiveFile();
  std::lock_guard lock(h.mutex);
  if (host::WineKey* key = h.hive().find(impl_->path)) {
    names.reserve(key->values().size());
    for (const host::WineValue& v : key->values()) names.push_back(v.name);
  }
  return names;
}

}  // namespace os
