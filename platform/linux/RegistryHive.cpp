// The hive in memory and its regedit-style text form.
#include "platform/linux/RegistryHive.h"

#include <algorithm>
#include <cstdio>

#include "platform/SystemError.h"
#include "platform/linux/Host.h"

namespace os::host {
namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kRoot = "HKEY_CURRENT_USER";

bool hasLineBreakOrNul(std::string_view s) noexcept {
  return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

void appendQuoted(std::string& out, std::string_view text) {
  out += '"';
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  out += '"';
}

void appendHex(std::string& out, std::string_view prefix, std::string_view data,
               std::size_t lineStart) {
  static constexpr char kDigits[] = "0123456789abcdef";
  out += prefix;
  std::size_t column = out.size() - lineStart;
  for (std::size_t i = 0; i < data.size(); ++i) {
    const auto b = static_cast<unsigned char>(data[i]);
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
    column += 2;
    if (i + 1 < data.size()) {
      out += ',';
      ++column;
      if (column > 76) {  // as regedit does: continue on the next line
        out += "\\\n  ";
        column = 2;
      }
    }
  }
}

int hexDigit(char c) noexcept {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

bool startsWithIgnoreCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && equalsIgnoreCase(s.substr(0, prefix.size()), prefix);
}

class Parser {
 public:
  Parser(std::string_view text, std::string_view fileName) : text_(text), file_(fileName) {
    if (text_.substr(0, 3) == "\xEF\xBB\xBF") text_.remove_prefix(3);
  }

  Hive run() {
    Hive hive;
    HiveKey* key = nullptr;
    bool header = false;
    std::string_view line;
    while (nextLine(line)) {
      line = trim(line);
      if (line.empty() || line[0] == ';') continue;
      if (!header) {
        if (line != kHeader) bad("ce n'est pas un fichier de registre (\"" + std::string(kHeader) + "\" attendu)");
        header = true;
      } else if (line[0] == '[') {
        filled_.push_back(keyPath(line));
        key = &hive.create(filled_.back(), created_);
      } else {
        if (key == nullptr) bad("valeur hors de toute clé");
        value(line, *key);
      }
    }
    if (!header) bad("fichier vide");
    // A name given twice keeps its first place and its last data.
    for (const std::string& path : filled_) hive.find(path)->mergeSameNames();
    return hive;
  }

 private:
  bool nextLine(std::string_view& line) {
    if (pos_ >= text_.size()) return false;
    std::size_t end = text_.find('\n', pos_);
    if (end == std::string_view::npos) end = text_.size();
    line = text_.substr(pos_, end - pos_);
    pos_ = end + 1;
    ++lineNumber_;
    return true;
  }

  [[noreturn]] void bad(const std::string& problem) const {
    throw SystemError(error::BadRegistryHive, "Base de registre illisible : " + std::string(file_) +
                                                  ", ligne " + std::to_string(lineNumber_) +
                                                  " : " + problem);
  }

  std::string keyPath(std::string_view line) {
    if (line.back() != ']') bad("nom de clé sans \"]\" final");
    std::string_view name = line.substr(1, line.size() - 2);
    if (!name.empty() && name[0] == '-') bad("la suppression de clés n'est pas prise en charge");
    if (!startsWithIgnoreCase(name, kRoot) ||
        (name.size() > kRoot.size() && name[kRoot.size()] != '\\')) {
      bad("clé hors de HKEY_CURRENT_USER");
    }
    return normaliseKeyPath(name.substr(kRoot.size()));
  }

  // A quoted string starting at s[i] == '"'; moves i past the closing quote.
  std::string quoted(std::string_view s, std::size_t& i) {
    std::string out;
    for (++i; i < s.size(); ++i) {
      char c = s[i];
      if (c == '"') {
        ++i;
        return out;
      }
      if (c == '\\') {
        if (++i >= s.size() || (s[i] != '\\' && s[i] != '"')) bad("échappement incorrect dans une chaîne");
        c = s[i];
      }
      out += c;
    }
    bad("chaîne sans guillemet final");
  }

  void value(std::string_view line, HiveKey& key) {
    std::size_t i = 0;
    std::string name;
    if (line[0] == '@') {
      i = 1;
    } else if (line[0] == '"') {
      name = quoted(line, i);
    } else {
      bad("nom de valeur attendu");
    }
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i >= line.size() || line[i] != '=') bad("\"=\" attendu");
    std::string_view data = trim(line.substr(i + 1));

    RegistryValue v;
    if (!data.empty() && data[0] == '"') {
      std::size_t j = 0;
      v.type = reg::Sz;
      v.data = quoted(data, j);
      v.data += '\0';
      if (!trim(data.substr(j)).empty()) bad("texte après une chaîne");
    } else if (startsWithIgnoreCase(data, "dword:")) {
      const std::string_view digits = data.substr(6);
      if (digits.empty() || digits.size() > 8) bad("dword incorrect");
      std::uint32_t n = 0;
      for (char c : digits) {
        const int d = hexDigit(c);
        if (d < 0) bad("dword incorrect");
        n = n * 16 + static_cast<std::uint32_t>(d);
      }
      v.type = reg::Dword;
      for (int b = 0; b < 4; ++b) v.data += static_cast<char>((n >> (8 * b)) & 0xFF);
    } else if (startsWithIgnoreCase(data, "hex")) {
      hexValue(data, v);
    } else if (data == "-") {
      bad("la suppression de valeurs n'est pas prise en charge");
    } else {
      bad("données de valeur inconnues");
    }
    key.values.push_back({std::move(name), std::move(v)});  // names given twice: see run()
  }

  void hexValue(std::string_view data, RegistryValue& v) {
    std::size_t i = 3;
    v.type = reg::Binary;
    if (i < data.size() && data[i] == '(') {
      const std::size_t close = data.find(')', i);
      if (close == std::string_view::npos || close == i + 1 || close > i + 9) bad("type hex incorrect");
      std::uint32_t type = 0;
      for (std::size_t k = i + 1; k < close; ++k) {
        const int d = hexDigit(data[k]);
        if (d < 0) bad("type hex incorrect");
        type = type * 16 + static_cast<std::uint32_t>(d);
      }
      v.type = type;
      i = close + 1;
    }
    if (i >= data.size() || data[i] != ':') bad("\":\" attendu après hex");
    std::string bytes(data.substr(i + 1));
    // Continuation lines: a final "\" joins the next line.
    std::string_view next;
    while (!bytes.empty() && bytes.back() == '\\') {
      bytes.pop_back();
      if (!nextLine(next)) bad("ligne de suite attendue à la fin du fichier");
      bytes += trim(next);
    }
    std::size_t k = 0;
    auto skipBlanks = [&] {
      while (k < bytes.size() && (bytes[k] == ' ' || bytes[k] == '\t')) ++k;
    };
    skipBlanks();
    while (k < bytes.size()) {
      if (k + 1 >= bytes.size()) bad("octet hexadécimal incorrect");
      const int hi = hexDigit(bytes[k]);
      const int lo = hexDigit(bytes[k + 1]);
      if (hi < 0 || lo < 0) bad("octet hexadécimal incorrect");
      v.data += static_cast<char>(hi * 16 + lo);
      k += 2;
      skipBlanks();
      if (k < bytes.size()) {
        if (bytes[k] != ',') bad("\",\" attendu entre les octets hexadécimaux");
        ++k;
        skipBlanks();
        if (k >= bytes.size()) bad("octet hexadécimal incorrect");
      }
    }
  }

  std::string_view text_;
  std::string_view file_;
  std::size_t pos_ = 0;
  std::size_t lineNumber_ = 0;
  bool created_ = false;
  std::vector<std::string> filled_;  // the keys of the sections read
};

}  // namespace

