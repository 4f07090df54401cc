// File-name masks with "*" and "?", matched character by character without regard to case.
#include "platform/common/MaskMatch.h"

#include "platform/Mask.h"
#include "platform/common/CaseFold.h"
#include "platform/common/Text.h"

namespace os {
namespace host {
namespace {

enum class Result { No, Yes, NotAscii };

// The walk of a name against a mask with "*" and "?", shared by both matchers. `read(n, c)`
// puts the folded character at name[n] in c and moves n past it; false when this matcher
// cannot judge that character (NotAscii). Each "*" remembers where it stood, and a mismatch
// lets the last one take one more character.
template <typename MaskText, typename Read>
Result walk(std::string_view name, MaskText mask, Read read) noexcept {
  constexpr std::size_t none = MaskText::npos;
  std::size_t n = 0;
  std::size_t m = 0;
  std::size_t starMask = none;  // the last "*" met, and where the name stood then
  std::size_t starName = 0;
  while (n < name.size()) {
    if (m < mask.size()) {
      if (mask[m] == '*') {
        starMask = m++;
        starName = n;
        if (m == mask.size()) return Result::Yes;  // a final "*" takes the rest
        continue;
      }
      char32_t c = 0;
      std::size_t next = n;
      if (!read(next, c)) return Result::NotAscii;
      if (mask[m] == '?' || static_cast<char32_t>(mask[m]) == c) {
        n = next;
        ++m;
        continue;
      }
    }
    if (starMask == none) return Result::No;
    m = starMask + 1;
    char32_t taken = 0;
    read(starName, taken);  // the last "*" takes one more character
    n = starName;
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size() ? Result::Yes : Result::No;
}

// matchFolded for an ASCII mask, one byte taken as one character: exact as long as every byte
// of the name that it looks at is ASCII (a "*" may take any bytes), NotAscii otherwise.
Result matchAscii(std::string_view name, std::string_view mask) noexcept {
  return walk(name, mask, [name](std::size_t& n, char32_t& c) {
    const auto b = static_cast<unsigned char>(name[n++]);
    c = text::lower(b);
    return b < 0x80;
  });
}

// "*" then `tail`, without "*" or "?", ASCII: only the end of the name is looked at.
Result matchSuffix(std::string_view name, std::string_view tail) noexcept {
  if (name.size() < tail.size()) return Result::No;  // each character takes a byte at least
  const std::size_t start = name.size() - tail.size();
  Result r = Result::Yes;
  for (std::size_t i = 0; i < tail.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[start + i]);
    if (c >= 0x80) return Result::NotAscii;
    if (static_cast<unsigned char>(tail[i]) != text::lower(c)) r = Result::No;
  }
  return r;
}

}  // namespace

bool matchFolded(std::string_view name, std::u32string_view mask) noexcept {
  return walk(name, mask, [name](std::size_t& n, char32_t& c) {
           c = nextFolded(name, n);
           return true;
         }) == Result::Yes;
}

}  // namespace host

using host::matchAscii;
using host::matchFolded;
using host::matchSuffix;
using host::nextFolded;
using host::Result;

Mask::Mask(std::string_view mask) {
  folded_.reserve(mask.size());
  for (std::size_t i = 0; i < mask.size();) folded_ += nextFolded(mask, i);
  const std::u32string_view m(folded_);
  all_ = m.find_first_not_of(U'*') == std::u32string_view::npos || m == U"*.*";
  trailingDotStar_ = m.size() >= 2 && m.substr(m.size() - 2) == U".*";
  ascii_ = true;
  for (const char32_t c : m) {
    if (c >= 0x80) {
      ascii_ = false;
      break;
    }
    asciiFolded_ += static_cast<char>(c);
  }
  suffix_ = ascii_ && !m.empty() && m[0] == '*' &&
            m.find_first_of(U"*?", 1) == std::u32string_view::npos;
}

bool Mask::matchesWhole(std::string_view name, std::size_t cut) const noexcept {
  if (ascii_) {
    const std::string_view mask = std::string_view(asciiFolded_).substr(0, asciiFolded_.size() - cut);
    const Result r = suffix_ ? matchSuffix(name, mask.substr(1)) : matchAscii(name, mask);
    if (r != Result::NotAscii) return r == Result::Yes;
  }
  return matchFolded(name, std::u32string_view(folded_).substr(0, folded_.size() - cut));
}

bool Mask::matches(std::string_view name) const noexcept {
  if (all_) return !name.empty();
  if (matchesWhole(name, 0)) return true;
  // "name.*" also matches "name": a trailing ".*" stands for an extension that may be absent.
  return trailingDotStar_ && name.find('.') == std::string_view::npos && matchesWhole(name, 2);
}

bool matchesMask(std::string_view name, std::string_view mask) noexcept {
  if (mask.empty()) return false;
  try {
    return Mask(mask).matches(name);
  } catch (...) {  // allocation failure
    return false;
  }
}

}  // namespace os
