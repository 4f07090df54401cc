#pragma once
// ASCII lower case, without locale (names compare with equalsIgnoreCase, see CaseFold.h).

namespace os::text {

inline unsigned char lower(unsigned char c) noexcept {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

}  // namespace os::text