HiveValue* HiveKey::find(std::string_view name) {
  for (HiveValue& v : values) {
    if (equalsIgnoreCase(v.name, name)) return &v;
  }
  return nullptr;
}

std::size_t HiveKey::erase(const std::vector<std::string>& names) {
  // Sorted rather than hashed: no allocation per name, quicker on keys of many values.
  std::vector<std::string> doomed;
  doomed.reserve(names.size());
  for (const std::string& name : names) doomed.push_back(foldedCopy(name));
  std::sort(doomed.begin(), doomed.end());
  std::size_t kept = 0;
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (std::binary_search(doomed.begin(), doomed.end(), foldedCopy(values[i].name))) continue;
    if (kept != i) values[kept] = std::move(values[i]);
    ++kept;
  }
  const std::size_t gone = values.size() - kept;
  values.resize(kept);
  return gone;
}

void HiveKey::mergeSameNames() {
  if (values.size() < 2) return;
  std::vector<std::pair<std::string, std::size_t>> order;  // name, place
  order.reserve(values.size());
  for (std::size_t i = 0; i < values.size(); ++i) order.emplace_back(foldedCopy(values[i].name), i);
  std::sort(order.begin(), order.end());
  std::vector<bool> drop(values.size(), false);
  bool merged = false;
  for (std::size_t i = 0; i < order.size();) {
    std::size_t j = i + 1;
    while (j < order.size() && order[j].first == order[i].first) drop[order[j++].second] = true;
    if (j - i > 1) {
      values[order[i].second].value = std::move(values[order[j - 1].second].value);
      merged = true;
    }
    i = j;
  }
  if (!merged) return;
  std::size_t kept = 0;
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (drop[i]) continue;
    if (kept != i) values[kept] = std::move(values[i]);
    ++kept;
  }
  values.resize(kept);
}

