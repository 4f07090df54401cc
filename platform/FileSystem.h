#pragma once
// File and folder services on Windows paths ("C:\windows\TEMP\a.tmp"). On Linux every change
// happens inside drive C, and no link or mount point is ever followed on the way to a file.
// What a listing found is acted on through its open folder instead (Folder.h).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace os {

// The file's attributes, or nothing when it does not exist or cannot be read. A link is a
// reparse point (plus directory when it points at one); names beginning with "." are hidden.
// A mount point is a reparse point too.
std::optional<std::uint32_t> fileAttributes(std::string_view path);
// Sets read-only, hidden and system (other bits are ignored); throws SystemError. Acts on a link
// itself: read-only, hidden or system cannot be set there (NotSupported), nor hidden or system
// where the file system keeps no extended attributes; clearing what is not set always succeeds.
void setFileAttributes(std::string_view path, std::uint32_t attributes);
// Deletes a file; refuses read-only files, folders and missing files (throws SystemError).
// A link is removed as a link, never its target.
void deleteFile(std::string_view path);
// Creates one folder; throws SystemError (AlreadyExists when it is there).
void createDirectory(std::string_view path);
// Removes an empty folder; a link to a folder is removed as a link. Throws SystemError
// (DirNotEmpty, DirectoryInvalid for a file).
void removeDirectory(std::string_view path);
// The Windows directory, "C:\windows".
std::string windowsDirectory();
// Full path of the running program, e.g. "C:\Program Files\Tidora 2000\Tidora2000.exe".
std::string executablePath();
// The folder of executablePath(), without a final "\".
std::string executableFolder();

}  // namespace os
