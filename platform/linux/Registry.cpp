// HKEY_CURRENT_USER of a drive, kept in <prefix>/user.reg in Wine's format: every key of a drive
// works on the drive's one hive (HiveStore.h), which the key keeps alive.
#include "platform/Registry.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>

#include "platform/SystemError.h"
#include "platform/linux/DriveState.h"
#include "platform/linux/Hive.h"

namespace os {
namespace {

void checkValueName(std::string_view name) {
  if (name.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos) {
    throw SystemError(error::InvalidParameter,
                      "Nom de valeur de registre refusé (saut de ligne ou caractère nul)");
  }
}

}  // namespace

struct RegistryKey::Impl {
  std::shared_ptr<Drive::State> drive;
  std::string path;  // normalised
  host::HiveStore& hive() const { return drive->hive; }
};

RegistryKey::RegistryKey(std::unique_ptr<Impl> impl) noexcept : impl_(std::move(impl)) {}
RegistryKey::~RegistryKey() = default;
RegistryKey::RegistryKey(RegistryKey&&) noexcept = default;
RegistryKey& RegistryKey::operator=(RegistryKey&&) noexcept = default;

RegistryKey Drive::createKey(std::string_view path) const {
  auto impl = std::make_unique<RegistryKey::Impl>(
      RegistryKey::Impl{state_, host::normaliseKeyPath(path)});
  host::HiveStore& h = impl->hive();
  std::lock_guard lock(h.mutex);
  h.update([&](const host::Hive& hive) { return hive.find(impl->path) == nullptr; },
           [&](host::Hive& hive) {
             bool created = false;
             hive.create(impl->path, created);
             return created;
           });
  return RegistryKey(std::move(impl));
}

std::optional<RegistryKey> Drive::openKey(std::string_view path) const {
  auto impl = std::make_unique<RegistryKey::Impl>(
      RegistryKey::Impl{state_, host::normaliseKeyPath(path)});
  host::HiveStore& h = impl->hive();
  std::lock_guard lock(h.mutex);
  if (h.current().find(impl->path) == nullptr) return std::nullopt;
  return RegistryKey(std::move(impl));
}

std::optional<RegistryValue> RegistryKey::query(std::string_view name) const {
  if (!impl_) return std::nullopt;
  host::HiveStore& h = impl_->hive();
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
  host::HiveStore& h = impl_->hive();
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
  host::HiveStore& h = impl_->hive();
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
  host::HiveStore& h = impl_->hive();
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
