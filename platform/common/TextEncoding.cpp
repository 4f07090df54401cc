#include "platform/TextEncoding.h"

#include "platform/common/CaseFold.h"

namespace os {

namespace {

// True when the UTF-8 of `text` is text: no byte of its own, no surrogate.
bool isText(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const char32_t c = host::nextChar(text, i);
    if (c >= host::kInvalidByte || (c >= 0xD800 && c <= 0xDFFF)) return false;
  }
  return true;
}

}  // namespace

std::size_t incompleteTail(std::string_view s) noexcept {
  for (std::size_t back = 1; back <= 3 && back <= s.size(); ++back) {
    const auto b = static_cast<unsigned char>(s[s.size() - back]);
    if (b < 0x80) return 0;
    if (b >= 0xC0) {
      const std::size_t length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2;
      return length > back ? back : 0;
    }
  }
  return 0;
}

void Utf8Check::feed(const char* data, std::size_t size) {
  std::string_view piece(data, size);
  if (!valid_) return;
  if (!carry_.empty()) {
    // The character begun at the end of the last piece, with what this one adds to it.
    std::string head = carry_;
    head.append(piece.substr(0, 4 - carry_.size()));
    if (incompleteTail(head) == head.size()) {
      carry_ = std::move(head);
      return;
    }
    std::size_t used = 0;
    host::nextChar(head, used);
    valid_ = isText(std::string_view(head).substr(0, used));
    if (!valid_) return;
    piece.remove_prefix(used - carry_.size());
    carry_.clear();
  }
  const std::size_t whole = piece.size() - incompleteTail(piece);
  valid_ = isText(piece.substr(0, whole));
  if (valid_) carry_.assign(piece.substr(whole));
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
    host::appendChar(out, b < 0x80 ? b : b < 0xA0 ? k80[b - 0x80] : b);
  }
  return out;
}

}  // namespace os
