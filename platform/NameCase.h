#pragma once
// Names compared as Windows compares them: each character folded to one case (Unicode simple
// case folding, no normalisation).
#include <string>
#include <string_view>

namespace os {

// True when `a` and `b` are the same name for Windows.
bool sameName(std::string_view a, std::string_view b) noexcept;
// The name with every character folded: two names give the same text exactly when sameName
// holds, so that it can key a map.
std::string foldedName(std::string_view name);

}  // namespace os
