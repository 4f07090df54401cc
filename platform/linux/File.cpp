// Files of a drive created for writing, or read whole.
#include "platform/File.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/SystemError.h"
#include "platform/linux/Host.h"

namespace os {
namespace {

constexpr std::string_view kWrite = "Erreur d'écriture dans le fichier";

[[noreturn]] void failWrite(int err, std::string_view operation, const std::string& path) {
  host::failErrno(err, operation, path);
}

}  // namespace

File File::create(const Drive& drive, std::string_view path) {
  constexpr std::string_view op = "Ne peut créer le fichier";
  const host::Resolved r = host::resolve(drive.state(), path);
  if (!r.valid || r.parentMissing) host::failMissing(r, op, path);
  // Opened without truncation first, so that a read-only file is refused intact (for root too).
  const int fd = host::openRegular(drive.state(), r.path, O_WRONLY | O_CREAT, 0666);
  if (fd < 0) host::failErrno(errno, op, path);
  struct stat st {};
  int err = 0;
  if (fstat(fd, &st) != 0) {
    err = errno;
  } else if (host::isReadOnly(st)) {
    ::close(fd);
    host::fail(error::AccessDenied, op, path, "lecture seule");
  } else if (ftruncate(fd, 0) != 0) {
    err = errno;
  }
  if (err != 0) {
    ::close(fd);
    host::failErrno(err, op, path);
  }
  return File(fd, std::string(path));
}

std::string readFile(const Drive& drive, std::string_view path) {
  constexpr std::string_view op = "Ne peut lire le fichier";
  const host::Resolved r = host::resolve(drive.state(), path);
  if (!r.exists) host::failMissing(r, op, path);
  const int fd = host::openRegular(drive.state(), r.path, O_RDONLY);
  if (fd < 0) host::failErrno(errno, op, path);
  std::string text;
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int err = errno;
      ::close(fd);
      host::failErrno(err, op, path);
    }
    if (n == 0) break;
    text.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return text;
}

File::~File() {
  if (handle_ >= 0) ::close(static_cast<int>(handle_));
}

File::File(File&& other) noexcept : handle_(other.handle_), path_(std::move(other.path_)) {
  other.handle_ = -1;
}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    if (handle_ >= 0) ::close(static_cast<int>(handle_));
    handle_ = other.handle_;
    path_ = std::move(other.path_);
    other.handle_ = -1;
  }
  return *this;
}

void File::write(std::string_view bytes) {
  if (handle_ < 0) failWrite(EBADF, kWrite, path_);
  while (!bytes.empty()) {
    const ssize_t n = ::write(static_cast<int>(handle_), bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) failWrite(errno, kWrite, path_);
    if (n == 0) failWrite(ENOSPC, kWrite, path_);
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
}

void File::flush() {
  if (handle_ < 0) failWrite(EBADF, kWrite, path_);
  if (::fsync(static_cast<int>(handle_)) != 0) failWrite(errno, kWrite, path_);
}

void File::close() {
  if (handle_ < 0) return;
  const int fd = static_cast<int>(handle_);
  handle_ = -1;
  if (::close(fd) != 0 && errno != EINTR) failWrite(errno, "Erreur à la fermeture du fichier", path_);
}

}  // namespace os
