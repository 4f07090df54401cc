// Wine's lock on a prefix, and the check that no server of it runs.
#include "platform/linux/WineServer.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/SystemError.h"
#include "platform/linux/FolderFile.h"
#include "platform/linux/Host.h"

namespace os::host {
namespace {

// The server name Debian's Wine keeps in <prefix>/wineserver, or "" when there is none.
std::string debianName(int prefixFd) {
  std::string name;
  if (!readRegularAt(prefixFd, "wineserver", name, 256)) return {};
  while (!name.empty() && (name.back() == '\n' || name.back() == '\r' || name.back() == ' '))
    name.pop_back();
  // One plain component of /tmp, nothing else.
  if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos ||
      name.find('\0') != std::string::npos) {
    return {};
  }
  return name;
}

// The server folder `folder` ("/tmp/<name>/server-<dev>-<inode>") opened when it and the folder
// holding it are folders of this user reached through no link; -1 otherwise.
int openServerFolder(const std::string& folder) {
  const std::size_t server = folder.rfind('/');
  const std::size_t name = folder.rfind('/', server - 1);
  int fd = ::open(folder.substr(0, name).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  for (const std::string& part : {folder.substr(name + 1, server - name - 1), folder.substr(server + 1)}) {
    if (fd < 0) return -1;
    const int next = ::openat(fd, part.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    ::close(fd);
    fd = next;
    struct stat st {};
    if (fd >= 0 && (::fstat(fd, &st) != 0 || st.st_uid != ::getuid())) {
      ::close(fd);
      fd = -1;
    }
  }
  return fd;
}

[[noreturn]] void refuse(const std::string& prefix, const std::string& who) {
  throw SystemError(error::SharingViolation,
                    "Registre du préfixe " + prefix + " non modifié : " + who +
                        " ; fermez les programmes Windows de ce préfixe ou lancez « wineserver -k »");
}

// The errno of openRegularAt for something that is not a regular file.
bool notAFile(int err) { return err == ELOOP || err == EISDIR || err == ENXIO; }

// A lock of Wine's that is not a regular file cannot be taken: nothing is changed.
[[noreturn]] void refuseLock(const std::string& prefix, const std::string& lock, int err) {
  throw SystemError(error::SharingViolation, "Registre du préfixe " + prefix +
                                                 " non modifié : verrou de Wine inutilisable : " +
                                                 lock + " : " + errnoText(err));
}

// The process holding a lock that conflicts with a write lock on `fd`, or 0.
pid_t lockHolder(int fd) {
  struct flock fl {};
  fl.l_type = F_WRLCK;
  fl.l_whence = SEEK_SET;
  if (::fcntl(fd, F_OFD_GETLK, &fl) != 0 || fl.l_type == F_UNLCK) return 0;
  return fl.l_pid > 0 ? fl.l_pid : -1;
}

// Takes a write lock on the whole of `fd` (a lock of the open file, never of this process as a
// whole: closing another descriptor of the same file keeps it). False when another holds one.
bool lockWhole(int fd) {
  struct flock fl {};
  fl.l_type = F_WRLCK;
  fl.l_whence = SEEK_SET;
  return ::fcntl(fd, F_OFD_SETLK, &fl) == 0;
}

std::string processText(pid_t pid) {
  return pid > 0 ? "processus " + std::to_string(pid) : "processus inconnu";
}

// The process of a server answering on the socket `name` of the server folder `folderFd`
// (`path` is its full path), or 0 when none answers.
pid_t answeringServer(int folderFd, const std::string& path) {
  struct stat st {};
  if (::fstatat(folderFd, "socket", &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISSOCK(st.st_mode)) {
    return 0;  // no socket there (a link is never followed to one elsewhere)
  }
  sockaddr_un addr{};
  if (path.size() >= sizeof addr.sun_path) return 0;
  addr.sun_family = AF_UNIX;
  std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
  const int s = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (s < 0) return 0;
  pid_t pid = 0;
  if (::connect(s, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0 ||
      errno == EAGAIN || errno == EINPROGRESS) {
    ucred cred{};
    socklen_t len = sizeof cred;
    pid = ::getsockopt(s, SOL_SOCKET, SO_PEERCRED, &cred, &len) == 0 && cred.pid > 0 ? cred.pid
                                                                                     : -1;
  }
  ::close(s);
  return pid;
}

}  // namespace

std::vector<std::string> wineServerFolders(int prefixFd) {
  std::vector<std::string> folders;
  struct stat st {};
  if (::fstat(prefixFd, &st) != 0) return folders;
  char server[64];
  std::snprintf(server, sizeof server, "/server-%llx-%llx",
                static_cast<unsigned long long>(st.st_dev),
                static_cast<unsigned long long>(st.st_ino));
  folders.push_back("/tmp/.wine-" + std::to_string(::getuid()) + server);
  if (const std::string name = debianName(prefixFd); !name.empty()) {
    folders.push_back("/tmp/" + name + server);
  }
  return folders;
}

pid_t runningWineServer(int prefixFd) {
  for (const std::string& folder : wineServerFolders(prefixFd)) {
    const int dir = openServerFolder(folder);
    if (dir < 0) continue;
    pid_t pid = 0;
    if (const int fd = openRegularAt(dir, "lock", O_RDONLY); fd >= 0) {
      pid = lockHolder(fd);
      ::close(fd);
    }
    if (pid == 0) pid = answeringServer(dir, folder + "/socket");
    ::close(dir);
    if (pid != 0) return pid;
  }
  return 0;
}

WineLock::WineLock(int prefixFd, const std::string& prefix) {
  try {
    for (const std::string& folder : wineServerFolders(prefixFd)) {
      const int dir = openServerFolder(folder);
      if (dir < 0) continue;  // no server ever ran there (or not one of ours)
      held_.push_back(dir);
      const int fd = openRegularAt(dir, "lock", O_RDWR | O_CREAT, 0600);
      if (fd < 0 && notAFile(errno)) refuseLock(prefix, folder + "/lock", errno);
      if (fd < 0) continue;
      held_.push_back(fd);
      if (!lockWhole(fd)) {
        refuse(prefix, "Wine l'utilise (wineserver, " + processText(lockHolder(fd)) + ")");
      }
      if (const pid_t pid = answeringServer(dir, folder + "/socket"); pid != 0) {
        refuse(prefix, "Wine l'utilise (wineserver, " + processText(pid) + ")");
      }
    }
    // Proton: pfx.lock beside pfx/ while it sets the prefix up (a record lock or a flock).
    std::string base = prefix;
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    const std::string protonLock = base + ".lock";
    if (const int fd = openRegularAt(AT_FDCWD, protonLock.c_str(), O_RDWR); fd >= 0) {
      held_.push_back(fd);
      const bool recordFree = lockWhole(fd);
      const pid_t holder = recordFree ? 0 : lockHolder(fd);
      if (!recordFree || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        refuse(prefix, "Proton le prépare (pfx.lock tenu par le " + processText(holder) + ")");
      }
    } else if (notAFile(errno)) {
      refuseLock(prefix, protonLock, errno);
    }
  } catch (...) {
    release();
    throw;
  }
}

WineLock::~WineLock() { release(); }

void WineLock::release() noexcept {
  for (int fd : held_) ::close(fd);  // closing drops both kinds of lock
  held_.clear();
}

}  // namespace os::host
