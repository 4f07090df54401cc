// Wine's registry text format: escapes, values, and the hive kept as read.
#include "platform/linux/WineRegFormat.h"

#include <time.h>

#include <algorithm>
#include <cstdio>

#include "platform/SystemError.h"
#include "platform/linux/Host.h"
#include "platform/linux/RegistryHive.h"

namespace os::host {
namespace {

constexpr std::string_view kFirstLine = "WINE REGISTRY Version 2";
constexpr std::uint64_t kTicksPerSecond = 10000000;
constexpr std::uint64_t kEpoch1970 = 116444736000000000ULL;  // 1970-01-01 as a FILETIME
constexpr char kDigits[] = "0123456789abcdef";

int hexDigit(char c) noexcept {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool isHexDigit(char16_t c) noexcept { return c < 128 && hexDigit(static_cast<char>(c)) >= 0; }

// A line of `text` starting at `pos`, without its "\n" (nor a "\r" before it).
std::string_view lineAt(std::string_view text, std::size_t pos, std::size_t& next) {
  std::size_t end = text.find('\n', pos);
  next = end == std::string_view::npos ? text.size() : end + 1;
  if (end == std::string_view::npos) end = text.size();
  std::string_view line = text.substr(pos, end - pos);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

std::string_view trimRight(std::string_view s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

void appendHexBytes(std::string& out, std::string_view data, std::size_t column) {
  // As Wine: a line goes on after ",\" once it is longer than 76 characters.
  for (std::size_t i = 0; i < data.size(); ++i) {
    const auto b = static_cast<unsigned char>(data[i]);
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
    column += 2;
    if (i + 1 < data.size()) {
      out += ',';
      if (++column > 76) {
        out += "\\\n  ";
        column = 2;
      }
    }
  }
}

std::string utf16Bytes(std::u16string_view units) {
  std::string out;
  out.reserve(units.size() * 2);
  for (char16_t u : units) {
    out += static_cast<char>(u & 0xFF);
    out += static_cast<char>(u >> 8);
  }
  return out;
}

bool isTextType(std::uint32_t type) noexcept {
  return type == reg::Sz || type == reg::ExpandSz || type == reg::MultiSz;
}

void appendKeyLine(std::string& out, std::string_view path, std::uint64_t modified) {
  out += '[';
  appendWineEscaped(out, utf8ToUtf16(path), "[]");
  char time[48];
  std::snprintf(time, sizeof time, "] %llu\n#time=%llx\n",
                static_cast<unsigned long long>((modified - kEpoch1970) / kTicksPerSecond),
                static_cast<unsigned long long>(modified));
  out += time;
}

}  // namespace

std::u16string utf8ToUtf16(std::string_view s) {
  std::u16string out;
  out.reserve(s.size());
  std::size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      out += static_cast<char16_t>(c);
      ++i;
      continue;
    }
    std::size_t len = 0;
    char32_t cp = 0, min = 0;
    if (c >= 0xC2 && c <= 0xDF) {
      len = 2, cp = c & 0x1F, min = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
      len = 3, cp = c & 0x0F, min = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
      len = 4, cp = c & 0x07, min = 0x10000;
    }
    bool ok = len != 0 && i + len <= s.size();
    for (std::size_t k = 1; ok && k < len; ++k) {
      const auto d = static_cast<unsigned char>(s[i + k]);
      ok = (d & 0xC0) == 0x80;
      cp = (cp << 6) | (d & 0x3F);
    }
    // Three-byte surrogates are taken (they stand for lone surrogates), except the range that
    // stands for bytes that were not UTF-8: those would not come back the same.
    ok = ok && cp >= min && cp <= 0x10FFFF && !(cp >= 0xDC80 && cp <= 0xDCFF);
    if (!ok) {
      out += static_cast<char16_t>(0xDC00 + c);
      ++i;
    } else if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (cp >> 10));
      out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
      i += len;
    } else {
      out += static_cast<char16_t>(cp);
      i += len;
    }
  }
  return out;
}

