#pragma once
// A running wineserver keeps its prefix's registry in memory and writes it back over any change
// made from outside. Before changing user.reg, take the lock Wine itself takes when its server
// starts (and Proton's pfx.lock), and make sure no server answers.
#include <sys/types.h>

#include <string>
#include <vector>

namespace os::host {

// The folders where a server of the prefix folder open as `prefixFd` keeps its lock and socket:
// /tmp/<name>/server-<dev>-<inode>, with <name> ".wine-<uid>" and, for Debian's Wine, the name
// stored in <prefix>/wineserver.
std::vector<std::string> wineServerFolders(int prefixFd);

// The server of the prefix folder open as `prefixFd` that runs now, looked for in its server
// folders as WineLock looks (no link followed, only this user's folders): the process holding
// Wine's lock or answering on its socket; -1 when one runs but its process cannot be told; 0
// when none runs.
pid_t runningWineServer(int prefixFd);

// Holds Wine's lock of a prefix while it lives: no server can start meanwhile.
class WineLock {
 public:
  // Locks `lock` in every server folder of the prefix folder open as `prefixFd` (at `prefix`)
  // that exists, and pfx.lock beside a Proton prefix. Throws SystemError(SharingViolation), with
  // a French message naming the prefix and the process, when a server runs or Proton is setting
  // the prefix up, or when one of those locks is not a regular file; nothing is then held. No
  // link is followed to any of them.
  WineLock(int prefixFd, const std::string& prefix);
  ~WineLock();
  WineLock(const WineLock&) = delete;
  WineLock& operator=(const WineLock&) = delete;

 private:
  void release() noexcept;
  std::vector<int> held_;
};

}  // namespace os::host
