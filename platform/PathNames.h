#pragma once
// The names a Windows path is made of.
#include <string_view>
#include <vector>

namespace os {

// The names of `path`, a path without its drive ("\windows\TEMP\..\Temp"), "\" or "/" between
// them, "." and ".." resolved as the system resolves them: ".." never climbs above the root.
std::vector<std::string_view> pathNames(std::string_view path);

}  // namespace os
