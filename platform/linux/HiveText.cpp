// Wine's registry format: the hive read from it, and written back as it was read.
#include "platform/linux/HiveText.h"

#include <algorithm>
#include <cstdio>

#include "platform/SystemError.h"
#include "platform/linux/WineText.h"

namespace os::host {
namespace {

constexpr std::string_view kFirstLine = "WINE REGISTRY Version 2";
constexpr std::uint64_t kTicksPerSecond = 10000000;
constexpr std::uint64_t kEpoch1970 = 116444736000000000ULL;  // 1970-01-01 as a FILETIME

// A line of `text` starting at `pos`, without its "\n" (nor a "\r" before it).
std::string_view lineAt(std::string_view text, std::size_t pos, std::size_t& next) {
  std::size_t end = text.find('\n', pos);
  next = end == std::string_view::npos ? text.size() : end + 1;
  if (end == std::string_view::npos) end = text.size();
  std::string_view line = text.substr(pos, end - pos);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

bool isBlank(std::string_view line) {
  return line.find_first_not_of(" \t") == std::string_view::npos;
}

// " <seconds since 1970>\n#time=<FILETIME in hex>\n", as Wine writes a key's time.
void appendTime(std::string& out, std::uint64_t modified) {
  const std::uint64_t since1970 = modified > kEpoch1970 ? modified - kEpoch1970 : 0;
  char time[48];
  std::snprintf(time, sizeof time, " %llu\n#time=%llx\n",
                static_cast<unsigned long long>(since1970 / kTicksPerSecond),
                static_cast<unsigned long long>(modified));
  out += time;
}

}  // namespace

// Reads Wine's format into a hive that keeps the text and where each key and value stood.
class WineHiveReader {
 public:
  WineHiveReader(std::string text, std::string_view fileName) : file_(fileName) {
    hive_.source_ = std::move(text);
    src_ = hive_.source_;
  }

  Hive run() {
    std::size_t next = 0;
    const std::string_view first = lineAt(src_, 0, next);
    line_ = 1;
    if (first != kFirstLine) bad("« " + std::string(kFirstLine) + " » attendu en première ligne");
    HiveKey* key = nullptr;
    std::size_t pending = next;  // start of the lines not yet given to a value
    pos_ = next;
    while (pos_ < src_.size()) {
      const std::size_t start = pos_;
      ++line_;
      const std::string_view line = lineAt(src_, start, pos_);
      if (!line.empty() && line[0] == '[') {
        finishKey(key, pending, start);
        key = &startKey(line, start);
        pending = pos_;
      } else if (!line.empty() && (line[0] == '"' || line[0] == '@')) {
        if (key == nullptr) bad("valeur hors de toute clé");
        value(line, *key, pending, start);
        pending = pos_;
      } else if (!isBlank(line) && line[0] != ';' && line[0] != '#') {
        bad("ligne incomprise");
      }
    }
    finishKey(key, pending, src_.size());
    if (moved_) {
      // Keys that took their place in the file after being known as parents left a hole.
      auto& keys = hive_.keys_;
      keys.erase(std::remove(keys.begin(), keys.end(), nullptr), keys.end());
      hive_.renumber(0);
    }
    for (const auto& k : hive_.keys_) k->dropSuperseded();
    return std::move(hive_);
  }

 private:
  [[noreturn]] void bad(const std::string& problem) const { failHiveText(file_, line_, problem); }

  void finishKey(HiveKey* key, std::size_t pending, std::size_t end) {
    if (key == nullptr) {
      hive_.headerEnd_ = end;
      return;
    }
    if (merged_) return;  // the key keeps the place and lines of its first block
    key->place_.tail = pending;
    key->place_.block.end = end;
  }

  HiveKey& startKey(std::string_view line, std::size_t start) {
    std::size_t pos = 1;
    std::string path;
    if (!parseWineEscaped(line, pos, ']', path)) bad("nom de clé sans « ] »");
    const std::string_view after = line.substr(pos + 1);
    std::size_t k = after.find_first_not_of(" \t");
    if (k == std::string_view::npos) k = after.size();
    while (k < after.size() && after[k] >= '0' && after[k] <= '9') ++k;
    if (!isBlank(after.substr(k))) bad("texte inattendu après le nom de la clé");
    HiveKey* key = hive_.find(path);
    merged_ = key != nullptr && key->place_.inFile;
    if (merged_) {
      key->rewritten_ = true;  // the same key twice: Wine merges them; so do we, written afresh
    } else {
      if (key == nullptr) {
        key = &hive_.append(path);
      } else {
        // Known only as a parent so far: it takes its place in the order of the file.
        auto& keys = hive_.keys_;
        keys.push_back(std::move(keys[key->position_]));
        key->position_ = keys.size() - 1;
        key->implied_ = false;
        moved_ = true;
      }
      key->place_.inFile = true;
      key->place_.block.begin = start;
    }
    // The "#" lines right after the key line belong to it (#time, #class, #link).
    std::size_t next = pos_;
    while (next < src_.size() && src_[next] == '#') {
      ++line_;
      lineAt(src_, next, next);
    }
    pos_ = next;
    if (!merged_) key->place_.headEnd = next;
    return *key;
  }

