#pragma once
// UTF-8 and Windows-1252 (the Western code page), the two encodings the program reads text in.
#include <cstddef>
#include <string>
#include <string_view>

namespace os {

// Tells whether a byte stream, fed in pieces, is UTF-8 text throughout: host::nextChar finds
// no byte of its own in it (no overlong form, nothing past U+10FFFF, nothing cut short), nor a
// surrogate, which no text holds.
class Utf8Check {
 public:
  void feed(const char* data, std::size_t size);
  bool valid() const noexcept { return valid_ && carry_.empty(); }
  // Already known not to be UTF-8, whatever follows.
  bool broken() const noexcept { return !valid_; }

 private:
  bool valid_ = true;
  std::string carry_;  // the first bytes of a character that the next piece ends
};

bool isUtf8(std::string_view bytes);
// How many bytes at the end of `text` begin a character that needs more than are left (0 to 3).
std::size_t incompleteTail(std::string_view text) noexcept;

// Windows-1252 to UTF-8; the five unassigned bytes stand for the control characters of the
// same number, as the system's own conversion does.
std::string fromWindows1252(std::string_view text);

}  // namespace os
