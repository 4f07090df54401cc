// File-name masks with "*" and "?", matched character by character without regard to case.
#include "platform/linux/MaskMatch.h"

#include "platform/DirectorySearch.h"
#include "platform/linux/CaseFold.h"

namespace os {
namespace host {

bool matchFolded(std::string_view name, std::u32string_view mask) noexcept {
  constexpr std::size_t none = std::u32string_view::npos;
  std::size_t n = 0;
  std::size_t m = 0;
  std::size_t starMask = none;  // the last "*" met, and where the name stood then
  std::size_t starName = 0;
  while (n < name.size()) {
    if (m < mask.size()) {
      if (mask[m] == '*') {
        starMask = m++;
        starName = n;
        if (m == mask.size()) return true;  // a final "*" takes the rest
        continue;
      }
      std::size_t next = n;
      const char32_t c = nextFolded(name, next);
      if (mask[m] == '?' || mask[m] == c) {
        n = next;
        ++m;
        continue;
      }
    }
    if (starMask == none) return false;
    // Let the last "*" take one more character.
    m = starMask + 1;
    nextChar(name, starName);
    n = starName;
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

Mask::Mask(std::string_view mask) {
  folded_.reserve(mask.size());
  for (std::size_t i = 0; i < mask.size();) folded_ += nextFolded(mask, i);
  const std::u32string_view m(folded_);
  all_ = m.find_first_not_of(U'*') == std::u32string_view::npos || m == U"*.*";
  trailingDotStar_ = m.size() >= 2 && m.substr(m.size() - 2) == U".*";
}

bool Mask::matches(std::string_view name) const noexcept {
  if (all_) return !name.empty();
  if (matchFolded(name, folded_)) return true;
  // "name.*" also matches "name": a trailing ".*" stands for an extension that may be absent.
  return trailingDotStar_ && name.find('.') == std::string_view::npos &&
         matchFolded(name, std::u32string_view(folded_).substr(0, folded_.size() - 2));
}

}  // namespace host

bool matchesMask(std::string_view name, std::string_view mask) noexcept {
  if (mask.empty()) return false;
  try {
    return host::Mask(mask).matches(name);
  } catch (...) {  // allocation failure
    return false;
  }
}

}  // namespace os
