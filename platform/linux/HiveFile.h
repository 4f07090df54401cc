#pragma once
// The file user.reg of a prefix folder: read as it is, never through a link nor from anything
// but a regular file, and changed only under the hive's lock (every writer of user.reg takes it,
// in this process and in any other) and Wine's lock (no wineserver of the prefix may run: it
// would write its own copy of the hive over ours).
#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>

#include "platform/linux/StoredFile.h"
#include "platform/linux/WineServer.h"

namespace os::host {

inline constexpr const char* kHiveName = "user.reg";

// Reads user.reg of the prefix folder open as `folderFd` into `text`, and its permissions into
// `mode`; false when there is none. `shown` is its full path, for messages. Throws
// SystemError(BadRegistryHive) when it cannot be read (a link, a FIFO, a folder...).
bool readHiveFile(int folderFd, const std::string& shown, std::string& text, mode_t& mode);

// A change of user.reg: holds the hive's lock while it lives.
class HiveChange {
 public:
  // Takes the hive's lock of the prefix folder `prefix`, open as `folderFd`; `shown` is
  // user.reg's full path. Throws SystemError.
  HiveChange(int folderFd, const std::string& prefix, const std::string& shown);
  // Takes Wine's lock too: refused (SystemError SharingViolation) while a wineserver of the
  // prefix runs. Needed before save.
  void lockWine();
  // Replaces user.reg by `text` atomically (takes Wine's lock first when not yet held); with
  // Existing::Kept, only when there is none. Throws SystemError(BadRegistryHive, or DiskFull).
  void save(std::string_view text, Existing existing = Existing::Replaced);

 private:
  int folderFd_;
  std::string prefix_;
  std::string shown_;
  std::optional<StoreLock> lock_;
  std::optional<WineLock> wine_;
};

}  // namespace os::host
