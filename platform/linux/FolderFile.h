#pragma once
// Regular files opened by name in a folder's descriptor: the files of a prefix folder (user.reg,
// its lock, system.reg, .first-start, wineserver, a server's lock) and the stored files' locks.
// No link is followed, nothing waits (a FIFO there never blocks), and anything but a regular
// file is refused.
#include <sys/types.h>

#include <cstddef>
#include <string>

namespace os::host {

// Keeps `fd`, opened with O_NONBLOCK, when it is a regular file, and clears O_NONBLOCK again
// unless `flags` holds it; otherwise closes it. -1 with errno then (EISDIR for a folder, ENXIO
// for anything else that is not a regular file).
int keepRegular(int fd, int flags);
// Opens `name` in the folder `folderFd` with `flags` (O_NOFOLLOW, O_NONBLOCK and O_CLOEXEC
// added; O_NONBLOCK is cleared again once it is known to be a regular file). -1 with errno on
// failure: ELOOP for a link, EISDIR for a folder, ENXIO for anything else that is not a regular
// file.
int openRegularAt(int folderFd, const char* name, int flags, mode_t mode = 0);
// A descriptor closed when the object dies.
struct Descriptor {
  int fd = -1;
  explicit Descriptor(int f) noexcept : fd(f) {}
  ~Descriptor();
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
};

// Reads at most `limit` bytes of the regular file `name` in `folderFd` into `text`; its mode
// into `mode` when not null. False with errno on failure (as openRegularAt, or the read's).
bool readRegularAt(int folderFd, const char* name, std::string& text,
                   std::size_t limit = static_cast<std::size_t>(-1), mode_t* mode = nullptr);

}  // namespace os::host
