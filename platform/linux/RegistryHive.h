#pragma once
// The keys and values of one hive in memory, and its text form (the regedit export format:
// "Windows Registry Editor Version 5.00", [key] sections, "name"="text", dword:, hex(N):).
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/Registry.h"

namespace os::host {

struct HiveValue {
  std::string name;  // "" is the key's default value ("@")
  RegistryValue value;
};

struct HiveKey {
  std::string path;  // below the root, components joined by "\", as first spelled; "" = root
  std::vector<HiveValue> values;

  // The value named `name` without regard to case, or null.
  HiveValue* find(std::string_view name);
  // Removes the values named in `names` (without regard to case); returns how many went.
  std::size_t erase(const std::vector<std::string>& names);
  // Merges the values of one name (without regard to case): the first keeps its place and
  // takes the last one's data.
  void mergeSameNames();
};

class Hive {
 public:
  // The key at `path` (normalised, see normaliseKeyPath) or null.
  HiveKey* find(std::string_view path);
  // The key at `path`, created with its parents when missing; `created` tells whether it was.
  HiveKey& create(std::string_view path, bool& created);

  // Keys in file order.
  const std::vector<HiveKey>& keys() const noexcept { return keys_; }
  // The hive's text form.
  std::string toText() const;
  // Parses the text form; throws SystemError(BadRegistryHive) naming `fileName` and the line.
  static Hive parse(std::string_view text, std::string_view fileName);

 private:
  std::vector<HiveKey> keys_;                           // in file order
  std::unordered_map<std::string, std::size_t> index_;  // folded path -> keys_ index
};

// Joins the components of a key path ("\Software\X", "Software\\X\") as "Software\X"; throws
// SystemError(InvalidParameter) for names the hive file cannot hold (line breaks, NUL).
std::string normaliseKeyPath(std::string_view path);
// The same join without the check, for names read from a hive file.
std::string joinKeyPath(std::string_view path);
// A REG_SZ written as "text": valid text with one final NUL and no other NUL or line break.
bool isPlainText(const RegistryValue& value) noexcept;

}  // namespace os::host
