#pragma once
// A file-name mask prepared once for many names.
#include <string>
#include <string_view>

namespace os::host {

// Matches the UTF-8 `name` against a mask whose characters are already folded (see CaseFold.h):
// "*" any run of characters, "?" exactly one character.
bool matchFolded(std::string_view name, std::u32string_view foldedMask) noexcept;

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

}  // namespace os::host
