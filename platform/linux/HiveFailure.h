#pragma once
// The French messages of hive failures: what failed, on which file, and why.
#include <string_view>

namespace os::host {

// Throws SystemError: "<what> : <file> : <the French words of errno>". The code is
// BadRegistryHive, except for a full disk, which keeps its own.
[[noreturn]] void failHive(std::string_view what, std::string_view file, int err);

}  // namespace os::host
