#pragma once
// Matching a name against a mask whose characters are already folded.
#include <string>
#include <string_view>

namespace os::host {

// Matches the UTF-8 `name` against a mask whose characters are already folded (see CaseFold.h):
// "*" any run of characters, "?" exactly one character.
bool matchFolded(std::string_view name, std::u32string_view foldedMask) noexcept;

}  // namespace os::host
