#pragma once
// Keys and values of HKEY_CURRENT_USER of a drive (opened through Drive.h). A key path with a
// leading "\" is from the root; key and value names ignore case. On Linux the hive is the text
// file <prefix>/user.reg: every change is saved at once (atomically), under a lock shared with
// other processes, to the hive as the file holds it then, so that two writers lose nothing of
// each other; edits made to the file are seen by the next call; a change that would change
// nothing (a key that exists, values that are not there) writes nothing. A file that cannot be read or parsed makes every call throw
// SystemError(BadRegistryHive) with a French message naming the file (and the line), and is left
// untouched: a key is "missing" only when the hive was read and does not hold it.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace os {

namespace reg {
inline constexpr std::uint32_t None = 0;
inline constexpr std::uint32_t Sz = 1;
inline constexpr std::uint32_t ExpandSz = 2;
inline constexpr std::uint32_t Binary = 3;
inline constexpr std::uint32_t Dword = 4;
inline constexpr std::uint32_t MultiSz = 7;
}  // namespace reg

struct RegistryValue {
  std::uint32_t type = reg::None;
  std::string data;  // raw bytes; text types include their terminating NUL
};

// An open key; movable, not copyable, closed when the object dies. It keeps its drive's
// registry open meanwhile.
class RegistryKey {
 public:
  ~RegistryKey();
  RegistryKey(RegistryKey&&) noexcept;
  RegistryKey& operator=(RegistryKey&&) noexcept;
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  // The value's type and data, or nothing when it is missing.
  std::optional<RegistryValue> query(std::string_view name) const;
  // Creates or replaces a value; saved at once. Throws SystemError.
  void setValue(std::string_view name, std::uint32_t type, std::string_view data);
  // A REG_SZ value holding `text` (NUL added).
  void setString(std::string_view name, std::string_view text);
  // Deletes a value; false when it did not exist. Throws SystemError on other failures.
  bool deleteValue(std::string_view name);
  // Deletes the values named in `names` that exist (missing ones are passed over) and returns
  // how many went. On Linux this is one change of the hive, saved once, whatever the count; on
  // Windows, RegDeleteValueW for each name (ERROR_FILE_NOT_FOUND passed over), where a failure
  // may leave the earlier names deleted. Throws SystemError.
  std::size_t deleteValues(const std::vector<std::string>& names);
  // Names of the key's values, in stored order.
  std::vector<std::string> valueNames() const;
  // The key's path below HKEY_CURRENT_USER, without a leading "\" ("Software\Microsoft").
  std::string path() const;

 private:
  friend class Drive;
  struct Impl;
  explicit RegistryKey(std::unique_ptr<Impl> impl) noexcept;
  std::unique_ptr<Impl> impl_;
};

}  // namespace os
