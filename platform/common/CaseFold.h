#pragma once
// Names compared as Windows compares them: UTF-8 text read one character at a time, and each
// character folded to one case (Unicode simple case folding, no normalisation).
//
// The one UTF-8 decoder of the program, nextChar, with one rule: a lone surrogate (which a
// Windows name may hold) is written as its three bytes and read as one character; any other
// byte that does not begin a valid sequence is one character of its own, equal only to itself.
#include <cstddef>
#include <string>
#include <string_view>

namespace os::host {

// What nextChar returns for a byte b outside any valid sequence: kInvalidByte + b, above every
// code point.
constexpr char32_t kInvalidByte = 0x110000;

// The character at s[i] (i < s.size()); moves i past it. A byte outside any valid sequence gives
// kInvalidByte + that byte.
char32_t nextChar(std::string_view s, std::size_t& i) noexcept;
// Appends c in UTF-8: a surrogate as three bytes, as it stands; kInvalidByte + b as the byte b.
void appendChar(std::string& out, char32_t c);
// The simple case folding of a character; itself when it has none.
char32_t foldCase(char32_t c) noexcept;

// nextChar then foldCase, quick for ASCII.
inline char32_t nextFolded(std::string_view s, std::size_t& i) noexcept {
  const auto b = static_cast<unsigned char>(s[i]);
  if (b < 0x80) {
    ++i;
    return (b >= 'A' && b <= 'Z') ? b + ('a' - 'A') : b;
  }
  return foldCase(nextChar(s, i));
}

// Equal once every character is folded.
bool equalsIgnoreCase(std::string_view a, std::string_view b) noexcept;
// The text with every character folded (bytes outside valid sequences kept as they are): two
// texts give the same copy exactly when equalsIgnoreCase holds.
std::string foldedCopy(std::string_view s);

}  // namespace os::host