std::string utf16ToUtf8(std::u16string_view u) {
  std::string out;
  out.reserve(u.size());
  for (std::size_t i = 0; i < u.size(); ++i) {
    char32_t cp = u[i];
    if (cp >= 0xDC80 && cp <= 0xDCFF) {  // a byte that was not UTF-8
      out += static_cast<char>(cp - 0xDC00);
      continue;
    }
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < u.size() && u[i + 1] >= 0xDC00 &&
        u[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (u[i + 1] - 0xDC00);
      ++i;
    }
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (cp >> 18));
      out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

void appendWineEscaped(std::string& out, std::u16string_view s, std::string_view quotes) {
  static constexpr char kControl[33] = ".......abtnvfr.............e....";
  char buffer[16];
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char16_t c = s[i];
    const bool hasNext = i + 1 < s.size();
    if (c > 127) {
      // Four digits when a hex digit follows, or the reader would take it in.
      std::snprintf(buffer, sizeof buffer, hasNext && isHexDigit(s[i + 1]) ? "\\x%04x" : "\\x%x",
                    static_cast<unsigned>(c));
      out += buffer;
    } else if (c < 32) {
      if (kControl[c] != '.') {
        out += '\\';
        out += kControl[c];
      } else {
        const bool octalNext = hasNext && s[i + 1] >= '0' && s[i + 1] <= '7';
        std::snprintf(buffer, sizeof buffer, octalNext ? "\\%03o" : "\\%o",
                      static_cast<unsigned>(c));
        out += buffer;
      }
    } else {
      if (c == '\\' || quotes.find(static_cast<char>(c)) != std::string_view::npos) out += '\\';
      out += static_cast<char>(c);
    }
  }
}

bool parseWineEscaped(std::string_view s, std::size_t& pos, char end, std::u16string& out) {
  while (pos < s.size()) {
    const char c = s[pos];
    if (c == end) return true;
    if (static_cast<unsigned char>(c) >= 0x80) {  // raw UTF-8, as Wine also reads it
      std::size_t stop = pos;
      while (stop < s.size() && static_cast<unsigned char>(s[stop]) >= 0x80) ++stop;
      out += utf8ToUtf16(s.substr(pos, stop - pos));
      pos = stop;
      continue;
    }
    ++pos;
    if (c != '\\') {
      out += static_cast<char16_t>(c);
      continue;
    }
    if (pos >= s.size()) return false;
    const char e = s[pos++];
    switch (e) {
      case 'a': out += u'\a'; break;
      case 'b': out += u'\b'; break;
      case 'e': out += char16_t{27}; break;
      case 'f': out += u'\f'; break;
      case 'n': out += u'\n'; break;
      case 'r': out += u'\r'; break;
      case 't': out += u'\t'; break;
      case 'v': out += u'\v'; break;
      case 'x': {
        unsigned v = 0;
        int n = 0;
        for (; n < 4 && pos < s.size() && hexDigit(s[pos]) >= 0; ++n, ++pos) {
          v = v * 16 + static_cast<unsigned>(hexDigit(s[pos]));
        }
        out += n == 0 ? u'x' : static_cast<char16_t>(v);
        break;
      }
      default:
        if (e >= '0' && e <= '7') {
          unsigned v = static_cast<unsigned>(e - '0');
          for (int n = 1; n < 3 && pos < s.size() && s[pos] >= '0' && s[pos] <= '7'; ++n, ++pos) {
            v = v * 8 + static_cast<unsigned>(s[pos] - '0');
          }
          out += static_cast<char16_t>(v);
        } else if (static_cast<unsigned char>(e) >= 0x80) {
          --pos;  // "\" before a raw character: the character itself
        } else {
          out += static_cast<char16_t>(e);  // "\\", "\"", "\[" and any other: the character
        }
    }
  }
  return false;
}

