#include "platform/TextEncoding.h"

namespace os {

void Utf8Check::feed(const char* data, std::size_t size) {
  for (std::size_t i = 0; i < size && valid_; ++i) step(static_cast<unsigned char>(data[i]));
}

void Utf8Check::step(unsigned char b) {
  if (need_ > 0) {
    if (b < low_ || b > high_) {
      valid_ = false;
      return;
    }
    low_ = 0x80;
    high_ = 0xBF;
    --need_;
    return;
  }
  if (b < 0x80) return;
  if (b >= 0xC2 && b <= 0xDF) {
    need_ = 1;
  } else if (b >= 0xE0 && b <= 0xEF) {
    need_ = 2;
    if (b == 0xE0) low_ = 0xA0;   // no overlong form
    if (b == 0xED) high_ = 0x9F;  // no surrogate
  } else if (b >= 0xF0 && b <= 0xF4) {
    need_ = 3;
    if (b == 0xF0) low_ = 0x90;
    if (b == 0xF4) high_ = 0x8F;  // nothing past U+10FFFF
  } else {
    valid_ = false;
  }
}

bool isUtf8(std::string_view bytes) {
  Utf8Check check;
  check.feed(bytes.data(), bytes.size());
  return check.valid();
}

std::string fromWindows1252(std::string_view text) {
  static constexpr char16_t k80[32] = {
      0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  std::string out;
  out.reserve(text.size() + text.size() / 4);
  for (const char ch : text) {
    const auto b = static_cast<unsigned char>(ch);
    const char16_t c = b < 0x80 ? b : b < 0xA0 ? k80[b - 0x80] : b;
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

}  // namespace os