  void value(std::string_view line, HiveKey& key, std::size_t pending, std::size_t start) {
    std::size_t i = 1;
    HiveValue v;
    if (line[0] == '"') {
      if (!parseWineEscaped(line, i, '"', v.name)) bad("nom de valeur sans « \" » final");
      ++i;
    }
    if (i >= line.size() || line[i] != '=') bad("« = » attendu après le nom de la valeur");
    const std::string_view data = line.substr(i + 1);
    const char* problem = parseValueData(data, v.value, [this](std::string_view& l) {
      if (pos_ >= src_.size()) return false;
      ++line_;
      l = lineAt(src_, pos_, pos_);
      return true;
    });
    if (problem != nullptr) bad(problem);
    if (data.starts_with("hex")) wineHexText(v.value);
    v.before = {pending, start};
    v.lines = {start, pos_};
    key.append(std::move(v));  // a name given twice: the later line wins, as in Wine
  }

  Hive hive_;
  std::string_view src_;
  std::string_view file_;
  std::size_t pos_ = 0;
  std::size_t line_ = 0;
  bool merged_ = false;  // the current block is a key already read
  bool moved_ = false;   // a key left a hole in the order
};

bool isWineHiveText(std::string_view text) noexcept {
  if (!text.starts_with(kFirstLine)) return false;
  const std::string_view rest = text.substr(kFirstLine.size());
  return rest.empty() || rest[0] == '\n' || rest.starts_with("\r\n");
}

Hive readWineHive(std::string text, std::string_view fileName) {
  return WineHiveReader(std::move(text), fileName).run();
}

Hive readHiveText(std::string text, std::string_view fileName) {
  if (isWineHiveText(text)) return readWineHive(std::move(text), fileName);
  return readRegeditHive(text, fileName);
}

void failHiveText(std::string_view fileName, std::size_t line, const std::string& problem) {
  throw SystemError(error::BadRegistryHive, "Base de registre illisible : " + std::string(fileName) +
                                                ", ligne " + std::to_string(line) + " : " +
                                                problem);
}

std::string hiveText(const Hive& hive) {
  const std::string_view src = hive.source();
  std::string out;
  out.reserve(src.size() + 256);
  if (src.empty()) {
    out += kWineHeader;
  } else {
    out.append(src.substr(0, hive.headerEnd()));
  }
  auto endLine = [&out] {
    if (!out.empty() && out.back() != '\n') out += '\n';
  };
  auto blankLine = [&] {
    endLine();
    if (out.size() < 2 || out[out.size() - 2] != '\n') out += '\n';
  };
  auto appendSpan = [&](Span s) { out.append(src.substr(s.begin, s.end - s.begin)); };
  bool afterFresh = false;  // the last key written was not in the text read
  for (const auto& keyPtr : hive.keys()) {
    const HiveKey& key = *keyPtr;
    const HiveKey::Place& place = key.place();
    if (!key.rewritten()) {
      if (!place.inFile) continue;
      if (afterFresh) blankLine();
      appendSpan(place.block);
      afterFresh = false;
      continue;
    }
    // A key with sub-keys and no values is implied by them: Wine does not write it either.
    if (!place.inFile && key.values().empty() && (key.implied() || key.hasSubKeys())) continue;
    blankLine();
    afterFresh = !place.inFile;
    if (!place.inFile) {
      out += '[';
      appendWineEscaped(out, utf8ToUtf16(key.path()), "[]");
      out += ']';
      appendTime(out, key.modified());
    } else if (!key.touched()) {
      appendSpan({place.block.begin, place.headEnd});  // its own time, kept
      endLine();
    } else {
      // Its own first line up to "]", its new time, then its other "#" lines as they were.
      const std::string_view head = src.substr(place.block.begin, place.headEnd - place.block.begin);
      std::size_t next = 0;
      const std::string_view first = lineAt(head, 0, next);
      std::size_t pos = 1;
      std::string ignored;
      parseWineEscaped(first, pos, ']', ignored);
      out.append(first.substr(0, pos + 1));
      appendTime(out, key.modified());
      while (next < head.size()) {
        const std::size_t start = next;
        if (!lineAt(head, start, next).starts_with("#time=")) {
          out.append(head.substr(start, next - start));
          endLine();
        }
      }
    }
    for (const HiveValue& v : key.values()) {
      for (const Span s : v.moved) appendSpan(s);
      appendSpan(v.before);
      if (!v.lines.empty()) {
        appendSpan(v.lines);
      } else {
        endLine();
        out += wineValueText(v.name, v.value);
      }
    }
    for (const Span s : place.tailMoved) appendSpan(s);
    if (place.inFile) appendSpan({place.tail, place.block.end});
  }
  return out;
}

}  // namespace os::host
