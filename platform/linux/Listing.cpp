// The one getdents64 loop.
#include "platform/linux/Listing.h"

#include <unistd.h>

#include <cerrno>

namespace os::host {

long readEntries(int fd, char* buffer, std::size_t size) noexcept {
  ssize_t n;
  do {
    n = ::getdents64(fd, buffer, size);
  } while (n < 0 && errno == EINTR);
  return static_cast<long>(n);
}

}  // namespace os::host
