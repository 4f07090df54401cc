// UTF-8 <-> UTF-16, by hand: the system's converters would turn a lone surrogate of a file name
// into U+FFFD, and the name would no longer lead back to its file.
#include "platform/windows/Win.h"

#include "platform/common/CaseFold.h"

namespace os::win {

bool toWide(std::string_view s, std::wstring& out) {
  out.clear();
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    char32_t c = host::nextChar(s, i);
    if (c >= host::kInvalidByte) return false;  // a byte the system cannot be given
    if (c >= 0x10000) {
      c -= 0x10000;
      out += static_cast<wchar_t>(0xD800 + (c >> 10));
      out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
    } else {
      out += static_cast<wchar_t>(c);  // a surrogate here is a lone one, kept as such
    }
  }
  return true;
}

std::string toUtf8(std::wstring_view w) {
  std::string out;
  assignUtf8(w, out);
  return out;
}

void assignUtf8(std::wstring_view w, std::string& out) {
  out.clear();
  for (std::size_t i = 0; i < w.size(); ++i) {
    char32_t c = static_cast<char16_t>(w[i]);
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < w.size()) {
      const char32_t low = static_cast<char16_t>(w[i + 1]);
      if (low >= 0xDC00 && low < 0xE000) {
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        ++i;
      }
    }
    host::appendChar(out, c);
  }
}

}  // namespace os::win
