// File attributes: read-only in the mode, hidden and system in the "user.DOSATTRIB" extended
// attribute (a hex text such as "0x22"), directory, archive and reparse point from the file type.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/Attributes.h"
#include "platform/FileSystem.h"
#include "platform/SystemError.h"
#include "platform/linux/DriveState.h"
#include "platform/linux/Host.h"

namespace os {
namespace {

constexpr const char* kDosAttrib = "user.DOSATTRIB";
constexpr std::uint32_t kStored = attr::Hidden | attr::System;

std::uint32_t parseDosAttrib(const char* text) noexcept {
  // strtoul accepts the "0x" prefix; a binary tail after the text's NUL is ignored.
  return static_cast<std::uint32_t>(std::strtoul(text, nullptr, 16)) & kStored;
}

}  // namespace

namespace host {

std::uint32_t storedAttributes(const char* path) noexcept {
  char buffer[128];
  ssize_t n = lgetxattr(path, kDosAttrib, buffer, sizeof buffer - 1);
  if (n >= 0) {
    buffer[n] = '\0';
    return parseDosAttrib(buffer);
  }
  if (errno != ERANGE) return 0;  // absent, or no extended attributes here
  const ssize_t size = lgetxattr(path, kDosAttrib, nullptr, 0);
  if (size <= 0) return 0;
  std::vector<char> big(static_cast<std::size_t>(size) + 1);
  n = lgetxattr(path, kDosAttrib, big.data(), static_cast<std::size_t>(size));
  if (n < 0) return 0;
  big[static_cast<std::size_t>(n)] = '\0';
  return parseDosAttrib(big.data());
}

std::uint32_t attributesAt(int dirFd, std::string_view name, const struct stat& st, bool mount) {
  const std::string entry(name);
  std::uint32_t a = 0;
  if (S_ISLNK(st.st_mode)) {
    struct stat target {};
    a |= attr::ReparsePoint;
    a |= (fstatat(dirFd, entry.c_str(), &target, 0) == 0 && S_ISDIR(target.st_mode))
             ? attr::Directory
             : attr::Archive;
  } else {
    if (mount) a |= attr::ReparsePoint;
    a |= S_ISDIR(st.st_mode) ? attr::Directory : attr::Archive;
  }
  if (isReadOnly(st)) a |= attr::ReadOnly;
  a |= storedAttributes(procPath(dirFd, name).c_str());
  if (isDotHidden(name)) a |= attr::Hidden;
  return a;
}

void setAttributesAt(int dirFd, std::string_view name, const struct stat& st,
                     std::uint32_t attributes, std::string_view op, std::string_view path) {
  const std::string entry(name);
  const std::string xattrPath = procPath(dirFd, name);
  const char* xp = xattrPath.c_str();

  const bool link = S_ISLNK(st.st_mode);
  const bool wantReadOnly = (attributes & attr::ReadOnly) != 0;
  const bool readOnlyChanges = wantReadOnly != isReadOnly(st);
  if (readOnlyChanges && link) {
    fail(error::NotSupported, op, path, "un lien n'a pas d'attribut lecture seule");
  }
  auto changeMode = [&] {
    const mode_t mode = st.st_mode & 07777;
    const mode_t wanted =
        wantReadOnly ? (mode & ~mode_t{S_IWUSR | S_IWGRP | S_IWOTH}) : (mode | S_IWUSR);
    if (fchmodat(dirFd, entry.c_str(), wanted, AT_SYMLINK_NOFOLLOW) != 0) {
      failErrno(errno, op, path);
    }
  };
  // Writing an extended attribute needs write access: make the file writable first, read-only
  // last.
  if (readOnlyChanges && !wantReadOnly) changeMode();

  const std::uint32_t wantStored = attributes & kStored;
  if (wantStored != storedAttributes(xp)) {
    if (xattrPath.empty()) fail(error::NotSupported, op, path, "/proc est absent");
    if (wantStored == 0) {
      if (lremovexattr(xp, kDosAttrib) != 0 && errno != ENODATA) failErrno(errno, op, path);
    } else {
      char text[16];
      const int n = std::snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(wantStored));
      if (lsetxattr(xp, kDosAttrib, text, static_cast<std::size_t>(n), 0) != 0) {
        const int err = errno;
        if (err == ENOTSUP || (link && err == EPERM)) {
          fail(error::NotSupported, op, path, "caché et système ne peuvent être gardés ici");
        }
        failErrno(err, op, path);
      }
    }
  }
  if (readOnlyChanges && wantReadOnly) changeMode();
}

}  // namespace host

std::optional<std::uint32_t> fileAttributes(const Drive& drive, std::string_view path) {
  const host::Resolved r = host::resolve(drive.state(), path);
  if (!r.exists) return std::nullopt;
  struct stat st {};
  bool mount = false;
  if (r.path.empty()) {  // drive C itself: no folder of the drive holds it
    const int fd = drive.state().rootFd;
    if (host::lstatAt(fd, ".", st, nullptr) != 0) return std::nullopt;
    return host::attributesAt(fd, {}, st, false);
  }
  // Read in the folder opened confined to drive C: nothing is read through a link or a mount.
  host::Parent parent;
  if (!host::openParent(drive.state(), r.path, parent) ||
      host::lstatAt(parent.fd, parent.name.c_str(), st, &mount) != 0) {
    return std::nullopt;
  }
  return host::attributesAt(parent.fd, parent.name, st, mount);
}

}  // namespace os
