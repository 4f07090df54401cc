#pragma once
// File-name masks with "*" and "?", as a directory search matches them; host::Mask
// (common/MaskMatch.h) is the same match prepared once for many names.
#include <string_view>

#include "platform/common/MaskMatch.h"

namespace os {

// Matches a file name against a mask with "*" and "?", case-insensitively; a trailing ".*"
// also matches a name without extension, so "*.*" matches every name.
bool matchesMask(std::string_view name, std::string_view mask) noexcept;

}  // namespace os
