#pragma once
// File and folder services on Windows paths of a drive ("C:\windows\TEMP\a.tmp"). On Linux every
// change happens inside drive C, and no link or mount point is ever followed on the way to a
// file. What a listing found is acted on through its open folder instead (Folder.h).
#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/Drive.h"

namespace os {

// The attributes of the file at `path` of `drive` (Attributes.h), or nothing when it does not
// exist or cannot be read. A link is a reparse point (plus directory when it points at one);
// names beginning with "." are hidden. A mount point is a reparse point too.
std::optional<std::uint32_t> fileAttributes(const Drive& drive, std::string_view path);
// Creates one folder; throws SystemError (AlreadyExists when it is there).
void createDirectory(const Drive& drive, std::string_view path);

}  // namespace os
