#pragma once
// A stored file (options.ini, the help file) saved whole, atomically, under a lock.
#include <filesystem>
#include <string_view>

#include "platform/Drive.h"
#include "platform/SystemError.h"

namespace os {

// Saves `bytes` as the file at `path` of `drive`, atomically and under a lock shared with other
// processes that leaves nothing behind (Linux: an flock() of the file's folder; Windows: a named
// mutex). The bytes go to a new file of a name of its own beside it ("<path>.<random>.tmp",
// created exclusively), which is flushed and renamed over `path`; such files that saves cut short
// (a program killed) left beside it are removed first, and no other file. A reader sees the old file or
// the new one, whole, and of two programs saving at once the last wins. A read-only file, a folder, a link or anything else than
// a regular file at `path` is never replaced (AccessDenied). `onlyIfMissing`: when a file is
// there, nothing is written and the result is false. Throws SystemError, WriteError when writing
// the bytes failed (a full disk); nothing is then left beside the file.
bool saveFile(const Drive& drive, std::string_view path, std::string_view bytes,
              bool onlyIfMissing = false);

// Linux: the same for the host file `path` (the user's own settings, outside any prefix); its
// folder must exist and is reached through links, the file itself never.
bool saveHostFile(const std::filesystem::path& path, std::string_view bytes);

// The failure of saveFile while the bytes were being written.
class WriteError : public SystemError {
 public:
  using SystemError::SystemError;
};

}  // namespace os
