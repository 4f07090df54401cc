// Deleting, creating, removing and renaming on drive C, with the refusals Windows makes. Every
// change is made relative to the folder opened confined to drive C (see Confined.cpp).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/Attributes.h"
#include "platform/FileSystem.h"
#include "platform/SystemError.h"
#include "platform/linux/Host.h"

namespace os {
namespace {

// The file's folder, opened confined to drive C, and the file's own lstat in it; a mount point
// is refused.
void openExisting(std::string_view path, std::string_view op, host::Parent& parent,
                  struct stat& st) {
  const host::Resolved r = host::resolve(path);
  if (!r.exists) host::failMissing(r, op, path);
  bool mount = false;
  if (!host::openParent(r.path, parent) ||
      host::lstatAt(parent.fd, parent.name.c_str(), st, &mount) != 0) {
    host::failErrno(errno, op, path);
  }
  if (mount) host::fail(error::AccessDenied, op, path, "c'est un point de montage");
}

// The folder in which `path` is to be made.
void openNew(std::string_view path, std::string_view op, host::Parent& parent, bool& exists,
             struct stat& st) {
  const host::Resolved r = host::resolve(path);
  if (!r.valid || r.parentMissing) host::failMissing(r, op, path);
  if (!host::openParent(r.path, parent)) host::failErrno(errno, op, path);
  exists = fstatat(parent.fd, parent.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

}  // namespace

void deleteFile(std::string_view path) {
  constexpr std::string_view op = "Ne peut supprimer le fichier";
  host::Parent parent;
  struct stat st {};
  openExisting(path, op, parent, st);
  if (S_ISDIR(st.st_mode)) host::fail(error::AccessDenied, op, path, "c'est un dossier");
  // Checked here rather than left to the host, so the refusal holds for root too.
  if (host::isReadOnly(st)) host::fail(error::AccessDenied, op, path, "lecture seule");
  if (unlinkat(parent.fd, parent.name.c_str(), 0) != 0) host::failErrno(errno, op, path);
}

void createDirectory(std::string_view path) {
  constexpr std::string_view op = "Ne peut créer le dossier";
  host::Parent parent;
  bool exists = false;
  struct stat st {};
  openNew(path, op, parent, exists, st);
  if (exists) host::fail(error::AlreadyExists, op, path, "existe déjà");
  if (mkdirat(parent.fd, parent.name.c_str(), 0777) != 0) host::failErrno(errno, op, path);
}

void removeDirectory(std::string_view path) {
  constexpr std::string_view op = "Ne peut supprimer le dossier";
  host::Parent parent;
  struct stat st {};
  openExisting(path, op, parent, st);
  int flags = AT_REMOVEDIR;
  if (S_ISLNK(st.st_mode)) {
    struct stat target {};
    if (fstatat(parent.fd, parent.name.c_str(), &target, 0) != 0 || !S_ISDIR(target.st_mode)) {
      host::fail(error::DirectoryInvalid, op, path, "ce n'est pas un dossier");
    }
    flags = 0;  // a link to a folder goes as a link; its target is left alone
  } else if (!S_ISDIR(st.st_mode)) {
    host::fail(error::DirectoryInvalid, op, path, "ce n'est pas un dossier");
  }
  if (unlinkat(parent.fd, parent.name.c_str(), flags) != 0) {
    const int err = errno;
    host::failErrno(err == EEXIST ? ENOTEMPTY : err, op, path);
  }
}

}  // namespace os
