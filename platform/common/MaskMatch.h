#pragma once
// A file-name mask prepared once for many names.
#include <string>
#include <string_view>

namespace os::host {

// Matches `name` against a mask already in lower case ("*" any run, "?" one character).
bool matchLowered(std::string_view name, std::string_view loweredMask) noexcept;

class Mask {
 public:
  explicit Mask(std::string_view mask);
  // True when `name` matches, as matchesMask.
  bool matches(std::string_view name) const noexcept;

 private:
  std::string lowered_;
  bool all_ = false;
  bool trailingDotStar_ = false;
};

}  // namespace os::host
