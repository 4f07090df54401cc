// HKEY_CURRENT_USER kept in <prefix>/user.reg, in Wine's format. One hive in memory is shared by
// every open key. Every call reads the file afresh (and parses it again only when its text
// changed). Every change is decided under the hive lock, shared with other processes, on the hive
// as the file holds it at that moment; a change that changes something also holds Wine's own lock
// of the prefix (it is refused while a wineserver of the prefix runs: the server would write its
// own copy of the hive over ours), and is saved atomically before the locks are let go: no writer
// loses another's change. A change that changes nothing writes nothing, and takes no Wine lock.
#include "platform/Registry.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>

#include "platform/Prefix.h"
#include "platform/SystemError.h"
#include "platform/linux/FolderFile.h"
#include "platform/linux/Hive.h"
#include "platform/linux/HiveFailure.h"
#include "platform/linux/HiveFile.h"
#include "platform/linux/HiveText.h"
#include "platform/linux/Host.h"

namespace os {
namespace {

// The one hive of the current prefix. Callers hold `mutex`.
class HiveFile {
 public:
  std::mutex mutex;

  // The hive as the file holds it now; throws when it is unreadable or corrupt.
  const host::Hive& current() {
    const host::Descriptor folder(openFolder());
    refresh(folder.fd);
    return hive_;
  }

  // Under the hive lock: when `changes` tells, on the hive as the file holds it, that the change
  // would change something, takes Wine's lock, reads the file again (a server that ended
  // meanwhile may have saved it), runs `apply` on it and saves the hive when `apply` returns
  // true. Throws SystemError; the file is then as it was.
  template <typename Changes, typename Apply>
  void update(Changes&& changes, Apply&& apply) {
    const host::Descriptor folder(openFolder());
    host::HiveChange change(folder.fd, prefix_, file_);
    refresh(folder.fd);
    if (!changes(static_cast<const host::Hive&>(hive_))) return;
    change.lockWine();
    refresh(folder.fd);
    bool changed = false;
    try {
      changed = apply(hive_);
      if (changed) {
        std::string text = host::hiveText(hive_);
        change.save(text);
        text_ = std::move(text);
        missing_ = false;
      }
    } catch (...) {
      loaded_ = false;  // half changed, or not saved: read the file again next time
      throw;
    }
  }

 private:
  int openFolder() {
    host::driveRoot();  // makes sure the profile (and its user.reg) exists
    const std::filesystem::path prefix = prefixFolder();
    const std::string file = (prefix / host::kHiveName).string();
    if (file != file_) {
      file_ = file;
      prefix_ = prefix.string();
      loaded_ = false;
    }
    const int fd = ::open(prefix.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) host::failHive("Base de registre illisible", file_, errno);
    return fd;
  }

  // Reads the file in the prefix folder `folder`; parses it when its text changed. A missing
  // file is an empty hive.
  void refresh(int folder) {
    std::string text;
    mode_t mode = 0;
    if (!host::readHiveFile(folder, file_, text, mode)) {
      if (!(loaded_ && missing_)) {
        hive_ = host::Hive();
        text_.clear();
        missing_ = loaded_ = true;
      }
      return;
    }
    if (loaded_ && !missing_ && text == text_) return;
    loaded_ = false;
    hive_ = host::readHiveText(text, file_);
    text_ = std::move(text);
    missing_ = false;
    loaded_ = true;
  }

  std::string file_;    // the hive's host path, for messages
  std::string prefix_;  // the prefix folder
  host::Hive hive_;
  std::string text_;    // the file's text `hive_` was read from or saved as
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
  h.update([&](const host::Hive& hive) { return hive.find(impl->path) == nullptr; },
           [&](host::Hive& hive) {
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
  const host::HiveKey* key = h.current().find(impl_->path);
  if (key == nullptr) return std::nullopt;
  const host::HiveValue* v = key->find(name);
  if (v == nullptr) return std::nullopt;
  return v->value;
}

void RegistryKey::setValue(std::string_view name, std::uint32_t type, std::string_view data) {
  if (!impl_) throw SystemError(error::InvalidParameter, "Clé de registre fermée");
  checkValueName(name);
  HiveFile& h = hiveFile();
  std::lock_guard lock(h.mutex);
  RegistryValue value{type, std::string(data)};
  h.update(
      [&](const host::Hive& hive) {
        const host::HiveKey* key = hive.find(impl_->path);
        const host::HiveValue* v = key != nullptr ? key->find(name) : nullptr;
        return v == nullptr || v->value.type != type || v->value.data != data;
      },
      [&](host::Hive& hive) {
        bool created = false;
        // A key deleted behind our back (the file was edited) comes back.
        hive.create(impl_->path, created).set(name, value);
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
  h.update(
      [&](const host::Hive& hive) {
        const host::HiveKey* key = hive.find(impl_->path);
        return key != nullptr && key->holdsAny(names);
      },
      [&](host::Hive& hive) {
        host::HiveKey* key = hive.find(impl_->path);
        deleted = key != nullptr ? key->erase(names) : 0;
        return deleted > 0;
      });
  return deleted;
}

std::vector<std::string> RegistryKey::valueNames() const {
  std::vector<std::string> names;
  if (!impl_) return names;
  HiveFile& h = hiveFile();
  std::lock_guard lock(h.mutex);
  if (const host::HiveKey* key = h.current().find(impl_->path)) {
    names.reserve(key->values().size());
    for (const host::HiveValue& v : key->values()) names.push_back(v.name);
  }
  return names;
}

std::string RegistryKey::path() const {
  return impl_ ? impl_->path : std::string();
}

}  // namespace os
