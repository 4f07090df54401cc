// Opening files with drive C as the root, following no link and crossing no mount point: a link
// or a mount in the prefix never lets an operation touch a file elsewhere, on the host or in
// drive C, even when another program swaps a folder for a link during a run.
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>

#include "platform/linux/FolderFile.h"
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
  how.resolve = RESOLVE_IN_ROOT | RESOLVE_NO_MAGICLINKS | RESOLVE_NO_SYMLINKS | RESOLVE_NO_XDEV;
  long fd;
  do {
    fd = syscall(SYS_openat2, rootFd, relative.c_str(), &how, sizeof how);
  } while (fd < 0 && (errno == EAGAIN || errno == EINTR));
  if (fd < 0 && (errno == ENOSYS || errno == EPERM)) {
    return openChecked(rootFd, relative, flags | O_CLOEXEC, mode);
  }
  return static_cast<int>(fd);
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
      const std::string path(name);
      const std::string dot =
          dirFd != AT_FDCWD ? std::string(".") : path.substr(0, path.rfind('/') + 1) + ".";
      *mountPoint = fstatat(dirFd, dot.c_str(), &folder, 0) == 0 && folder.st_dev != st.st_dev;
    }
  }
  return 0;
}

bool isMountPoint(int dirFd, const char* name) noexcept {
  struct stat st {};
  bool mount = false;
  return lstatAt(dirFd, name, st, &mount) == 0 && mount;
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
