// The hive lock: flock() on a regular file beside the hive, opened without following links.
#include "platform/linux/HiveLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <thread>

#include "platform/SystemError.h"
#include "platform/linux/HiveFailure.h"

namespace os::host {

HiveLock::HiveLock(int folderFd, const std::string& name, const std::string& shown,
                   std::chrono::milliseconds attente) {
  const std::string lockName = name + ".lock";
  const std::string lockShown = shown + ".lock";
  // O_NONBLOCK: a FIFO put there must not hang the open.
  fd_ = ::openat(folderFd, lockName.c_str(),
                 O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
  if (fd_ < 0) failHive("Verrou de la base de registre impossible à ouvrir", lockShown, errno);
  struct stat st {};
  if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd_);
    fd_ = -1;
    failHive("Verrou de la base de registre refusé", lockShown, ENXIO);
  }
  // Polled rather than blocking, so that the wait has an end; short sleeps keep the turn fair
  // against a writer that takes the lock again at once.
  const auto fin = std::chrono::steady_clock::now() + attente;
  auto pause = std::chrono::microseconds(200);
  while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    const int err = errno;
    if (err == EINTR) continue;
    if (err != EWOULDBLOCK || std::chrono::steady_clock::now() >= fin) {
      ::close(fd_);
      fd_ = -1;
      if (err != EWOULDBLOCK) {
        failHive("Verrou de la base de registre impossible à prendre", lockShown, err);
      }
      throw SystemError(error::LockViolation,
                        "La base de registre " + shown + " reste verrouillée par un autre "
                        "programme depuis plus de " +
                            std::to_string(attente.count() / 1000) + " secondes (" + lockShown +
                            ")");
    }
    std::this_thread::sleep_for(pause);
    pause = std::min(pause * 2, std::chrono::microseconds(5000));
  }
}

HiveLock::~HiveLock() {
  if (fd_ >= 0) ::close(fd_);  // closing the only descriptor releases the lock
}

}  // namespace os::host
