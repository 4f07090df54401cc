// Deleting, creating, removing and renaming on drive C, with the refusals Windows makes. Every
// change is made relative to the folder opened confined to drive C (see Confined.cpp).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/FileSystem.h"
#include "platform/SystemError.h"
#include "platform/linux/Host.h"

namespace os {
namespace {

// The file's folder, opened confined to drive C, and the file's own lstat in it.
void openExisting(std::string_view path, std::string_view op, host::Parent& parent,
                  struct stat& st) {
  // The exact spelling first: three calls when it exists.
  std::string exact;
  if (host::lexicalPath(path, exact) && host::openParent(exact, parent) &&
      fstatat(parent.fd, parent.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
    return;
  }
  const host::Resolved r = host::resolve(path);
  if (!r.exists) host::failMissing(r, op, path);
  if (!host::openParent(r.path, parent, false)) host::failErrno(errno, op, path);
  if (fstatat(parent.fd, parent.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
    host::failErrno(errno, op, path);
  }
}

// The folder in which `path` is to be made.
void openNew(std::string_view path, std::string_view op, host::Parent& parent, bool& exists) {
  const host::Resolved r = host::resolve(path);
  if (!r.valid || r.parentMissing) host::failMissing(r, op, path);
  if (!host::openParent(r.path, parent)) host::failErrno(errno, op, path);
  struct stat st {};
  exists = fstatat(parent.fd, parent.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

}  // namespace

void deleteFile(std::string_view path) {
  constexpr std::string_view op = "DeleteFile";
  host::Parent parent;
  struct stat st {};
  openExisting(path, op, parent, st);
  if (S_ISDIR(st.st_mode)) host::fail(error::AccessDenied, op, path, "is a folder");
  // Checked here rather than left to the host, so the refusal holds for root too.
  if (host::isReadOnly(st)) host::fail(error::AccessDenied, op, path, "read-only");
  host::noteChange();
  if (S_ISLNK(st.st_mode)) host::noteFolderChange();
  if (unlinkat(parent.fd, parent.name.c_str(), 0) != 0) host::failErrno(errno, op, path);
}

void createDirectory(std::string_view path) {
  constexpr std::string_view op = "CreateDirectory";
  host::Parent parent;
  bool exists = false;
  openNew(path, op, parent, exists);
  if (exists) host::fail(error::AlreadyExists, op, path, "already exists");
  host::noteChange();
  if (mkdirat(parent.fd, parent.name.c_str(), 0777) != 0) host::failErrno(errno, op, path);
}

void removeDirectory(std::string_view path) {
  constexpr std::string_view op = "RemoveDirectory";
  host::Parent parent;
  struct stat st {};
  openExisting(path, op, parent, st);
  int flags = AT_REMOVEDIR;
  if (S_ISLNK(st.st_mode)) {
    struct stat target {};
    if (fstatat(parent.fd, parent.name.c_str(), &target, 0) != 0 || !S_ISDIR(target.st_mode)) {
      host::fail(error::DirectoryInvalid, op, path, "not a folder");
    }
    flags = 0;  // a link to a folder goes as a link; its target is left alone
  } else if (!S_ISDIR(st.st_mode)) {
    host::fail(error::DirectoryInvalid, op, path, "not a folder");
  }
  host::noteChange();
  host::noteFolderChange();
  if (unlinkat(parent.fd, parent.name.c_str(), flags) != 0) {
    const int err = errno;
    host::failErrno(err == EEXIST ? ENOTEMPTY : err, op, path);
  }
}

void moveFileReplace(std::string_view from, std::string_view to) {
  constexpr std::string_view op = "MoveFile";
  host::Parent source;
  struct stat st {};
  openExisting(from, op, source, st);
  host::Parent target;
  bool exists = false;
  openNew(to, op, target, exists);
  struct stat targetSt {};
  if (exists && fstatat(target.fd, target.name.c_str(), &targetSt, AT_SYMLINK_NOFOLLOW) == 0 &&
      S_ISDIR(targetSt.st_mode) && targetSt.st_ino != st.st_ino) {
    host::fail(error::AccessDenied, op, to, "is a folder");
  }
  host::noteChange();
  host::noteFolderChange();
  if (renameat(source.fd, source.name.c_str(), target.fd, target.name.c_str()) != 0) {
    host::failErrno(errno, op, to);
  }
}

}  // namespace os
