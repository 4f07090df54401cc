#pragma once
// The name a save gives the new file it writes beside a stored file, before renaming it over
// that file: "<name>.<8 hex digits>.tmp". A save cut short (the program killed) leaves one; the
// next save of that file recognises it by this name alone, so that nothing of another program's
// is ever taken for one.
#include <cstdint>
#include <string>
#include <string_view>

namespace os::host {

// "<name>.<random as 8 lower-case hex digits>.tmp".
std::string temporaryName(std::string_view name, std::uint32_t random);

// True when `entry` is a name temporaryName(`name`, ...) gives; `name` compared without regard
// to ASCII case when `ignoreCase` (as Windows compares a file's names), the rest exactly.
bool isTemporaryName(std::string_view entry, std::string_view name, bool ignoreCase);

}  // namespace os::host
