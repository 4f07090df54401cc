// UTF-8 decoding and simple case folding from a compact table of Unicode's case foldings.
#include "platform/common/CaseFold.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

#include "platform/NameCase.h"

namespace os::host {
namespace {

// Code points first..last, every `step`-th one, fold to themselves + offset.
struct FoldRun {
  char32_t first;
  char32_t last;
  std::int32_t offset;
  std::uint8_t step;
};

constexpr FoldRun kFoldRuns[] = {
#include "platform/common/CaseFoldTable.inc"
};

bool isContinuation(unsigned char b) noexcept {
  return (b & 0xC0) == 0x80;
}

}  // namespace

void appendChar(std::string& out, char32_t c) {
  if (c >= kInvalidByte) {
    out += static_cast<char>(c - kInvalidByte);
  } else if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

char32_t nextChar(std::string_view s, std::size_t& i) noexcept {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) {
    ++i;
    return b0;
  }
  // Length and the range of the second byte that keeps the sequence shortest-form and below
  // U+110000 (surrogates are taken: see CaseFold.h).
  std::size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  char32_t c = 0;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    length = 2;
    c = b0 & 0x1F;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    length = 3;
    c = b0 & 0x0F;
    if (b0 == 0xE0) low = 0xA0;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    length = 4;
    c = b0 & 0x07;
    if (b0 == 0xF0) low = 0x90;
    if (b0 == 0xF4) high = 0x8F;
  }
  if (length == 0 || s.size() - i < length) {
    ++i;
    return kInvalidByte + b0;
  }
  const auto b1 = static_cast<unsigned char>(s[i + 1]);
  if (b1 < low || b1 > high) {
    ++i;
    return kInvalidByte + b0;
  }
  c = (c << 6) | (b1 & 0x3F);
  for (std::size_t k = 2; k < length; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if (!isContinuation(b)) {
      ++i;
      return kInvalidByte + b0;
    }
    c = (c << 6) | (b & 0x3F);
  }
  i += length;
  return c;
}

char32_t foldCase(char32_t c) noexcept {
  if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c;
  if (c >= kInvalidByte) return c;
  // The last run that starts at or before c.
  const auto* run = std::upper_bound(std::begin(kFoldRuns), std::end(kFoldRuns), c,
                                     [](char32_t x, const FoldRun& r) { return x < r.first; });
  if (run == std::begin(kFoldRuns)) return c;
  --run;
  if (c > run->last || (c - run->first) % run->step != 0) return c;
  return static_cast<char32_t>(static_cast<std::int32_t>(c) + run->offset);
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) noexcept {
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.size() && j < b.size()) {
    if (nextFolded(a, i) != nextFolded(b, j)) return false;
  }
  return i == a.size() && j == b.size();
}

std::string foldedCopy(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) appendChar(out, nextFolded(s, i));
  return out;
}

}  // namespace os::host

namespace os {

bool sameName(std::string_view a, std::string_view b) noexcept {
  return host::equalsIgnoreCase(a, b);
}

std::string foldedName(std::string_view name) {
  return host::foldedCopy(name);
}

}  // namespace os
