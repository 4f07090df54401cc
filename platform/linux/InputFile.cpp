// Reading a file of drive C: a regular file only, reached through no link (a pipe there must not
// block the program).
#include "platform/common/InputFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/linux/Host.h"

namespace os::detail {

InputFile::~InputFile() {
  if (handle_ >= 0) ::close(static_cast<int>(handle_));
}

bool InputFile::open(const Drive& drive, std::string_view path) {
  const host::Resolved r = host::resolve(drive.state(), path);
  if (!r.exists) return false;
  const int fd = host::openRegular(drive.state(), r.path, O_RDONLY);
  if (fd < 0) return false;
  handle_ = fd;
  return true;
}

std::int64_t InputFile::read(char* buffer, std::size_t size) {
  for (;;) {
    const ssize_t n = ::read(static_cast<int>(handle_), buffer, size);
    if (n < 0 && errno == EINTR) continue;
    return n;
  }
}

}  // namespace os::detail
