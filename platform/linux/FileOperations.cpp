// Deleting, creating, removing and renaming on drive C, with the refusals Windows makes.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/FileSystem.h"
#include "platform/SystemError.h"
#include "platform/linux/Host.h"

namespace os {

void deleteFile(std::string_view path) {
  constexpr std::string_view op = "DeleteFile";
  const host::Resolved r = host::resolve(path);
  if (!r.exists) host::failMissing(r, op, path);
  if (S_ISDIR(r.st.st_mode)) host::fail(error::AccessDenied, op, path, "is a folder");
  // Checked here rather than left to the host, so the refusal holds for root too.
  if (host::isReadOnly(r.st)) host::fail(error::AccessDenied, op, path, "read-only");
  host::noteChange();
  if (unlink(r.path.c_str()) != 0) host::failErrno(errno, op, path);
}

void createDirectory(std::string_view path) {
  constexpr std::string_view op = "CreateDirectory";
  const host::Resolved r = host::resolve(path);
  if (!r.valid || r.parentMissing) host::failMissing(r, op, path);
  if (r.exists) host::fail(error::AlreadyExists, op, path, "already exists");
  host::noteChange();
  if (mkdir(r.path.c_str(), 0777) != 0) host::failErrno(errno, op, path);
}

void removeDirectory(std::string_view path) {
  constexpr std::string_view op = "RemoveDirectory";
  const host::Resolved r = host::resolve(path);
  if (!r.exists) host::failMissing(r, op, path);
  if (S_ISLNK(r.st.st_mode)) {
    struct stat target {};
    if (stat(r.path.c_str(), &target) != 0 || !S_ISDIR(target.st_mode)) {
      host::fail(error::DirectoryInvalid, op, path, "not a folder");
    }
    // A link to a folder goes as a link; its target is left alone.
    host::noteChange();
    if (unlink(r.path.c_str()) != 0) host::failErrno(errno, op, path);
    return;
  }
  if (!S_ISDIR(r.st.st_mode)) host::fail(error::DirectoryInvalid, op, path, "not a folder");
  host::noteChange();
  if (rmdir(r.path.c_str()) != 0) {
    const int err = errno;
    host::failErrno(err == EEXIST ? ENOTEMPTY : err, op, path);
  }
}

void moveFileReplace(std::string_view from, std::string_view to) {
  constexpr std::string_view op = "MoveFile";
  const host::Resolved source = host::resolve(from);
  if (!source.exists) host::failMissing(source, op, from);
  const host::Resolved target = host::resolve(to);
  if (!target.valid || target.parentMissing) host::failMissing(target, op, to);
  if (target.exists && S_ISDIR(target.st.st_mode) && target.path != source.path) {
    host::fail(error::AccessDenied, op, to, "is a folder");
  }
  host::noteChange();
  if (std::rename(source.path.c_str(), target.path.c_str()) != 0) {
    host::failErrno(errno, op, to);
  }
}

}  // namespace os
