#pragma once
// The French messages of hive failures: what failed, on which file, and why.
#include <string>
#include <string_view>

namespace os::host {

// Why a call failed, in French, from its errno.
std::string hiveReason(int err);
// Throws SystemError: "<what> : <file> : <reason>". The code is BadRegistryHive, except for a
// full disk, which keeps its own.
[[noreturn]] void failHive(std::string_view what, std::string_view file, int err);

}  // namespace os::host
