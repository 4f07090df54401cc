#pragma once
// Reading a sectioned "key=value" profile file, as GetPrivateProfileString.
#include <string>
#include <string_view>

namespace os {

class Drive;

// The value of `key` in `section` of the file at `fileName` (a full Windows path of `drive`):
// names are matched without regard to case, blanks around the value and one pair of enclosing
// quotes are removed, at most 1023 characters are returned. `defaultValue` only when the key is absent
// (or the file cannot be read).
std::string getPrivateProfileString(const Drive& drive, std::string_view section,
                                    std::string_view key, std::string_view defaultValue,
                                    std::string_view fileName);
// The same, read from `text`, the whole of such a file held in memory.
std::string profileString(std::string_view text, std::string_view section, std::string_view key,
                          std::string_view defaultValue);

}  // namespace os
