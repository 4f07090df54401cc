// An open folder: a descriptor (O_RDONLY, to be read with getdents64) reached with
// no link and no mount point on the way. Its entries are named relative to it in every *at()
// call; extended attributes, which have no such call here, go through /proc/self/fd.
#include "platform/Folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <string>

#include "platform/Attributes.h"
#include "platform/SystemError.h"
#include "platform/linux/DriveState.h"
#include "platform/linux/Host.h"
#include "platform/linux/Listing.h"

namespace os {
namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NONBLOCK;

int fdOf(std::intptr_t handle) noexcept {
  return static_cast<int>(handle);
}

FileId idOf(const struct stat& st) noexcept {
  return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

}  // namespace

std::optional<Folder> Drive::openFolder(std::string_view path) const {
  const host::Resolved r = host::resolve(*state_, path);
  if (!r.exists || !S_ISDIR(r.st.st_mode)) return std::nullopt;
  const int fd = host::openInDrive(*state_, r.path, kFolderFlags);
  if (fd < 0) return std::nullopt;
  return Folder(fd, std::string(path));
}

std::optional<std::string> Drive::folderPath(std::string_view path) const {
  // The names a case-insensitive lookup found are the disk's own; no link lies on the way.
  const host::Resolved r = host::resolve(*state_, path);
  if (!r.exists || !S_ISDIR(r.st.st_mode)) return std::nullopt;
  const int fd = host::openInDrive(*state_, r.path, kFolderFlags);
  if (fd < 0) return std::nullopt;
  ::close(fd);
  std::string own = "C:\\" + r.path;
  for (char& c : own) {
    if (c == '/') c = '\\';
  }
  return own;
}

std::optional<Folder> Folder::openHost(const std::string& path) {
  const int fd = ::open(path.c_str(), kFolderFlags | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  return Folder(fd, path);
}

namespace {

std::optional<Folder::Usage> usageAt(int dirFd, const char* name, int flags) {
  constexpr unsigned kMask = STATX_TYPE | STATX_INO | STATX_NLINK | STATX_BLOCKS;
  struct statx sx {};
  if (::statx(dirFd, name, flags | AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT | AT_STATX_DONT_SYNC,
              kMask, &sx) != 0) {
    return std::nullopt;
  }
  Folder::Usage u;
  u.bytes = sx.stx_blocks * 512;
  u.id = {static_cast<std::uint64_t>(makedev(sx.stx_dev_major, sx.stx_dev_minor)), sx.stx_ino};
  u.names = sx.stx_nlink;
  u.folder = S_ISDIR(sx.stx_mode);
  if ((sx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0) {
    u.mountPoint = (sx.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
  } else if (u.folder && (flags & AT_EMPTY_PATH) == 0) {
    // Older kernels: on another device than the folder holding it.
    struct stat holder {};
    u.mountPoint = ::fstat(dirFd, &holder) == 0 && holder.st_dev != u.id.volume;
  }
  return u;
}

}  // namespace

std::optional<Folder::Usage> Folder::usage() const {
  return usageAt(fdOf(handle_), "", AT_EMPTY_PATH);
}

std::optional<Folder::Usage> Folder::usage(std::size_t i) const {
  return usageAt(fdOf(handle_), name(i).data(), 0);
}

std::optional<Folder> Folder::openParent(FileId expected) const {
  const int fd = ::openat(fdOf(handle_), "..", kFolderFlags | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || idOf(st) != expected) {
    ::close(fd);
    return std::nullopt;
  }
  const std::size_t cut = path_.find_last_of("\\/");
  return Folder(fd, cut == std::string::npos ? path_ : path_.substr(0, cut));
}

void Folder::closeHandle(std::intptr_t handle) noexcept {
  ::close(fdOf(handle));
}

FileId Folder::id() const {
  struct stat st {};
  if (fstat(fdOf(handle_), &st) != 0) host::failErrno(errno, "Ne peut lire le dossier", path_);
  return idOf(st);
}

std::optional<Folder> Folder::openChild(std::string_view entryName) const {
  if (!isEntryName(entryName)) return std::nullopt;
  const int fd = host::openChildAt(fdOf(handle_), std::string(entryName).c_str(), kFolderFlags);
  if (fd < 0) return std::nullopt;
  return Folder(fd, entryPath(entryName));
}

void Folder::read() {
  // A folder that can no longer be read gives what was read.
  host::forEachName(fdOf(handle_), [this](std::string_view entry, unsigned char type) {
    add(entry, type, 0);
    return true;
  });
}

bool Folder::isFolder(std::size_t i) const {
  const unsigned char type = static_cast<unsigned char>(entries_[i].kind);
  if (type == DT_DIR) return true;
  if (type != DT_LNK && type != DT_UNKNOWN) return false;
  // A link to a folder carries the directory attribute too, as Windows shows one.
  struct stat st {};
  return fstatat(fdOf(handle_), name(i).data(), &st, 0) == 0 && S_ISDIR(st.st_mode);
}

bool Folder::isReparsePoint(std::size_t i) const {
  const unsigned char type = static_cast<unsigned char>(entries_[i].kind);
  if (type == DT_LNK) return true;
  struct stat st {};
  bool mount = false;
  return host::lstatAt(fdOf(handle_), name(i).data(), st, &mount) == 0 &&
         (S_ISLNK(st.st_mode) || mount);
}

std::uint32_t Folder::attributes(std::size_t i) const {
  struct stat st {};
  bool mount = false;
  const std::string_view n = name(i);
  if (host::lstatAt(fdOf(handle_), n.data(), st, &mount) == 0) {
    return host::attributesAt(fdOf(handle_), n, st, mount);
  }
  // Gone since it was listed: what the listing said.
  const unsigned char type = static_cast<unsigned char>(entries_[i].kind);
  std::uint32_t a = type == DT_DIR ? attr::Directory : attr::Archive;
  if (type == DT_LNK) a |= attr::ReparsePoint;
  if (host::isDotHidden(n)) a |= attr::Hidden;
  return a;
}

std::uint64_t Folder::fileSize(std::size_t i) const {
  struct stat st {};
  if (host::lstatAt(fdOf(handle_), name(i).data(), st, nullptr) != 0 || !S_ISREG(st.st_mode)) {
    return 0;
  }
  return static_cast<std::uint64_t>(st.st_size);
}

std::optional<FileId> Folder::entryId(std::string_view entryName) const {
  struct stat st {};
  // A name holding "\" is one entry here too (unlisted()).
  if (entryName.empty() || entryName == "." || entryName == ".." ||
      entryName.find_first_of(std::string_view("/\0", 2)) != std::string_view::npos ||
      host::lstatAt(fdOf(handle_), std::string(entryName).c_str(), st, nullptr) != 0) {
    return std::nullopt;
  }
  return idOf(st);
}

// The attributes go with the file's one name: they are cleared only when the deletion fails, as
// a deletion that clears them first and then fails would leave them. Two system calls instead of
// four for a file that goes.
void Folder::deleteFile(std::string_view entryName) const {
  constexpr std::string_view op = "Ne peut supprimer le fichier";
  const std::string n = checkedName(entryName, op);
  const int fd = fdOf(handle_);
  if (unlinkat(fd, n.c_str(), 0) == 0) return;
  const int err = errno;
  struct stat st {};
  bool mount = false;
  if (host::lstatAt(fd, n.c_str(), st, &mount) != 0) host::failErrno(err, op, entryPath(n));
  if (S_ISDIR(st.st_mode)) host::fail(error::AccessDenied, op, entryPath(n), "c'est un dossier");
  if (mount) host::fail(error::AccessDenied, op, entryPath(n), "c'est un point de montage");
  // The attributes of a file with several names belong to all of them: they stay.
  if (S_ISREG(st.st_mode) && st.st_nlink == 1) {
    try {
      host::setAttributesAt(fd, n, st, 0, op, entryPath(n));
    } catch (const SystemError&) {
      // The deletion's own failure is the one to tell.
    }
  }
  host::failErrno(err, op, entryPath(n));
}

void Folder::removeFolder(std::string_view entryName) const {
  constexpr std::string_view op = "Ne peut supprimer le dossier";
  const std::string n = checkedName(entryName, op);
  const int fd = fdOf(handle_);
  // The system itself refuses a link (ENOTDIR), a file (ENOTDIR) and a mount point (EBUSY): what
  // the entry is, is only looked at to tell why.
  if (unlinkat(fd, n.c_str(), AT_REMOVEDIR) == 0) return;
  const int err = errno;
  struct stat st {};
  bool mount = false;
  if (host::lstatAt(fd, n.c_str(), st, &mount) == 0) {
    if (!S_ISDIR(st.st_mode)) {
      host::fail(error::DirectoryInvalid, op, entryPath(n), "ce n'est pas un dossier");
    }
    if (mount) host::fail(error::AccessDenied, op, entryPath(n), "c'est un point de montage");
  }
  host::failErrno(err == EEXIST ? ENOTEMPTY : err, op, entryPath(n));
}

// What unlinkat() and rmdir look at, asked without changing anything: the folder's write and
// search rights as the system grants them to this process (faccessat with the effective ids:
// mode, ACLs, a read-only file system, an immutable folder), the immutable and append-only flags
// of the folder and of the entry (statx), and the sticky bit. A mount point is never removed.
bool Folder::mayRemove(std::string_view entryName) const {
  if (!isEntryName(entryName)) return false;
  const int fd = fdOf(handle_);
  const std::string n(entryName);
  struct stat entry {};
  bool mount = false;
  if (host::lstatAt(fd, n.c_str(), entry, &mount) != 0 || mount) return false;
  if (::faccessat(fd, ".", W_OK | X_OK, AT_EACCESS) != 0) return false;
  constexpr std::uint64_t kFixed = STATX_ATTR_IMMUTABLE | STATX_ATTR_APPEND;
  struct statx sx {};
  if (::statx(fd, "", AT_EMPTY_PATH, STATX_MODE | STATX_UID, &sx) != 0 ||
      (sx.stx_attributes & sx.stx_attributes_mask & kFixed) != 0) {
    return false;
  }
  const uid_t me = ::geteuid();
  if ((sx.stx_mode & S_ISVTX) != 0 && me != 0 && sx.stx_uid != me && entry.st_uid != me) {
    return false;
  }
  struct statx target {};
  return ::statx(fd, n.c_str(), AT_SYMLINK_NOFOLLOW, STATX_TYPE, &target) == 0 &&
         (target.stx_attributes & target.stx_attributes_mask & kFixed) == 0;
}

}  // namespace os
