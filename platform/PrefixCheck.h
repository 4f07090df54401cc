#pragma once
// Which folders are Wine prefixes, and which folder may serve as the program's prefix (Linux).
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileId.h"

namespace os {

// The identity of `folder` when it is a prefix Wine made: it holds a folder drive_c and a file
// system.reg, neither of them a link. `folder` itself may be reached through links. Nothing
// otherwise (a folder holding only saves, as a cloud sync re-creates, is not one).
std::optional<FileId> winePrefixId(const std::filesystem::path& folder);

// The prefixes `folder` holds, as paths relative to it, in name order: its sub-folders that are
// prefixes, and the "pfx" folder of the others when it is one (compatdata/<appid>/pfx).
std::vector<std::string> prefixesWithin(const std::filesystem::path& folder);

// Throws SystemError(AccessDenied), with a French message, when `folder` may not serve as the
// prefix: the home folder, the root, a folder holding other prefixes (named in the message), an
// existing folder holding neither drive_c nor a hive, or anything but a folder. A missing or
// empty folder may: it becomes the program's fresh profile.
void checkPrefixFolder(const std::filesystem::path& folder);

}  // namespace os
