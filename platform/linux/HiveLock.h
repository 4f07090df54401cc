#pragma once
// The lock every writer of a hive takes, in this process and in any other: an exclusive flock()
// on the file "<hive>.lock" beside the hive, created when missing. A writer holds it from before
// it reads the hive for a change until the changed hive has replaced the file, so no change is
// lost. Taking it waits for the holder; a holder that keeps it longer than `attente` makes
// the wait fail with a French message, rather than freeze the program for ever.
#include <chrono>
#include <string>

namespace os::host {

class HiveLock {
 public:
  static constexpr std::chrono::milliseconds kAttente{30000};

  // Locks the hive named `name` in the folder open as `folderFd`; `shown` is the hive's full
  // path, for messages. Throws SystemError.
  HiveLock(int folderFd, const std::string& name, const std::string& shown,
           std::chrono::milliseconds attente = kAttente);
  // Unlocks.
  ~HiveLock();
  HiveLock(const HiveLock&) = delete;
  HiveLock& operator=(const HiveLock&) = delete;

 private:
  int fd_ = -1;
};

}  // namespace os::host
