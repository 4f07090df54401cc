// HKEY_CURRENT_USER through the wide registry calls. Text values (REG_SZ, REG_EXPAND_SZ,
// REG_MULTI_SZ) are UTF-16 in the registry and UTF-8 in the program, NULs included.
#include "platform/Registry.h"

#include "platform/SystemError.h"
#include "platform/windows/Win.h"

namespace os {
namespace {

bool isText(std::uint32_t type) {
  return type == reg::Sz || type == reg::ExpandSz || type == reg::MultiSz;
}

// The key path relative to the root: a leading "\" means the root, and the system refuses it
// (ERROR_BAD_PATHNAME).
std::wstring keyPath(std::string_view path, std::string_view op) {
  while (!path.empty() && path.front() == '\\') path.remove_prefix(1);
  std::wstring w;
  if (!win::toWide(path, w)) win::fail(ERROR_INVALID_NAME, op, path);
  return w;
}

std::wstring valueName(std::string_view name, std::string_view op) {
  std::wstring w;
  if (!win::toWide(name, w)) win::fail(ERROR_INVALID_NAME, op, name);
  return w;
}

}  // namespace

struct RegistryKey::Impl {
  std::shared_ptr<Drive::State> drive;  // a sandbox's scratch key lives as long as its keys
  HKEY key = nullptr;
  std::string path;  // for messages
  ~Impl() {
    if (key != nullptr) RegCloseKey(key);
  }
};

RegistryKey::RegistryKey(std::unique_ptr<Impl> impl) noexcept : impl_(std::move(impl)) {}
RegistryKey::~RegistryKey() = default;
RegistryKey::RegistryKey(RegistryKey&&) noexcept = default;
RegistryKey& RegistryKey::operator=(RegistryKey&&) noexcept = default;

RegistryKey Drive::createKey(std::string_view path) const {
  constexpr std::string_view op = "Ne peut créer la clé";
  auto impl = std::make_unique<RegistryKey::Impl>();
  impl->drive = state_;
  impl->path = path;
  const LSTATUS r = RegCreateKeyExW(state_->hive, keyPath(path, op).c_str(), 0, nullptr, 0,
                                    KEY_READ | KEY_WRITE, nullptr, &impl->key, nullptr);
  if (r != ERROR_SUCCESS) win::fail(static_cast<DWORD>(r), op, path);
  return RegistryKey(std::move(impl));
}

std::optional<RegistryKey> Drive::openKey(std::string_view path) const {
  constexpr std::string_view op = "Ne peut ouvrir la clé";
  auto impl = std::make_unique<RegistryKey::Impl>();
  impl->drive = state_;
  impl->path = path;
  const LSTATUS r = RegOpenKeyExW(state_->hive, keyPath(path, op).c_str(), 0,
                                  KEY_READ | KEY_WRITE, &impl->key);
  if (r == ERROR_FILE_NOT_FOUND) return std::nullopt;
  if (r != ERROR_SUCCESS) win::fail(static_cast<DWORD>(r), op, path);
  return RegistryKey(std::move(impl));
}

std::optional<RegistryValue> RegistryKey::query(std::string_view name) const {
  constexpr std::string_view op = "Ne peut lire la valeur";
  if (!impl_) return std::nullopt;
  const std::wstring w = valueName(name, op);
  std::string data(64, '\0');
  for (;;) {
    DWORD type = 0;
    DWORD size = static_cast<DWORD>(data.size());
    const LSTATUS r = RegQueryValueExW(impl_->key, w.c_str(), nullptr, &type,
                                       reinterpret_cast<BYTE*>(data.data()), &size);
    if (r == ERROR_FILE_NOT_FOUND) return std::nullopt;
    if (r == ERROR_MORE_DATA) {
      data.resize(size > data.size() ? size : data.size() * 2);
      continue;
    }
    if (r != ERROR_SUCCESS) win::fail(static_cast<DWORD>(r), op, impl_->path + "\\" + std::string(name));
    data.resize(size);
    if (isText(type)) {
      std::wstring text(size / sizeof(wchar_t), L'\0');
      text.assign(reinterpret_cast<const wchar_t*>(data.data()), size / sizeof(wchar_t));
      data = win::toUtf8(text);
    }
    return RegistryValue{type, std::move(data)};
  }
}

void RegistryKey::setValue(std::string_view name, std::uint32_t type, std::string_view data) {
  constexpr std::string_view op = "Ne peut écrire la valeur";
  if (!impl_) throw SystemError(error::InvalidParameter, "Ne peut écrire la valeur " + std::string(name) + " : clé fermée");
  const std::wstring w = valueName(name, op);
  std::wstring text;
  const BYTE* bytes = reinterpret_cast<const BYTE*>(data.data());
  std::size_t size = data.size();
  if (isText(type)) {
    if (!win::toWide(data, text)) win::fail(ERROR_INVALID_DATA, op, name);
    bytes = reinterpret_cast<const BYTE*>(text.data());
    size = text.size() * sizeof(wchar_t);
  }
  const LSTATUS r =
      RegSetValueExW(impl_->key, w.c_str(), 0, type, bytes, static_cast<DWORD>(size));
  if (r != ERROR_SUCCESS) win::fail(static_cast<DWORD>(r), op, impl_->path + "\\" + std::string(name));
}

void RegistryKey::setString(std::string_view name, std::string_view text) {
  std::string data(text);
  data += '\0';
  setValue(name, reg::Sz, data);
}

bool RegistryKey::deleteValue(std::string_view name) {
  constexpr std::string_view op = "Ne peut supprimer la valeur";
  if (!impl_) return false;
  const LSTATUS r = RegDeleteValueW(impl_->key, valueName(name, op).c_str());
  if (r == ERROR_FILE_NOT_FOUND) return false;
  if (r != ERROR_SUCCESS) win::fail(static_cast<DWORD>(r), op, impl_->path + "\\" + std::string(name));
  return true;
}

std::size_t RegistryKey::deleteValues(const std::vector<std::string>& names) {
  std::size_t deleted = 0;
  for (const std::string& name : names) {
    if (deleteValue(name)) ++deleted;
  }
  return deleted;
}

std::vector<std::string> RegistryKey::valueNames() const {
  std::vector<std::string> names;
  if (!impl_) return names;
  DWORD longest = 0;
  LSTATUS r = RegQueryInfoKeyW(impl_->key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, &longest, nullptr, nullptr, nullptr);
  if (r != ERROR_SUCCESS) win::fail(static_cast<DWORD>(r), "Ne peut lire les valeurs de la clé", impl_->path);
  std::wstring buffer(longest + 1, L'\0');
  for (DWORD index = 0;; ++index) {
    DWORD length = static_cast<DWORD>(buffer.size());
    r = RegEnumValueW(impl_->key, index, buffer.data(), &length, nullptr, nullptr, nullptr,
                      nullptr);
    if (r == ERROR_NO_MORE_ITEMS) break;
    if (r == ERROR_MORE_DATA) {  // a value added meanwhile
      buffer.resize(buffer.size() * 2);
      --index;
      continue;
    }
    if (r != ERROR_SUCCESS) win::fail(static_cast<DWORD>(r), "Ne peut lire les valeurs de la clé", impl_->path);
    names.push_back(win::toUtf8(std::wstring_view(buffer.data(), length)));
  }
  return names;
}

std::string RegistryKey::path() const {
  if (!impl_) return {};
  std::string_view p = impl_->path;
  while (!p.empty() && p.front() == '\\') p.remove_prefix(1);
  return std::string(p);
}

}  // namespace os
