#pragma once
// HKEY_CURRENT_USER in memory. Keys are kept in the order of the file they were read from, one
// name per level (a key knows its parent and its sub-keys; no path is stored whole), each with
// its values in order and, for a key of many, an index on their folded names: reading a hive
// costs time and memory in proportion to its size, however deep or wide it is. Keys and values
// also keep where their lines were in the text read, so that the text written back (see
// HiveText.h) keeps every line that no change touched, byte for byte.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/Registry.h"

namespace os::host {

// The run [begin, end) of the text read.
struct Span {
  std::size_t begin = 0;
  std::size_t end = 0;
  bool empty() const noexcept { return begin == end; }
};

struct HiveValue {
  std::string name;  // "" is the key's default value ("@")
  RegistryValue value;
  Span before;              // the comment lines just before its own lines, in the text read
  Span lines;               // its own lines in the text read; empty: written afresh
  std::vector<Span> moved;  // comment lines of removed values that stood before it
};

class HiveKey {
 public:
  // Where the key stood in the text read.
  struct Place {
    bool inFile = false;           // read from the text, where `block` holds it
    Span block;                    // its "[...]" line to the last line before the next key
    std::size_t headEnd = 0;       // the end of its "[...]" line and of the "#" lines after it
    std::size_t tail = 0;          // the start of the lines after its last value
    std::vector<Span> tailMoved;   // comment lines of removed values that stood last
  };

  // This level's name as first spelled; "" for the root.
  const std::string& name() const noexcept { return name_; }
  HiveKey* parent() const noexcept { return parent_; }
  // The names from the root down to this key, joined by "\".
  std::string path() const;

  const std::vector<HiveValue>& values() const noexcept { return values_; }
  // The value named `name` without regard to case, or null.
  const HiveValue* find(std::string_view name) const;
  // Creates or replaces a value; a replaced one keeps its place and its name's spelling.
  void set(std::string_view name, RegistryValue value);
  // Removes the values named in `names` (missing ones passed over); how many went.
  std::size_t erase(const std::vector<std::string>& names);
  // True when one of `names` is a value of the key.
  bool holdsAny(const std::vector<std::string>& names) const;

  // Marks the key changed now: it is written afresh, with this time, at the next save.
  void touch();

  const Place& place() const noexcept { return place_; }
  // Changed since it was read, or new: written afresh, with the time of its last change.
  bool touched() const noexcept { return touched_; }
  // Its values are written one by one (changed, or merged when read), not as its block.
  bool rewritten() const noexcept { return rewritten_ || touched_; }
  // Exists only as the parent of other keys: not written while it has no values.
  bool implied() const noexcept { return implied_; }
  bool hasSubKeys() const noexcept { return !children_.empty(); }
  // Its last change (FILETIME: 100 ns since 1601), when touched.
  std::uint64_t modified() const noexcept { return modified_; }

 private:
  friend class Hive;
  friend class WineHiveReader;

  // The place of the value named `name` (the last one so named), or npos.
  std::size_t indexOf(std::string_view name) const;
  // Adds a value at the end; a value of the same name before it goes (see dropSuperseded).
  void append(HiveValue value);
  // Removes the values given twice but the last of each; their comments stay.
  void dropSuperseded();
  // Removes the values whose `gone` is true, keeping their comment lines in place.
  void removeValues(const std::vector<bool>& gone);
  void reindex();

  std::string name_;
  HiveKey* parent_ = nullptr;
  std::vector<HiveKey*> children_;
  // For a key of many sub-keys or values: folded name -> sub-key, and -> place of the value.
  std::unique_ptr<std::unordered_map<std::string, HiveKey*>> childIndex_;
  std::unique_ptr<std::unordered_map<std::string, std::size_t>> valueIndex_;
  std::vector<HiveValue> values_;
  bool superseded_ = false;  // some value was given twice when read
  std::size_t position_ = 0;  // in Hive::keys_
  Place place_;
  bool touched_ = false;
  bool rewritten_ = false;
  bool implied_ = false;
  std::uint64_t modified_ = 0;
};

class Hive {
 public:
  // A hive holding only its root key.
  Hive();

  // The key at `path` (names joined by "\"; empty names are passed over), or null.
  HiveKey* find(std::string_view path) const;
  // The key at `path`, created with its parents when missing, in tree order (after the other
  // sub-keys of its parent); `created` tells whether it was.
  HiveKey& create(std::string_view path, bool& created);
  // The same, but a missing key goes after every other, as the keys of a file are read, and the
  // key is one of its own (not only implied by its sub-keys).
  HiveKey& append(std::string_view path);
  // Every key in the order of the text read (new keys in tree order); the root comes first
  // unless the text gives it a place of its own.
  const std::vector<std::unique_ptr<HiveKey>>& keys() const noexcept { return keys_; }

  // The text the hive was read from ("" for a new hive), and where its header ends.
  const std::string& source() const noexcept { return source_; }
  std::size_t headerEnd() const noexcept { return headerEnd_; }

 private:
  friend class WineHiveReader;

  HiveKey* child(const HiveKey& parent, std::string_view name) const;
  // A new sub-key of `parent` at `position` in keys_.
  HiveKey& addChild(HiveKey& parent, std::string_view name, std::size_t position, bool implied);
  // Where a new sub-key of `parent` goes in tree order: after its parent's other descendants.
  std::size_t treePosition(const HiveKey& parent) const;
  void renumber(std::size_t from);

  std::string source_;
  std::size_t headerEnd_ = 0;
  HiveKey* root_ = nullptr;  // where it stands in keys_ is the file's business
  std::vector<std::unique_ptr<HiveKey>> keys_;
};

// Splits a key path into its names ("\Software\\X\" gives "Software", "X").
std::vector<std::string_view> keyNames(std::string_view path);
// Joins the names of a key path with "\" ("\Software\\X\" gives "Software\X"); throws
// SystemError(InvalidParameter) for names a hive file cannot hold (line breaks, NUL).
std::string normaliseKeyPath(std::string_view path);
// Now as a FILETIME (100 ns since 1601).
std::uint64_t fileTimeNow() noexcept;

}  // namespace os::host
