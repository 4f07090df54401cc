// Creating folders on a drive, with the refusals Windows makes, relative to the folder opened
// confined to drive C (see Confined.cpp).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/FileSystem.h"
#include "platform/SystemError.h"
#include "platform/linux/DriveState.h"
#include "platform/linux/Host.h"

namespace os {

void createDirectory(const Drive& drive, std::string_view path) {
  constexpr std::string_view op = "Ne peut créer le dossier";
  const host::Resolved r = host::resolve(drive.state(), path);
  if (!r.valid || r.parentMissing) host::failMissing(r, op, path);
  host::Parent parent;
  if (!host::openParent(drive.state(), r.path, parent)) host::failErrno(errno, op, path);
  struct stat st {};
  if (fstatat(parent.fd, parent.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
    host::fail(error::AlreadyExists, op, path, "existe déjà");
  }
  if (mkdirat(parent.fd, parent.name.c_str(), 0777) != 0) host::failErrno(errno, op, path);
}

}  // namespace os
