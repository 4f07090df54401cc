#pragma once
// File-name masks with "*" and "?", as a directory search matches them.
#include <string>
#include <string_view>

namespace os {

// Matches a file name against a mask with "*" and "?", case-insensitively; a trailing ".*"
// also matches a name without extension, so "*.*" matches every name.
bool matchesMask(std::string_view name, std::string_view mask) noexcept;

// The same match, prepared once for many names.
class Mask {
 public:
  explicit Mask(std::string_view mask);
  // True when `name` matches, as matchesMask.
  bool matches(std::string_view name) const noexcept;

 private:
  // The mask without its last `cut` characters against the whole name.
  bool matchesWhole(std::string_view name, std::size_t cut) const noexcept;

  std::u32string folded_;
  // When every folded character is ASCII: the same mask as bytes, for ASCII names.
  bool ascii_ = false;
  std::string asciiFolded_;
  bool suffix_ = false;  // "*" then characters without "*" or "?" ("*.tmp")
  bool all_ = false;
  bool trailingDotStar_ = false;
};

}  // namespace os
