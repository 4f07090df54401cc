// Opening files with drive C as the root, following no link and crossing no mount point: a link
// or a mount in the prefix never lets an operation touch a file elsewhere, on the host or in
// drive C, even when another program swaps a folder for a link during a run.
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>

#include "platform/linux/FolderFile.h"
#include "platform/linux/Host.h"

namespace os::host {
namespace {

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

// The mount a descriptor is on; 0 when the kernel cannot tell.
std::uint64_t mountOf(int fd) noexcept {
  struct statx sx {};
  if (statx(fd, "", AT_EMPTY_PATH, STATX_MNT_ID, &sx) != 0 || (sx.stx_mask & STATX_MNT_ID) == 0) {
    return 0;
  }
  return sx.stx_mnt_id;
}

// Where the kernel has no openat2: open without following a last link, then check that the file
// is where its path says (no link on the way) and on drive C's own mount.
int openChecked(int rootFd, const std::string& relative, int flags, mode_t mode) {
  const int fd = openat(rootFd, relative.c_str(), flags | O_NOFOLLOW, mode);
  if (fd < 0) return -1;
  char real[PATH_MAX];
  char rootReal[PATH_MAX];
  const std::string link = "/proc/self/fd/" + std::to_string(fd);
  const ssize_t n = readlink(link.c_str(), real, sizeof real - 1);
  if (n > 0 && realpath(driveRoot().c_str(), rootReal) != nullptr) {
    real[n] = '\0';
    const std::string expected =
        relative == "." ? std::string(rootReal) : std::string(rootReal) + "/" + relative;
    if (expected == real && mountOf(fd) == mountOf(rootFd)) return fd;
  }
  close(fd);
  errno = EXDEV;
  return -1;
}

// openat2 with `resolve`; -1 with ENOSYS where the kernel (or a sandbox) refuses it.
int openResolved(int dirFd, const char* path, int flags, mode_t mode,
                 std::uint64_t resolve) noexcept {
  open_how how{};
  how.flags = static_cast<std::uint64_t>(flags | O_CLOEXEC);
  how.mode = (flags & O_CREAT) != 0 ? mode : 0;
  how.resolve = resolve | RESOLVE_NO_MAGICLINKS | RESOLVE_NO_SYMLINKS | RESOLVE_NO_XDEV;
  long fd;
  do {
    fd = syscall(SYS_openat2, dirFd, path, &how, sizeof how);
  } while (fd < 0 && (errno == EAGAIN || errno == EINTR));
  if (fd < 0 && errno == EPERM) errno = ENOSYS;  // a seccomp filter that knows no openat2
  return static_cast<int>(fd);
}

}  // namespace

int openInDrive(const std::string& hostPath, int flags, mode_t mode) {
  std::string relative;
  if (!relativeToDrive(hostPath, relative)) {
    errno = EXDEV;
    return -1;
  }
  const int rootFd = driveRootFd();
  const int fd = openResolved(rootFd, relative.c_str(), flags, mode, RESOLVE_IN_ROOT);
  if (fd < 0 && errno == ENOSYS) return openChecked(rootFd, relative, flags | O_CLOEXEC, mode);
  return fd;
}

int openChildAt(int dirFd, const char* name, int flags) noexcept {
  const int fd = openResolved(dirFd, name, flags | O_NOFOLLOW, 0, RESOLVE_BENEATH);
  if (fd >= 0 || errno != ENOSYS) return fd;
  // Without openat2: the last component is the only one, and O_NOFOLLOW refuses a link there.
  const int opened = openat(dirFd, name, flags | O_NOFOLLOW | O_CLOEXEC);
  if (opened < 0 || mountOf(opened) == mountOf(dirFd)) return opened;
  ::close(opened);
  errno = EXDEV;
  return -1;
}

int openRegular(const std::string& hostPath, int flags, bool confined, mode_t mode) {
  return keepRegular(confined ? openInDrive(hostPath, flags | O_NONBLOCK, mode)
                              : ::open(hostPath.c_str(), flags | O_NONBLOCK | O_CLOEXEC, mode),
                     flags);
}

int lstatAt(int dirFd, const char* name, struct stat& st, bool* mountPoint) noexcept {
  struct statx sx {};
  if (statx(dirFd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, STATX_BASIC_STATS, &sx) != 0) {
    return -1;
  }
  st = {};
  st.st_mode = sx.stx_mode;
  st.st_nlink = sx.stx_nlink;
  st.st_ino = sx.stx_ino;
  st.st_dev = makedev(sx.stx_dev_major, sx.stx_dev_minor);
  st.st_size = static_cast<off_t>(sx.stx_size);
  st.st_uid = sx.stx_uid;
  st.st_gid = sx.stx_gid;
  if (mountPoint != nullptr) {
    if ((sx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0) {
      *mountPoint = (sx.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
    } else {
      // Older kernels: on another device than the folder holding it.
      struct stat folder {};
      *mountPoint = fstat(dirFd, &folder) == 0 && folder.st_dev != st.st_dev;
    }
  }
  return 0;
}

bool isMountPoint(int dirFd, const char* name) noexcept {
  struct stat st {};
  bool mount = false;
  return lstatAt(dirFd, name, st, &mount) == 0 && mount;
}

bool openParent(const std::string& hostPath, Parent& out) {
  const std::size_t cut = hostPath.rfind('/');
  if (cut == std::string::npos || hostPath.size() <= driveRoot().size()) {
    errno = EACCES;  // drive C itself has no parent to act in
    return false;
  }
  if (out.fd >= 0) ::close(out.fd);
  out.fd = openInDrive(hostPath.substr(0, cut), O_PATH | O_DIRECTORY);
  if (out.fd < 0) return false;
  out.name.assign(hostPath, cut + 1, std::string::npos);
  return true;
}

Parent::~Parent() {
  if (fd >= 0) ::close(fd);
}

std::string procPath(int dirFd, std::string_view name) {
  static const bool haveProc = access("/proc/self/fd", X_OK) == 0;
  if (!haveProc) return {};
  std::string path = "/proc/self/fd/" + std::to_string(dirFd);
  path += '/';
  path += name;
  return path;
}

}  // namespace os::host
