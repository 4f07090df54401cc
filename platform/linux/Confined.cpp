// Opening files with a drive's drive_c as the root, following no link and crossing no mount
// point: a link or a mount in the prefix never lets an operation touch a file elsewhere, on the
// host or in drive C, even when another program swaps a folder for a link during a run.
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

#include "platform/linux/DriveState.h"
#include "platform/linux/FolderFile.h"
#include "platform/linux/Host.h"

namespace os::host {
namespace {

// The path the kernel gives the open file `fd`; empty when it cannot tell.
std::string pathOf(int fd) {
  char real[PATH_MAX];
  const std::string link = "/proc/self/fd/" + std::to_string(fd);
  const ssize_t n = readlink(link.c_str(), real, sizeof real - 1);
  return n > 0 ? std::string(real, static_cast<std::size_t>(n)) : std::string();
}

}  // namespace

std::uint64_t mountOf(int fd) noexcept {
  struct statx sx {};
  if (statx(fd, "", AT_EMPTY_PATH, STATX_MNT_ID, &sx) != 0 || (sx.stx_mask & STATX_MNT_ID) == 0) {
    return 0;
  }
  return sx.stx_mnt_id;
}

namespace {

// Where the kernel has no openat2: open without following a last link, then check that the file
// is where its path says (no link on the way) and on drive C's own mount.
int openChecked(int rootFd, const std::string& relative, int flags, mode_t mode) {
  const int fd = openat(rootFd, relative.c_str(), flags | O_NOFOLLOW, mode);
  if (fd < 0) return -1;
  const std::string real = pathOf(fd);
  const std::string root = pathOf(rootFd);
  if (!real.empty() && !root.empty()) {
    const std::string expected = relative == "." ? root : root + "/" + relative;
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

int openInDrive(const Drive::State& drive, const std::string& relative, int flags, mode_t mode) {
  const std::string path = relative.empty() ? std::string(".") : relative;
  const int fd = openResolved(drive.rootFd, path.c_str(), flags, mode, RESOLVE_IN_ROOT);
  if (fd < 0 && errno == ENOSYS) return openChecked(drive.rootFd, path, flags | O_CLOEXEC, mode);
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

int openRegular(const Drive::State& drive, const std::string& relative, int flags, mode_t mode) {
  return keepRegular(openInDrive(drive, relative, flags | O_NONBLOCK, mode), flags);
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

bool openParent(const Drive::State& drive, const std::string& relative, Parent& out) {
  if (relative.empty()) {
    errno = EACCES;  // drive C itself has no parent to act in
    return false;
  }
  const std::size_t cut = relative.rfind('/');
  if (out.fd >= 0) ::close(out.fd);
  out.fd = openInDrive(drive, cut == std::string::npos ? std::string() : relative.substr(0, cut),
                       O_PATH | O_DIRECTORY);
  if (out.fd < 0) return false;
  out.name.assign(relative, cut == std::string::npos ? 0 : cut + 1, std::string::npos);
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
