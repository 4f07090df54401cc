#pragma once
// A hive in Wine's own registry format ("WINE REGISTRY Version 2"), kept as read: the text of
// every key and value that no change touched is written back byte for byte (header, comments,
// #time/#class/#link lines, order), and only changed keys are written afresh.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/Registry.h"

namespace os::host {

// Text for the registry API is UTF-8; the file holds UTF-16 code units. Bytes that are not
// UTF-8 travel as the lone surrogates U+DC80..U+DCFF, and lone surrogates from the file as their
// three-byte forms, so that both directions give back exactly what they were given.
std::u16string utf8ToUtf16(std::string_view text);
std::string utf16ToUtf8(std::u16string_view units);

// Appends `units` as Wine escapes them between quotes; `quotes` are the characters escaped with
// a "\" besides "\" itself ("\"" for names and strings, "[]" for key paths).
void appendWineEscaped(std::string& out, std::u16string_view units, std::string_view quotes);
// Decodes an escaped string from text[pos] up to the first unescaped `end`; pos is left on
// `end`. False when the line ends first.
bool parseWineEscaped(std::string_view text, std::size_t& pos, char end, std::u16string& out);

// The lines of one value in Wine's form, each ending with "\n".
std::string wineValueText(std::string_view name, const RegistryValue& value);

// The first lines of every hive the program writes.
inline constexpr std::string_view kWineHeader =
    "WINE REGISTRY Version 2\n"
    ";; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n"
    "\n"
    "#arch=win64\n";
// True when `text` starts with Wine's first line.
bool isWineHiveText(std::string_view text) noexcept;

// Now as a FILETIME (100 ns since 1601).
std::uint64_t fileTimeNow() noexcept;

struct WineValue {
  std::string name;  // "" is the key's default value ("@")
  RegistryValue value;
  // Where its lines are in the text read, the lines before it (comments) first; empty: new.
  std::size_t before = 0, begin = 0, end = 0;
  // Comment lines of removed values before it, as spans of the text read, written first.
  std::vector<std::pair<std::size_t, std::size_t>> moved;
};

class WineKey {
 public:
  const std::string& path() const noexcept { return path_; }  // "" = root; "\" between names
  const std::vector<WineValue>& values() const noexcept { return values_; }
  // The value named `name` without regard to case, or null.
  const WineValue* find(std::string_view name) const;
  // Creates or replaces a value (replacing keeps its place).
  void set(std::string_view name, RegistryValue value);
  // Removes a value; false when there is none.
  bool remove(std::string_view name);
  // Removes the values named in `names` (missing ones passed over); how many went.
  std::size_t erase(const std::vector<std::string>& names);

 private:
  friend class WineHive;
  friend class WineParser;
  void touch();

  std::string path_;
  std::vector<WineValue> values_;
  bool inFile_ = false;   // read from the text: [blockBegin, blockEnd) holds it
  bool changed_ = false;  // written afresh
  bool implied_ = false;  // exists only as the parent of other keys: not written while empty
  std::size_t blockBegin_ = 0, headEnd_ = 0, tail_ = 0, blockEnd_ = 0;
  std::vector<std::pair<std::size_t, std::size_t>> tailMoved_;
  std::uint64_t modified_ = 0;  // last-write time (FILETIME) written when changed
};

class WineHive {
 public:
  WineHive();
  // The key at `path` (normalised, see normaliseKeyPath) or null.
  WineKey* find(std::string_view path);
  // The key at `path`, created with its parents when missing; `created` tells whether it was.
  WineKey& create(std::string_view path, bool& created);

  // The hive in Wine's format: the text read, with only the changed keys written afresh.
  std::string toText() const;
  // Parses Wine's format; throws SystemError(BadRegistryHive) naming `fileName` and the line.
  static WineHive parse(std::string text, std::string_view fileName);

 private:
  friend class WineParser;
  WineKey& insert(std::string path, bool implied);  // in tree order
  WineKey& append(std::string path, bool implied);  // at the end

  std::string source_;  // the text read; "" for a new hive
  std::size_t headerEnd_ = 0;
  std::vector<std::unique_ptr<WineKey>> keys_;       // in file order
  std::unordered_map<std::string, WineKey*> index_;  // folded path -> key
};

// Reads user.reg: Wine's format, or the regedit text format ("Windows Registry Editor Version
// 5.00") of the program's earlier versions, whose keys are all written afresh, in Wine's format,
// at the next save. Throws SystemError(BadRegistryHive) naming `fileName` and the line.
WineHive readHiveText(std::string text, std::string_view fileName);

}  // namespace os::host