std::string wineValueText(std::string_view name, const RegistryValue& value) {
  std::string out;
  if (name.empty()) {
    out += "@=";
  } else {
    out += '"';
    appendWineEscaped(out, utf8ToUtf16(name), "\"");
    out += "\"=";
  }
  const std::string& data = value.data;
  if (isTextType(value.type)) {
    const std::u16string units = utf8ToUtf16(data);
    if (!units.empty() && units.back() == 0) {  // a terminated string: in quotes
      if (value.type != reg::Sz) out += value.type == reg::ExpandSz ? "str(2):" : "str(7):";
      out += '"';
      appendWineEscaped(out, std::u16string_view(units).substr(0, units.size() - 1), "\"");
      out += "\"\n";
      return out;
    }
    char prefix[24];
    std::snprintf(prefix, sizeof prefix, "hex(%x):", value.type);
    out += prefix;
    appendHexBytes(out, utf16Bytes(units), out.size());
    out += '\n';
    return out;
  }
  if (value.type == reg::Dword && data.size() == 4) {
    std::uint32_t n = 0;
    for (int b = 3; b >= 0; --b) {
      n = (n << 8) | static_cast<unsigned char>(data[static_cast<std::size_t>(b)]);
    }
    char text[16];
    std::snprintf(text, sizeof text, "dword:%08x\n", n);
    out += text;
    return out;
  }
  char prefix[24];
  if (value.type == reg::Binary) {
    std::snprintf(prefix, sizeof prefix, "hex:");
  } else {
    std::snprintf(prefix, sizeof prefix, "hex(%x):", value.type);
  }
  out += prefix;
  appendHexBytes(out, data, out.size());
  out += '\n';
  return out;
}

bool isWineHiveText(std::string_view text) noexcept {
  if (text.substr(0, kFirstLine.size()) != kFirstLine) return false;
  const std::string_view rest = text.substr(kFirstLine.size());
  return rest.empty() || rest[0] == '\n' || rest.substr(0, 2) == "\r\n";
}

std::uint64_t fileTimeNow() noexcept {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  return kEpoch1970 + static_cast<std::uint64_t>(ts.tv_sec) * kTicksPerSecond +
         static_cast<std::uint64_t>(ts.tv_nsec) / 100;
}

// ---- WineKey

const WineValue* WineKey::find(std::string_view name) const {
  for (auto it = values_.rbegin(); it != values_.rend(); ++it) {
    if (equalsIgnoreCase(it->name, name)) return &*it;
  }
  return nullptr;
}

void WineKey::touch() {
  changed_ = true;
  implied_ = false;
  modified_ = fileTimeNow();
}

void WineKey::set(std::string_view name, RegistryValue value) {
  touch();
  for (WineValue& v : values_) {
    if (equalsIgnoreCase(v.name, name)) {
      v.value = std::move(value);
      v.end = v.begin;  // its lines are written afresh; comments before it stay
      return;
    }
  }
  WineValue v;
  v.name = std::string(name);
  v.value = std::move(value);
  values_.push_back(std::move(v));
}

bool WineKey::remove(std::string_view name) { return erase({std::string(name)}) > 0; }

std::size_t WineKey::erase(const std::vector<std::string>& names) {
  // Sorted rather than hashed, and one pass over the values: quick on keys of many values.
  std::vector<std::string> doomed;
  doomed.reserve(names.size());
  for (const std::string& name : names) doomed.push_back(foldedCopy(name));
  std::sort(doomed.begin(), doomed.end());
  std::size_t gone = 0;
  std::vector<std::pair<std::size_t, std::size_t>> kept;  // comment lines of removed values
  std::size_t out = 0;
  for (std::size_t i = 0; i < values_.size(); ++i) {
    WineValue& v = values_[i];
    if (std::binary_search(doomed.begin(), doomed.end(), foldedCopy(v.name))) {
      // Comment lines before it stay where they were: before the next value, or at the end.
      kept.insert(kept.end(), v.moved.begin(), v.moved.end());
      if (v.begin > v.before) kept.emplace_back(v.before, v.begin);
      ++gone;
      continue;
    }
    if (!kept.empty()) {
      v.moved.insert(v.moved.begin(), kept.begin(), kept.end());
      kept.clear();
    }
    if (out != i) values_[out] = std::move(v);
    ++out;
  }
  values_.resize(out);
  tailMoved_.insert(tailMoved_.begin(), kept.begin(), kept.end());
  if (gone > 0) touch();
  return gone;
}

