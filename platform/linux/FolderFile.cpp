// Regular files opened by name in a folder's descriptor, never through a link nor waiting.
#include "platform/linux/FolderFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace os::host {

int keepRegular(int fd, int flags) {
  if (fd < 0) return -1;
  struct stat st {};
  int err = 0;
  if (::fstat(fd, &st) != 0) {
    err = errno;
  } else if (!S_ISREG(st.st_mode)) {
    err = S_ISDIR(st.st_mode) ? EISDIR : ENXIO;
  } else if ((flags & O_NONBLOCK) == 0 &&
             ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    err = errno;
  }
  if (err != 0) {
    ::close(fd);
    errno = err;
    return -1;
  }
  return fd;
}

int openRegularAt(int folderFd, const char* name, int flags, mode_t mode) {
  return keepRegular(::openat(folderFd, name, flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, mode),
                     flags);
}

Descriptor::~Descriptor() {
  if (fd >= 0) ::close(fd);
}

bool readRegularAt(int folderFd, const char* name, std::string& text, std::size_t limit,
                   mode_t* mode) {
  const int fd = openRegularAt(folderFd, name, O_RDONLY);
  if (fd < 0) return false;
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    const int err = errno;
    ::close(fd);
    errno = err;
    return false;
  }
  if (mode != nullptr) *mode = st.st_mode & 07777;
  text.clear();
  // Reserved up to 64 MiB: a sparse file may claim far more than it holds.
  const off_t size = std::clamp<off_t>(st.st_size, 0, off_t{1} << 26);
  text.reserve(std::min(limit, static_cast<std::size_t>(size)));
  char buffer[65536];
  while (text.size() < limit) {
    const ssize_t n = ::read(fd, buffer, std::min(sizeof buffer, limit - text.size()));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int err = errno;
      ::close(fd);
      errno = err;
      return false;
    }
    if (n == 0) break;
    text.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return true;
}

}  // namespace os::host
