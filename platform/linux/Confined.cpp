// Opening files with drive C as the root: links and ".." are resolved inside drive C, so that a
// link in the prefix never lets an operation touch a host file outside it.
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>

#include "platform/linux/Host.h"

namespace os::host {
namespace {

std::atomic<std::uint64_t> folderChanges{0};

// The folder of the last file operation, kept open for the next one.
struct KeptFolder {
  std::string folder;
  int fd = -1;
  std::uint64_t generation = 0;
  ~KeptFolder() {
    if (fd >= 0) ::close(fd);
  }
};

KeptFolder& kept() {
  static thread_local KeptFolder k;
  return k;
}

// The path of `hostPath` relative to drive C ("." for drive C itself); false when it is not
// below drive C.
bool relativeToDrive(const std::string& hostPath, std::string& out) {
  const std::string& root = driveRoot();
  if (hostPath.compare(0, root.size(), root) != 0) return false;
  if (hostPath.size() == root.size()) {
    out.assign(1, '.');  // not out = ".": GCC 12 sees a false overlap there (-Wrestrict)
    return true;
  }
  if (hostPath[root.size()] != '/') return false;
  out.assign(hostPath, root.size() + 1, std::string::npos);
  return true;
}

// Where the kernel has no openat2: open normally, then check where the file really is.
int openChecked(int rootFd, const std::string& relative, int flags, mode_t mode) {
  const int fd = openat(rootFd, relative.c_str(), flags, mode);
  if (fd < 0) return -1;
  char real[PATH_MAX];
  char rootReal[PATH_MAX];
  const std::string link = "/proc/self/fd/" + std::to_string(fd);
  const ssize_t n = readlink(link.c_str(), real, sizeof real - 1);
  if (n > 0 && realpath(driveRoot().c_str(), rootReal) != nullptr) {
    real[n] = '\0';
    const std::string r(real);
    const std::string base(rootReal);
    if (r == base || r.compare(0, base.size() + 1, base + "/") == 0) return fd;
  }
  close(fd);
  errno = EXDEV;
  return -1;
}

}  // namespace

int openInDrive(const std::string& hostPath, int flags, mode_t mode) {
  std::string relative;
  if (!relativeToDrive(hostPath, relative)) {
    errno = EXDEV;
    return -1;
  }
  const int rootFd = driveRootFd();
  open_how how{};
  how.flags = static_cast<std::uint64_t>(flags | O_CLOEXEC);
  how.mode = (flags & O_CREAT) != 0 ? mode : 0;
  how.resolve = RESOLVE_IN_ROOT | RESOLVE_NO_MAGICLINKS;
  long fd;
  do {
    fd = syscall(SYS_openat2, rootFd, relative.c_str(), &how, sizeof how);
  } while (fd < 0 && (errno == EAGAIN || errno == EINTR));
  if (fd < 0 && (errno == ENOSYS || errno == EPERM)) {
    return openChecked(rootFd, relative, flags | O_CLOEXEC, mode);
  }
  return static_cast<int>(fd);
}

void noteFolderChange() noexcept {
  folderChanges.fetch_add(1, std::memory_order_relaxed);
}

bool openParent(const std::string& hostPath, Parent& out, bool reuse) {
  const std::size_t cut = hostPath.rfind('/');
  if (cut == std::string::npos || hostPath.size() <= driveRoot().size()) {
    errno = EACCES;  // drive C itself has no parent to act in
    return false;
  }
  out.close();
  const std::string_view folder(hostPath.data(), cut);
  const std::uint64_t generation = folderChanges.load(std::memory_order_relaxed);
  KeptFolder& k = kept();
  if (reuse && k.fd >= 0 && k.generation == generation && k.folder == folder) {
    out.fd = k.fd;
    out.owned = false;
  } else {
    out.folder.assign(folder);
    out.fd = openInDrive(out.folder, O_PATH | O_DIRECTORY);
    if (out.fd < 0) return false;
    out.owned = true;
    out.generation = generation;
  }
  out.name.assign(hostPath, cut + 1, std::string::npos);
  return true;
}

std::string Parent::procPath() const {
  static const bool haveProc = access("/proc/self/fd", X_OK) == 0;
  if (!haveProc) return {};
  return "/proc/self/fd/" + std::to_string(fd) + "/" + name;
}

void Parent::close() noexcept {
  if (fd >= 0 && owned) {
    KeptFolder& k = kept();
    if (generation == folderChanges.load(std::memory_order_relaxed)) {
      if (k.fd >= 0) ::close(k.fd);
      k.fd = fd;
      k.folder.swap(folder);
      k.generation = generation;
    } else {
      ::close(fd);
    }
  }
  fd = -1;
  owned = false;
}

}  // namespace os::host