// ---- WineHive

WineHive::WineHive() {
  auto root = std::make_unique<WineKey>();
  root->implied_ = true;
  index_.emplace("", root.get());
  keys_.push_back(std::move(root));
}

WineKey* WineHive::find(std::string_view path) {
  const auto it = index_.find(foldedCopy(path));
  return it == index_.end() ? nullptr : it->second;
}

WineKey& WineHive::insert(std::string path, bool implied) {
  // After the last key of its parent's subtree, so that the file stays in tree order.
  const std::size_t cut = path.rfind('\\');
  const std::string parent = foldedCopy(cut == std::string::npos ? "" : path.substr(0, cut));
  std::size_t at = keys_.size();
  for (std::size_t i = 0; i < keys_.size(); ++i) {
    if (foldedCopy(keys_[i]->path_) != parent) continue;
    at = i + 1;
    const std::string prefix = parent.empty() ? "" : parent + "\\";
    while (at < keys_.size() && (prefix.empty() || foldedCopy(keys_[at]->path_).rfind(prefix, 0) == 0))
      ++at;
    break;
  }
  auto key = std::make_unique<WineKey>();
  key->path_ = std::move(path);
  key->implied_ = implied;
  key->changed_ = true;
  key->modified_ = fileTimeNow();
  WineKey* raw = key.get();
  keys_.insert(keys_.begin() + static_cast<std::ptrdiff_t>(at), std::move(key));
  index_.emplace(foldedCopy(raw->path_), raw);
  return *raw;
}

WineKey& WineHive::append(std::string path, bool implied) {
  auto key = std::make_unique<WineKey>();
  key->path_ = std::move(path);
  key->implied_ = implied;
  WineKey* raw = key.get();
  keys_.push_back(std::move(key));
  index_.emplace(foldedCopy(raw->path_), raw);
  return *raw;
}

WineKey& WineHive::create(std::string_view path, bool& created) {
  created = false;
  if (WineKey* key = find(path)) return *key;
  if (!path.empty()) {
    const std::size_t cut = path.rfind('\\');
    const std::string_view parentPath =
        cut == std::string_view::npos ? std::string_view() : path.substr(0, cut);
    if (find(parentPath) == nullptr) {
      bool parentCreated = false;
      create(parentPath, parentCreated).implied_ = true;
    }
  }
  created = true;
  return insert(std::string(path), false);
}

std::string WineHive::toText() const {
  const std::string_view src = source_;
  std::string out;
  out.reserve(src.size() + 256);
  if (source_.empty()) {
    out += kWineHeader;
  } else {
    out.append(src.substr(0, headerEnd_));
  }
  auto endLine = [&out] {
    if (!out.empty() && out.back() != '\n') out += '\n';
  };
  auto blankLine = [&] {
    endLine();
    if (out.size() < 2 || out[out.size() - 2] != '\n') out += '\n';
  };
  auto appendSpans = [&](const std::vector<std::pair<std::size_t, std::size_t>>& spans) {
    for (const auto& [b, e] : spans) out.append(src.substr(b, e - b));
  };
  bool afterFresh = false;  // the last key written was not in the text read
  for (const auto& keyPtr : keys_) {
    const WineKey& key = *keyPtr;
    if (!key.changed_) {
      if (!key.inFile_) continue;
      if (afterFresh) blankLine();
      out.append(src.substr(key.blockBegin_, key.blockEnd_ - key.blockBegin_));
      afterFresh = false;
      continue;
    }
    if (!key.inFile_ && key.implied_ && key.values_.empty()) continue;  // implied by sub-keys
    blankLine();
    afterFresh = !key.inFile_;
    if (key.inFile_) {
      // Its own first line up to "]", a fresh time, then its other "#" lines as they were.
      const std::string_view head = src.substr(key.blockBegin_, key.headEnd_ - key.blockBegin_);
      std::size_t next = 0;
      std::string_view first = lineAt(head, 0, next);
      std::size_t pos = 1;
      std::u16string ignored;
      parseWineEscaped(first, pos, ']', ignored);
      out.append(first.substr(0, pos + 1));
      char time[48];
      std::snprintf(time, sizeof time, " %llu\n#time=%llx\n",
                    static_cast<unsigned long long>((key.modified_ - kEpoch1970) / kTicksPerSecond),
                    static_cast<unsigned long long>(key.modified_));
      out += time;
      while (next < head.size()) {
        const std::size_t start = next;
        const std::string_view line = lineAt(head, start, next);
        if (line.substr(0, 6) != "#time=") {
          out.append(head.substr(start, next - start));
          endLine();
        }
      }
    } else {
      appendKeyLine(out, key.path_, key.modified_);
    }
    for (const WineValue& v : key.values_) {
      appendSpans(v.moved);
      out.append(src.substr(v.before, v.begin - v.before));
      if (v.end > v.begin) {
        out.append(src.substr(v.begin, v.end - v.begin));
      } else {
        endLine();
        out += wineValueText(v.name, v.value);
      }
    }
    appendSpans(key.tailMoved_);
    if (key.inFile_) out.append(src.substr(key.tail_, key.blockEnd_ - key.tail_));
  }
  return out;
}

