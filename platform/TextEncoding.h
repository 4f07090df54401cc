#pragma once
// UTF-8 and Windows-1252 (the Western code page), the two encodings the program reads text in.
#include <cstddef>
#include <string>
#include <string_view>

namespace os {

// Tells whether a byte stream, fed in pieces, is UTF-8 throughout (no overlong form, no
// surrogate, nothing past U+10FFFF).
class Utf8Check {
 public:
  void feed(const char* data, std::size_t size);
  bool valid() const noexcept { return valid_ && need_ == 0; }
  // Already known not to be UTF-8, whatever follows.
  bool broken() const noexcept { return !valid_; }

 private:
  void step(unsigned char b);

  bool valid_ = true;
  int need_ = 0;
  unsigned char low_ = 0x80;
  unsigned char high_ = 0xBF;
};

bool isUtf8(std::string_view bytes);

// Windows-1252 to UTF-8; the five unassigned bytes stand for the control characters of the
// same number, as the system's own conversion does.
std::string fromWindows1252(std::string_view text);

}  // namespace os
