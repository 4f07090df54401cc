#pragma once
// The user's temporary folder named by a profile's registry.
#include <optional>
#include <string>
#include <string_view>

#include "platform/Drive.h"

namespace os::host {

// The full Windows path on drive C that the TEMP (else TMP) value of HKCU\Environment names,
// its %variables% expanded from HKCU\Volatile Environment, HKCU\Environment, and SystemDrive,
// SystemRoot, windir and USERPROFILE (from HOMEDRIVE and HOMEPATH) when those do not name them;
// nothing when there is none, a variable is unknown, it is not on drive C, or it is not a
// temporary folder (looksTemporary). Throws SystemError when the hive cannot be read.
std::optional<std::string> userTempFromRegistry(const Drive& drive);

// True when the folder `path` is named "Temp" or "Tmp" (any case), or is a folder of one ("Temp",
// as a terminal session's): a TEMP variable set to a profile or a documents folder would make a
// run empty it whole.
bool looksTemporary(std::string_view path);

}  // namespace os::host