// ---- Reading

// Decodes an escaped string up to `end` straight to UTF-8; plain text (most of a hive) is
// copied as it is.
bool decodeToUtf8(std::string_view s, std::size_t& pos, char end, std::string& out) {
  std::size_t k = pos;
  while (k < s.size() && s[k] != end && s[k] != '\\' && static_cast<unsigned char>(s[k]) < 0x80) ++k;
  if (k < s.size() && s[k] == end) {
    out.assign(s.substr(pos, k - pos));
    pos = k;
    return true;
  }
  std::u16string units;
  if (!parseWineEscaped(s, pos, end, units)) return false;
  out = utf16ToUtf8(units);
  return true;
}

class WineParser {
 public:
  WineParser(std::string text, std::string_view fileName) : file_(fileName) {
    hive_.source_ = std::move(text);
    src_ = hive_.source_;
    hive_.index_.reserve(src_.size() / 128);  // about one key in every 200 bytes, in Wine's
  }

  WineHive run() {
    std::size_t next = 0;
    const std::string_view first = lineAt(src_, 0, next);
    lineNumber_ = 1;
    if (first != kFirstLine) bad("« " + std::string(kFirstLine) + " » attendu en première ligne");
    WineKey* key = nullptr;
    std::size_t pending = next;  // start of the lines not yet given to a value
    pos_ = next;
    while (pos_ < src_.size()) {
      const std::size_t start = pos_;
      ++lineNumber_;
      const std::string_view line = lineAt(src_, start, pos_);
      if (!line.empty() && line[0] == '[') {
        finishKey(key, pending, start);
        key = &startKey(line, start);
        pending = pos_;
      } else if (!line.empty() && (line[0] == '"' || line[0] == '@')) {
        if (key == nullptr) bad("valeur hors de toute clé");
        value(line, *key, pending, start);
        pending = pos_;
      } else if (!trimRight(line).empty() && line[0] != ';' && line[0] != '#') {
        bad("ligne incomprise");
      }
    }
    finishKey(key, pending, src_.size());
    if (key == nullptr) hive_.headerEnd_ = src_.size();
    return std::move(hive_);
  }

 private:
  [[noreturn]] void bad(const std::string& problem) const {
    throw SystemError(error::BadRegistryHive, "Base de registre illisible : " + std::string(file_) +
                                                  ", ligne " + std::to_string(lineNumber_) +
                                                  " : " + problem);
  }

  void finishKey(WineKey* key, std::size_t pending, std::size_t end) {
    if (key == nullptr) {
      hive_.headerEnd_ = end;
      return;
    }
    if (mergedBlock_) return;  // the key keeps the place and lines of its first block
    key->tail_ = pending;
    key->blockEnd_ = end;
  }

