// Stored files replaced atomically under a flock() of their folder; on drive C, through its
// confined folders.
#include "platform/linux/StoredFile.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <thread>
#include <vector>

#include "platform/StoredFile.h"
#include "platform/common/TemporaryName.h"
#include "platform/linux/FolderFile.h"
#include "platform/linux/Host.h"
#include "platform/linux/Listing.h"

namespace os::host {
namespace {

[[noreturn]] void failStore(StoreError::Step step, int err, const std::string& shown) {
  throw StoreError(step, err, "Ne peut enregistrer le fichier " + shown + " : " + errnoText(err));
}

// A name of its own beside `name`: "<name>.<8 hex digits>.tmp".
std::string newTemporaryName(const std::string& name, int attempt) {
  std::uint32_t random = 0;
  if (getrandom(&random, sizeof random, GRND_NONBLOCK) != sizeof random) {
    random = static_cast<std::uint32_t>(getpid()) * 2654435761u + static_cast<unsigned>(attempt);
  }
  return temporaryName(name, random);
}

// Removes the new files that saves of `name` cut short left in the folder `folderFd` (a killed
// program removes nothing): under the folder's lock no save of it is under way, so every regular
// file of such a name is a leftover. Nothing else is looked at; a failure leaves it there.
void removeLeftovers(int folderFd, const std::string& name) {
  const Descriptor folder(::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.fd < 0) return;
  std::vector<std::string> leftovers;
  forEachName(folder.fd, [&](std::string_view entry, unsigned char type) {
    if ((type == DT_REG || type == DT_UNKNOWN) && isTemporaryName(entry, name, false)) {
      leftovers.emplace_back(entry);
    }
    return true;
  });
  for (const std::string& leftover : leftovers) {
    struct stat st {};
    if (::fstatat(folderFd, leftover.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(st.st_mode)) {
      ::unlinkat(folderFd, leftover.c_str(), 0);
    }
  }
}

// The lock file standing for the folder `folderFd` in the user's runtime folder
// ($XDG_RUNTIME_DIR/tidora2000, else /tmp/tidora2000-<uid>, made private to the user): opened,
// or -1 with errno.
int runtimeLock(int folderFd) {
  struct stat folder {};
  if (::fstat(folderFd, &folder) != 0) return -1;
  std::string base;
  if (const char* run = std::getenv("XDG_RUNTIME_DIR"); run != nullptr && run[0] == '/') {
    base = std::string(run) + "/tidora2000";
  } else {
    base = "/tmp/tidora2000-" + std::to_string(::getuid());
  }
  if (::mkdir(base.c_str(), 0700) != 0 && errno != EEXIST) return -1;
  const Descriptor dir(::open(base.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  struct stat own {};
  if (dir.fd < 0 || ::fstat(dir.fd, &own) != 0) return -1;
  if (own.st_uid != ::getuid() || (own.st_mode & 0077) != 0) {
    errno = EACCES;  // another user's folder: never trusted with our locks
    return -1;
  }
  char name[64];
  std::snprintf(name, sizeof name, "%llx-%llx.lock", static_cast<unsigned long long>(folder.st_dev),
                static_cast<unsigned long long>(folder.st_ino));
  return openRegularAt(dir.fd, name, O_RDWR | O_CREAT, 0600);
}

}  // namespace

StoreError::StoreError(Step step, int err, const std::string& what)
    : SystemError(step == Step::Lock && err == EWOULDBLOCK ? error::LockViolation : errorCode(err),
                  what),
      step_(step),
      err_(err) {}

StoreLock::StoreLock(int folderFd, const std::string& shown, std::chrono::milliseconds attente) {
  fd_ = ::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd_ < 0) failStore(StoreError::Step::Lock, errno, shown);
  bool fallback = false;
  // Polled rather than blocking, so that the wait has an end; short sleeps keep the turn fair
  // against a writer that takes the lock again at once.
  const auto fin = std::chrono::steady_clock::now() + attente;
  auto pause = std::chrono::microseconds(200);
  while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    const int err = errno;
    if (err == EINTR) continue;
    if (!fallback && (err == EBADF || err == ENOLCK || err == EOPNOTSUPP || err == EINVAL)) {
      // A file system that locks no folder: the lock of the user's runtime folder stands for it.
      const int lock = runtimeLock(fd_);
      const int lockErr = errno;
      ::close(fd_);
      fd_ = lock;
      if (fd_ < 0) failStore(StoreError::Step::Lock, lockErr, shown);
      fallback = true;
      continue;
    }
    if (err != EWOULDBLOCK || std::chrono::steady_clock::now() >= fin) {
      ::close(fd_);
      fd_ = -1;
      if (err != EWOULDBLOCK) failStore(StoreError::Step::Lock, err, shown);
      throw StoreError(StoreError::Step::Lock, err,
                       "Le fichier " + shown + " reste verrouillé par un autre programme depuis "
                       "plus de " + std::to_string(attente.count() / 1000) + " secondes");
    }
    std::this_thread::sleep_for(pause);
    pause = std::min(pause * 2, std::chrono::microseconds(5000));
  }
}

StoreLock::~StoreLock() {
  if (fd_ >= 0) ::close(fd_);  // closing the only descriptor releases the lock
}

bool replaceLocked(int folderFd, const std::string& name, std::string_view text,
                   const std::string& shown, Existing existing) {
  using Step = StoreError::Step;
  removeLeftovers(folderFd, name);
  struct stat st {};
  std::optional<mode_t> mode;  // the old file's permissions
  if (::fstatat(folderFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
    if (existing == Existing::Kept) return false;
    if (S_ISLNK(st.st_mode)) failStore(Step::Replace, ELOOP, shown);
    if (S_ISDIR(st.st_mode)) failStore(Step::Replace, EISDIR, shown);
    if (!S_ISREG(st.st_mode)) failStore(Step::Replace, ENXIO, shown);
    if (existing == Existing::ReplacedUnlessReadOnly && isReadOnly(st)) {
      failStore(Step::Replace, EACCES, shown);
    }
    mode = st.st_mode & 07777;
  } else if (errno != ENOENT) {
    failStore(Step::Replace, errno, shown);
  }

  std::string temp;
  int fd = -1;
  for (int attempt = 0; fd < 0; ++attempt) {
    temp = newTemporaryName(name, attempt);
    fd = ::openat(folderFd, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                  mode ? 0600 : 0666);
    if (fd < 0 && (errno != EEXIST || attempt == 100)) failStore(Step::Create, errno, shown);
  }
  if (mode) ::fchmod(fd, *mode);  // the old file's permissions, exactly
  auto abandon = [&](Step step, int err) {
    if (fd >= 0) ::close(fd);
    ::unlinkat(folderFd, temp.c_str(), 0);
    failStore(step, err, shown);
  };
  for (std::string_view rest = text; !rest.empty();) {
    const ssize_t n = ::write(fd, rest.data(), rest.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) abandon(Step::Write, n < 0 ? errno : ENOSPC);
    rest.remove_prefix(static_cast<std::size_t>(n));
  }
  if (::fsync(fd) != 0) abandon(Step::Write, errno);
  const int closed = ::close(fd);
  fd = -1;
  if (closed != 0 && errno != EINTR) abandon(Step::Write, errno);
  if (existing == Existing::Kept) {
    // Never over a file that appeared meanwhile (one written by a program that takes no lock).
    if (::renameat2(folderFd, temp.c_str(), folderFd, name.c_str(), RENAME_NOREPLACE) != 0) {
      const int err = errno;
      if (err == EEXIST) {
        ::unlinkat(folderFd, temp.c_str(), 0);
        return false;
      }
      if (err != EINVAL && err != ENOSYS) abandon(Step::Replace, err);
      // A file system without that rename: the check made under the lock stands.
      if (::renameat(folderFd, temp.c_str(), folderFd, name.c_str()) != 0) {
        abandon(Step::Replace, errno);
      }
    }
  } else if (::renameat(folderFd, temp.c_str(), folderFd, name.c_str()) != 0) {
    abandon(Step::Replace, errno);
  }
  ::fsync(folderFd);  // the rename reaches the disk with its folder (where the folder allows it)
  return true;
}

}  // namespace os::host

namespace os {

bool saveFile(const Drive& drive, std::string_view path, std::string_view bytes,
              bool onlyIfMissing) {
  constexpr std::string_view op = "Ne peut créer le fichier";
  const host::Resolved r = host::resolve(drive.state(), path);
  if (!r.valid || r.parentMissing) host::failMissing(r, op, path);
  // The folder opened confined to drive C: nothing below is reached through a link.
  host::Parent parent;
  if (!host::openParent(drive.state(), r.path, parent)) host::failErrno(errno, op, path);
  const std::string shown(path);
  try {
    const host::StoreLock lock(parent.fd, shown);
    return host::replaceLocked(parent.fd, parent.name, bytes, shown,
                               onlyIfMissing ? host::Existing::Kept
                                             : host::Existing::ReplacedUnlessReadOnly);
  } catch (const host::StoreError& e) {
    if (e.code() == error::LockViolation) throw;
    if (e.step() == host::StoreError::Step::Write) {
      throw WriteError(e.code(), "Erreur d'écriture dans le fichier " + shown + " : " +
                                     host::errnoText(e.err()));
    }
    host::failErrno(e.err(), op, path);
  }
}

bool saveHostFile(const std::filesystem::path& path, std::string_view bytes) {
  constexpr std::string_view op = "Ne peut créer le fichier";
  const std::string shown = path.string();
  const host::Descriptor folder(::open(path.parent_path().empty() ? "." : path.parent_path().c_str(),
                                       O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.fd < 0) host::failErrno(errno, op, shown);
  const std::string name = path.filename().string();
  try {
    const host::StoreLock lock(folder.fd, shown);
    return host::replaceLocked(folder.fd, name, bytes, shown, host::Existing::Replaced);
  } catch (const host::StoreError& e) {
    if (e.code() == error::LockViolation) throw;
    if (e.step() == host::StoreError::Step::Write) {
      throw WriteError(e.code(), "Erreur d'écriture dans le fichier " + shown + " : " +
                                     host::errnoText(e.err()));
    }
    host::failErrno(e.err(), op, shown);
  }
}

}  // namespace os
