// The tests' own platform services on Linux, made of the platform layer's pieces: every change
// by path acts in the folder opened confined to drive C.
#include "tests/support/Plateforme.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/SystemError.h"
#include "platform/linux/DriveState.h"
#include "platform/linux/Host.h"

namespace os::testing {
namespace {

// The file's folder, opened confined to drive C, and the file's own lstat in it; a mount point
// is refused.
void openExisting(const Drive& drive, std::string_view path, std::string_view op,
                  host::Parent& parent, struct stat& st) {
  const host::Resolved r = host::resolve(drive.state(), path);
  if (!r.exists) host::failMissing(r, op, path);
  bool mount = false;
  if (!host::openParent(drive.state(), r.path, parent) ||
      host::lstatAt(parent.fd, parent.name.c_str(), st, &mount) != 0) {
    host::failErrno(errno, op, path);
  }
  if (mount) host::fail(error::AccessDenied, op, path, "c'est un point de montage");
}

}  // namespace

void setFileAttributes(const Drive& drive, std::string_view path, std::uint32_t attributes) {
  constexpr std::string_view op = "Ne peut changer les attributs de";
  host::Parent parent;
  struct stat st {};
  openExisting(drive, path, op, parent, st);
  host::setAttributesAt(parent.fd, parent.name, st, attributes, op, path);
}

void deleteFile(const Drive& drive, std::string_view path) {
  constexpr std::string_view op = "Ne peut supprimer le fichier";
  host::Parent parent;
  struct stat st {};
  openExisting(drive, path, op, parent, st);
  if (S_ISDIR(st.st_mode)) host::fail(error::AccessDenied, op, path, "c'est un dossier");
  // Checked here rather than left to the host, so the refusal holds for root too.
  if (host::isReadOnly(st)) host::fail(error::AccessDenied, op, path, "lecture seule");
  if (unlinkat(parent.fd, parent.name.c_str(), 0) != 0) host::failErrno(errno, op, path);
}

void removeDirectory(const Drive& drive, std::string_view path) {
  constexpr std::string_view op = "Ne peut supprimer le dossier";
  host::Parent parent;
  struct stat st {};
  openExisting(drive, path, op, parent, st);
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

std::optional<std::filesystem::path> hostPath(const Drive& drive, std::string_view windowsPath) {
  const host::Resolved r = host::resolve(drive.state(), windowsPath);
  if (!r.valid) return std::nullopt;
  std::filesystem::path p = drive.state().root;
  if (!r.path.empty()) p /= r.path;
  return p;
}

int openHandles() {
  DIR* d = ::opendir("/proc/self/fd");
  if (d == nullptr) return -1;
  int n = 0;
  while (const dirent* e = ::readdir(d)) {
    if (e->d_name[0] != '.') ++n;
  }
  ::closedir(d);
  return n - 1;  // the listing's own
}

}  // namespace os::testing
