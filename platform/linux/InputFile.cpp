// Reading a file of drive C.
#include "platform/common/InputFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/Prefix.h"

namespace os::detail {

InputFile::~InputFile() {
  if (handle_ >= 0) ::close(static_cast<int>(handle_));
}

bool InputFile::open(std::string_view path) {
  const auto host = hostPath(path);
  if (!host) return false;
  const int fd = ::open(host->c_str(), O_RDONLY | O_CLOEXEC);
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
