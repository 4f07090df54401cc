#pragma once
// Services of the platform layer that only tests ask for: changes by path (the program itself
// acts through the folder a listing opened), where a Windows path lies on the host, and how many
// system handles the process holds.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>

#include "platform/Drive.h"

namespace os::testing {

// Sets read-only, hidden and system of the file at `path` (other bits are ignored); throws
// SystemError. Acts on a link itself: read-only, hidden or system cannot be set there
// (NotSupported), nor hidden or system where the file system keeps no extended attributes;
// clearing what is not set always succeeds.
void setFileAttributes(const Drive& drive, std::string_view path, std::uint32_t attributes);
// Deletes a file; refuses read-only files, folders and missing files (throws SystemError). A
// link is removed as a link, never its target.
void deleteFile(const Drive& drive, std::string_view path);
// Removes an empty folder; a link to a folder is removed as a link. Throws SystemError
// (DirNotEmpty, DirectoryInvalid for a file).
void removeDirectory(const Drive& drive, std::string_view path);
// The host path of a Windows path on drive C, matching existing components case-insensitively
// (a missing tail keeps its spelling); nothing for any other drive or a path that is not
// absolute. "." and ".." are resolved first and never climb above drive C.
std::optional<std::filesystem::path> hostPath(const Drive& drive, std::string_view windowsPath);
// The bytes of the host file `path` ("" when it cannot be read).
inline std::string contents(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}
// The number of system handles (descriptors) this process holds now.
int openHandles();

}  // namespace os::testing