  WineKey& startKey(std::string_view line, std::size_t start) {
    std::size_t pos = 1;
    std::string name;
    if (!decodeToUtf8(line, pos, ']', name)) bad("nom de clé sans « ] »");
    const std::string_view after = trimRight(line.substr(pos + 1));
    std::size_t k = 0;
    while (k < after.size() && (after[k] == ' ' || after[k] == '\t')) ++k;
    while (k < after.size() && after[k] >= '0' && after[k] <= '9') ++k;
    if (k != after.size()) bad("texte inattendu après le nom de la clé");
    const std::string path = joinKeyPath(name);
    WineKey* key = hive_.find(path);
    mergedBlock_ = key != nullptr && key->inFile_;
    if (mergedBlock_) {
      key->changed_ = true;  // the same key twice: Wine merges them; so do we, written afresh
    } else {
      if (key == nullptr) {
        addParents(path);
        key = &hive_.append(path, false);
      } else {
        // Known only as a parent so far: it takes its place in the order of the file.
        const auto it = std::find_if(hive_.keys_.begin(), hive_.keys_.end(),
                                     [&](const auto& p) { return p.get() == key; });
        auto owned = std::move(*it);
        hive_.keys_.erase(it);
        hive_.keys_.push_back(std::move(owned));
      }
      key->inFile_ = true;
      key->implied_ = false;
      key->blockBegin_ = start;
    }
    // The "#" lines right after the key line belong to it (#time, #class, #link).
    std::size_t next = pos_;
    while (next < src_.size() && src_[next] == '#') {
      ++lineNumber_;
      lineAt(src_, next, next);
    }
    pos_ = next;
    if (!mergedBlock_) key->headEnd_ = next;
    return *key;
  }

  void addParents(std::string_view path) {
    const std::size_t cut = path.rfind('\\');
    const std::string_view parent = cut == std::string_view::npos ? "" : path.substr(0, cut);
    if (hive_.find(parent) != nullptr) return;
    addParents(parent);
    hive_.append(std::string(parent), true);
  }

  void value(std::string_view line, WineKey& key, std::size_t pending, std::size_t start) {
    std::size_t i = 1;
    WineValue v;
    if (line[0] == '"') {
      if (!decodeToUtf8(line, i, '"', v.name)) bad("nom de valeur sans « \" » final");
      ++i;
    }
    if (i >= line.size() || line[i] != '=') bad("« = » attendu après le nom de la valeur");
    const std::string_view data = line.substr(i + 1);
    if (data.substr(0, 1) == "\"") {
      text(data, 1, reg::Sz, v.value);
    } else if (data.substr(0, 5) == "str:\"") {
      text(data, 5, reg::Sz, v.value);
    } else if (data.substr(0, 8) == "str(2):\"") {
      text(data, 8, reg::ExpandSz, v.value);
    } else if (data.substr(0, 8) == "str(7):\"") {
      text(data, 8, reg::MultiSz, v.value);
    } else if (data.substr(0, 6) == "dword:") {
      const std::string_view digits = trimRight(data.substr(6));
      if (digits.empty() || digits.size() > 8) bad("dword incorrect");
      std::uint32_t n = 0;
      for (char c : digits) {
        if (hexDigit(c) < 0) bad("dword incorrect");
        n = n * 16 + static_cast<std::uint32_t>(hexDigit(c));
      }
      v.value.type = reg::Dword;
      for (int b = 0; b < 4; ++b) v.value.data += static_cast<char>((n >> (8 * b)) & 0xFF);
    } else if (data.substr(0, 3) == "hex") {
      hex(data, v.value);
    } else {
      bad("type de valeur inconnu");
    }
    v.before = pending;
    v.begin = start;
    v.end = pos_;
    if (mergedBlock_) {
      key.set(v.name, std::move(v.value));
      return;
    }
    // A name given twice: the later line wins, as in Wine; the key is then written afresh.
    for (auto it = key.values_.begin(); it != key.values_.end(); ++it) {
      if (equalsIgnoreCase(it->name, v.name)) {
        key.values_.erase(it);
        key.changed_ = true;
        break;
      }
    }
    key.values_.push_back(std::move(v));
  }

