// File-name masks with "*" and "?", matched without regard to case.
#include "platform/common/MaskMatch.h"

#include "platform/DirectorySearch.h"
#include "platform/common/Text.h"

namespace os {
namespace host {

bool matchLowered(std::string_view name, std::string_view mask) noexcept {
  std::size_t n = 0;
  std::size_t m = 0;
  std::size_t starMask = std::string_view::npos;
  std::size_t starName = 0;
  while (n < name.size()) {
    if (m < mask.size() && (mask[m] == '?' || static_cast<unsigned char>(mask[m]) ==
                                                  text::lower(static_cast<unsigned char>(name[n])))) {
      ++n;
      ++m;
    } else if (m < mask.size() && mask[m] == '*') {
      starMask = m++;
      starName = n;
    } else if (starMask != std::string_view::npos) {
      m = starMask + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

Mask::Mask(std::string_view mask) : lowered_(mask.size(), '\0') {
  for (std::size_t i = 0; i < mask.size(); ++i) {
    lowered_[i] = static_cast<char>(text::lower(static_cast<unsigned char>(mask[i])));
  }
  const std::string_view m(lowered_);
  all_ = m.find_first_not_of('*') == std::string_view::npos || m == "*.*";
  if (m.size() >= 2 && m.substr(m.size() - 2) == ".*") {
    trailingDotStar_ = true;
  }
}

bool Mask::matches(std::string_view name) const noexcept {
  if (all_) return !name.empty();
  if (matchLowered(name, lowered_)) return true;
  // "name.*" also matches "name": a trailing ".*" stands for an extension that may be absent.
  return trailingDotStar_ && name.find('.') == std::string_view::npos &&
         matchLowered(name, std::string_view(lowered_).substr(0, lowered_.size() - 2));
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
