// Wine's registry text: escapes, UTF-16, and the forms of a value's data.
#include "platform/linux/WineText.h"

#include <cstdio>

#include "platform/common/CaseFold.h"

namespace os::host {
namespace {

constexpr char kDigits[] = "0123456789abcdef";

int hexDigit(char c) noexcept {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool isHexDigit(char16_t c) noexcept { return c < 128 && hexDigit(static_cast<char>(c)) >= 0; }

bool isTextType(std::uint32_t type) noexcept {
  return type == reg::Sz || type == reg::ExpandSz || type == reg::MultiSz;
}

std::string_view trimRight(std::string_view s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// Reads hex digits "1f" of at most `most` characters as a number; false when there are none or
// another character is among them.
bool hexNumber(std::string_view digits, std::size_t most, std::uint32_t& n) {
  if (digits.empty() || digits.size() > most) return false;
  n = 0;
  for (const char c : digits) {
    if (hexDigit(c) < 0) return false;
    n = n * 16 + static_cast<std::uint32_t>(hexDigit(c));
  }
  return true;
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
  for (const char16_t u : units) {
    out += static_cast<char>(u & 0xFF);
    out += static_cast<char>(u >> 8);
  }
  return out;
}

// The quoted text from data[open], up to its closing quote, into a value of type `type`.
const char* quotedText(std::string_view data, std::size_t open, std::uint32_t type,
                       RegistryValue& out) {
  std::size_t pos = open;
  if (!parseWineEscaped(data, pos, '"', out.data)) return "chaîne sans « \" » final";
  if (!trimRight(data.substr(pos + 1)).empty()) return "texte après la chaîne";
  out.data += '\0';
  out.type = type;
  return nullptr;
}

// A list of hex bytes "00,ff,\" going on over the lines `nextLine` gives after a final "\".
const char* hexBytes(std::string_view rest, std::string& bytes,
                     const std::function<bool(std::string_view&)>& nextLine) {
  for (;;) {
    rest = trimRight(rest);
    const bool more = !rest.empty() && rest.back() == '\\';
    if (more) rest.remove_suffix(1);
    std::size_t k = 0;
    while (k < rest.size()) {
      if (rest[k] == ' ' || rest[k] == '\t' || rest[k] == ',') {
        ++k;
        continue;
      }
      if (k + 1 >= rest.size() || hexDigit(rest[k]) < 0 || hexDigit(rest[k + 1]) < 0) {
        return "octet hexadécimal incorrect";
      }
      bytes += static_cast<char>(hexDigit(rest[k]) * 16 + hexDigit(rest[k + 1]));
      k += 2;
      if (k < rest.size() && rest[k] != ',' && rest[k] != ' ' && rest[k] != '\t') {
        return "« , » attendu entre les octets";
      }
    }
    if (!more) return nullptr;
    if (!nextLine(rest)) return "suite attendue après « \\ » en fin de fichier";
  }
}

}  // namespace

// True when the character at s[i] gives a low surrogate first in UTF-16 (a byte that is not
// UTF-8 is one).
bool startsLow(std::string_view s, std::size_t i) noexcept {
  if (i >= s.size()) return false;
  const char32_t c = nextChar(s, i);
  return c >= kInvalidByte || (c >= 0xDC00 && c <= 0xDFFF);
}

std::u16string utf8ToUtf16(std::string_view s) {
  std::u16string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t start = i;
    char32_t c = nextChar(s, i);
    // U+DC80..U+DCFF stand for bytes on the way back, and a lone high surrogate followed by a
    // low one would come back as one character: their three bytes go as bytes.
    if ((c >= 0xDC80 && c <= 0xDCFF) || (c >= 0xD800 && c <= 0xDBFF && startsLow(s, i))) {
      for (std::size_t k = start; k < i; ++k) {
        out += static_cast<char16_t>(0xDC00 + static_cast<unsigned char>(s[k]));
      }
    } else if (c >= kInvalidByte) {
      out += static_cast<char16_t>(0xDC00 + (c - kInvalidByte));
    } else if (c >= 0x10000) {
      c -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (c >> 10));
      out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}

std::string utf16ToUtf8(std::u16string_view u) {
  std::string out;
  out.reserve(u.size());
  for (std::size_t i = 0; i < u.size(); ++i) {
    char32_t c = u[i];
    if (c >= 0xDC80 && c <= 0xDCFF) {
      c = kInvalidByte + (c - 0xDC00);  // a byte that was not UTF-8
    } else if (c >= 0xD800 && c <= 0xDBFF && i + 1 < u.size() && u[i + 1] >= 0xDC00 &&
               u[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (u[i + 1] - 0xDC00);
      ++i;
    }
    appendChar(out, c);
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

bool parseWineEscaped(std::string_view s, std::size_t& pos, char end, std::string& out) {
  out.clear();
  // Plain text (most of a hive) is copied as it is.
  std::size_t k = pos;
  while (k < s.size() && s[k] != end && s[k] != '\\' && static_cast<unsigned char>(s[k]) < 0x80) {
    ++k;
  }
  if (k < s.size() && s[k] == end) {
    out.assign(s.substr(pos, k - pos));
    pos = k;
    return true;
  }
  std::u16string units;
  while (pos < s.size()) {
    const char c = s[pos];
    if (c == end) {
      out = utf16ToUtf8(units);
      return true;
    }
    if (static_cast<unsigned char>(c) >= 0x80) {  // raw UTF-8, as Wine also reads it
      std::size_t stop = pos;
      while (stop < s.size() && static_cast<unsigned char>(s[stop]) >= 0x80) ++stop;
      units += utf8ToUtf16(s.substr(pos, stop - pos));
      pos = stop;
      continue;
    }
    ++pos;
    if (c != '\\') {
      units += static_cast<char16_t>(c);
      continue;
    }
    if (pos >= s.size()) return false;
    const char e = s[pos++];
    switch (e) {
      case 'a': units += u'\a'; break;
      case 'b': units += u'\b'; break;
      case 'e': units += char16_t{27}; break;
      case 'f': units += u'\f'; break;
      case 'n': units += u'\n'; break;
      case 'r': units += u'\r'; break;
      case 't': units += u'\t'; break;
      case 'v': units += u'\v'; break;
      case 'x': {
        unsigned v = 0;
        int n = 0;
        for (; n < 4 && pos < s.size() && hexDigit(s[pos]) >= 0; ++n, ++pos) {
          v = v * 16 + static_cast<unsigned>(hexDigit(s[pos]));
        }
        units += n == 0 ? u'x' : static_cast<char16_t>(v);
        break;
      }
      default:
        if (e >= '0' && e <= '7') {
          unsigned v = static_cast<unsigned>(e - '0');
          for (int n = 1; n < 3 && pos < s.size() && s[pos] >= '0' && s[pos] <= '7'; ++n, ++pos) {
            v = v * 8 + static_cast<unsigned>(s[pos] - '0');
          }
          units += static_cast<char16_t>(v);
        } else if (static_cast<unsigned char>(e) >= 0x80) {
          --pos;  // "\" before a raw character: the character itself
        } else {
          units += static_cast<char16_t>(e);  // "\\", "\"", "\[" and any other: the character
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
  char prefix[24];
  if (isTextType(value.type)) {
    const std::u16string units = utf8ToUtf16(data);
    if (!units.empty() && units.back() == 0) {  // a terminated string: in quotes
      if (value.type != reg::Sz) out += value.type == reg::ExpandSz ? "str(2):" : "str(7):";
      out += '"';
      appendWineEscaped(out, std::u16string_view(units).substr(0, units.size() - 1), "\"");
      out += "\"\n";
      return out;
    }
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
    std::snprintf(prefix, sizeof prefix, "dword:%08x\n", n);
    out += prefix;
    return out;
  }
  if (value.type == reg::Binary) {
    out += "hex:";
  } else {
    std::snprintf(prefix, sizeof prefix, "hex(%x):", value.type);
    out += prefix;
  }
  appendHexBytes(out, data, out.size());
  out += '\n';
  return out;
}

const char* parseValueData(std::string_view data, RegistryValue& out,
                           const std::function<bool(std::string_view&)>& nextLine) {
  out = {};
  if (data.starts_with("\"")) return quotedText(data, 1, reg::Sz, out);
  if (data.starts_with("str:\"")) return quotedText(data, 5, reg::Sz, out);
  if (data.starts_with("str(2):\"")) return quotedText(data, 8, reg::ExpandSz, out);
  if (data.starts_with("str(7):\"")) return quotedText(data, 8, reg::MultiSz, out);
  if (data.starts_with("dword:")) {
    std::uint32_t n = 0;
    if (!hexNumber(trimRight(data.substr(6)), 8, n)) return "dword incorrect";
    out.type = reg::Dword;
    for (int b = 0; b < 4; ++b) out.data += static_cast<char>((n >> (8 * b)) & 0xFF);
    return nullptr;
  }
  if (!data.starts_with("hex")) return "données de valeur inconnues";
  std::size_t colon = 3;
  out.type = reg::Binary;
  if (data.substr(3, 1) == "(") {
    const std::size_t close = data.find(')', 3);
    if (close == std::string_view::npos || !hexNumber(data.substr(4, close - 4), 8, out.type)) {
      return "type hex incorrect";
    }
    colon = close + 1;
  }
  if (data.substr(colon, 1) != ":") return "« : » attendu après hex";
  return hexBytes(data.substr(colon + 1), out.data, nextLine);
}

void wineHexText(RegistryValue& value) {
  if (!isTextType(value.type) || value.data.size() % 2 != 0) return;
  std::u16string units(value.data.size() / 2, u'\0');
  for (std::size_t k = 0; k < units.size(); ++k) {
    units[k] = static_cast<char16_t>(static_cast<unsigned char>(value.data[2 * k]) |
                                     static_cast<unsigned char>(value.data[2 * k + 1]) << 8);
  }
  value.data = utf16ToUtf8(units);
}

}  // namespace os::host