  void text(std::string_view data, std::size_t open, std::uint32_t type, RegistryValue& out) {
    std::size_t pos = open;
    if (!decodeToUtf8(data, pos, '"', out.data)) bad("chaîne sans « \" » final");
    if (!trimRight(data.substr(pos + 1)).empty()) bad("texte après la chaîne");
    out.data += '\0';
    out.type = type;
  }

  void hex(std::string_view data, RegistryValue& v) {
    std::size_t i = 3;
    v.type = reg::Binary;
    if (i < data.size() && data[i] == '(') {
      const std::size_t close = data.find(')', i);
      if (close == std::string_view::npos || close == i + 1 || close > i + 9) bad("type hex incorrect");
      std::uint32_t type = 0;
      for (std::size_t k = i + 1; k < close; ++k) {
        if (hexDigit(data[k]) < 0) bad("type hex incorrect");
        type = type * 16 + static_cast<std::uint32_t>(hexDigit(data[k]));
      }
      v.type = type;
      i = close + 1;
    }
    if (i >= data.size() || data[i] != ':') bad("« : » attendu après hex");
    std::string_view rest = trimRight(data.substr(i + 1));
    std::string bytes;
    for (;;) {
      const bool more = !rest.empty() && rest.back() == '\\';
      if (more) rest.remove_suffix(1);
      std::size_t k = 0;
      while (k < rest.size()) {
        if (rest[k] == ' ' || rest[k] == '\t' || rest[k] == ',') {
          ++k;
          continue;
        }
        if (k + 1 >= rest.size() || hexDigit(rest[k]) < 0 || hexDigit(rest[k + 1]) < 0)
          bad("octet hex incorrect");
        bytes += static_cast<char>(hexDigit(rest[k]) * 16 + hexDigit(rest[k + 1]));
        k += 2;
        if (k < rest.size() && rest[k] != ',' && rest[k] != ' ' && rest[k] != '\t')
          bad("« , » attendu entre les octets");
      }
      if (!more) break;
      if (pos_ >= src_.size()) bad("suite attendue après « \\ » en fin de fichier");
      ++lineNumber_;
      rest = trimRight(lineAt(src_, pos_, pos_));
    }
    if (isTextType(v.type) && bytes.size() % 2 == 0) {
      std::u16string units(bytes.size() / 2, u'\0');
      for (std::size_t k = 0; k < units.size(); ++k) {
        units[k] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * k]) |
                                         static_cast<unsigned char>(bytes[2 * k + 1]) << 8);
      }
      v.data = utf16ToUtf8(units);
    } else {
      v.data = std::move(bytes);
    }
  }

  WineHive hive_;
  std::string_view src_;
  std::string_view file_;
  std::size_t pos_ = 0;
  std::size_t lineNumber_ = 0;
  bool mergedBlock_ = false;
};

WineHive WineHive::parse(std::string text, std::string_view fileName) {
  return WineParser(std::move(text), fileName).run();
}

WineHive readHiveText(std::string text, std::string_view fileName) {
  if (isWineHiveText(text)) return WineHive::parse(std::move(text), fileName);
  const Hive old = Hive::parse(text, fileName);
  WineHive hive;
  const std::vector<HiveKey>& keys = old.keys();
  for (std::size_t i = 0; i < keys.size(); ++i) {
    const HiveKey& k = keys[i];
    // As Wine: a key with no values whose sub-keys follow is implied by them, not written.
    if (k.values.empty() && i + 1 < keys.size() &&
        foldedCopy(keys[i + 1].path).rfind(foldedCopy(k.path) + "\\", 0) == 0) {
      continue;
    }
    bool created = false;
    WineKey& key = hive.create(k.path, created);
    for (const HiveValue& v : k.values) key.set(v.name, v.value);
  }
  return hive;
}

}  // namespace os::host