HiveKey* Hive::find(std::string_view path) {
  const auto it = index_.find(foldedCopy(path));
  return it == index_.end() ? nullptr : &keys_[it->second];
}

HiveKey& Hive::create(std::string_view path, bool& created) {
  created = false;
  if (HiveKey* key = find(path)) return *key;
  if (!path.empty()) {
    const std::size_t cut = path.rfind('\\');
    bool parentCreated = false;
    create(cut == std::string_view::npos ? std::string_view() : path.substr(0, cut), parentCreated);
  }
  index_.emplace(foldedCopy(path), keys_.size());
  keys_.push_back(HiveKey{std::string(path), {}});
  created = true;
  return keys_.back();
}

std::string Hive::toText() const {
  std::string out(kHeader);
  out += "\n";
  for (const HiveKey& key : keys_) {
    out += "\n[";
    out += kRoot;
    if (!key.path.empty()) out.append("\\").append(key.path);
    out += "]\n";
    for (const HiveValue& v : key.values) {
      const std::size_t lineStart = out.size();
      if (v.name.empty()) {
        out += '@';
      } else {
        appendQuoted(out, v.name);
      }
      out += '=';
      const RegistryValue& value = v.value;
      if (isPlainText(value)) {
        appendQuoted(out, std::string_view(value.data).substr(0, value.data.size() - 1));
      } else if (value.type == reg::Dword && value.data.size() == 4) {
        std::uint32_t n = 0;
        for (int b = 3; b >= 0; --b) {
          n = (n << 8) | static_cast<unsigned char>(value.data[static_cast<std::size_t>(b)]);
        }
        char text[16];
        std::snprintf(text, sizeof text, "dword:%08x", n);
        out += text;
      } else if (value.type == reg::Binary) {
        appendHex(out, "hex:", value.data, lineStart);
      } else {
        char prefix[24];
        std::snprintf(prefix, sizeof prefix, "hex(%x):", value.type);
        appendHex(out, prefix, value.data, lineStart);
      }
      out += '\n';
    }
  }
  return out;
}

Hive Hive::parse(std::string_view text, std::string_view fileName) {
  return Parser(text, fileName).run();
}

std::string normaliseKeyPath(std::string_view path) {
  if (hasLineBreakOrNul(path)) {
    throw SystemError(error::InvalidParameter, "Nom de clé de registre refusé (saut de ligne ou caractère nul) : " +
                                                   std::string(path));
  }
  return joinKeyPath(path);
}

std::string joinKeyPath(std::string_view path) {
  std::string out;
  std::size_t i = 0;
  while (i < path.size()) {
    std::size_t j = path.find('\\', i);
    if (j == std::string_view::npos) j = path.size();
    if (j > i) {
      if (!out.empty()) out += '\\';
      out.append(path.substr(i, j - i));
    }
    i = j + 1;
  }
  return out;
}

bool isPlainText(const RegistryValue& value) noexcept {
  const std::string& d = value.data;
  return value.type == reg::Sz && !d.empty() && d.back() == '\0' &&
         !hasLineBreakOrNul(std::string_view(d).substr(0, d.size() - 1));
}

}  // namespace os::host
