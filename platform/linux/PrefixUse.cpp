// Which process uses a prefix: Wine's server and Proton through their locks and socket, any
// other process of the user through what /proc tells of it (it sees into Flatpak sandboxes,
// whose /tmp the locks hide in).
#include "platform/PrefixUse.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "platform/SystemError.h"
#include "platform/linux/FolderFile.h"
#include "platform/linux/Listing.h"
#include "platform/linux/WineServer.h"

namespace os {
namespace {

// What one process of the user works in.
struct Process {
  int pid = 0;
  std::vector<std::string> files;    // working folder, executable, open and mapped files
  std::vector<std::string> prefixes;  // WINEPREFIX
  std::vector<std::string> compat;    // STEAM_COMPAT_DATA_PATH
};

// A file of /proc, at most `limit` bytes; empty when it cannot be read.
std::string readProc(const std::string& path, std::size_t limit) {
  std::string text;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0) return text;
  char buffer[16384];
  while (text.size() < limit) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    text.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return text;
}

std::string linkAt(int dirFd, const char* name) {
  char target[PATH_MAX];
  const ssize_t n = ::readlinkat(dirFd, name, target, sizeof target);
  return n > 0 && static_cast<std::size_t>(n) < sizeof target
             ? std::string(target, static_cast<std::size_t>(n))
             : std::string();
}

std::string programOf(int pid, const char* otherwise) {
  std::string name = readProc("/proc/" + std::to_string(pid) + "/comm", 256);
  while (!name.empty() && (name.back() == '\n' || name.back() == '\0')) name.pop_back();
  return name.empty() ? otherwise : name;
}

// `path` with every link resolved; relative to `cwd` when not absolute. As written when it does
// not exist.
std::string canonical(std::string_view path, const std::string& cwd) {
  std::string full(path);
  if (full.empty()) return full;
  if (full[0] != '/') {
    if (cwd.empty()) return {};
    full = cwd + "/" + full;
  }
  char resolved[PATH_MAX];
  if (::realpath(full.c_str(), resolved) != nullptr) return resolved;
  std::string normal = std::filesystem::path(full).lexically_normal().string();
  while (normal.size() > 1 && normal.back() == '/') normal.pop_back();
  return normal;
}

// The absolute paths in a process's mappings ("... 08:01 1234   /usr/lib/x.so"), each once.
void addMappedFiles(const std::string& maps, std::vector<std::string>& files) {
  std::string_view last;
  std::size_t start = 0;
  while (start < maps.size()) {
    std::size_t end = maps.find('\n', start);
    if (end == std::string::npos) end = maps.size();
    const std::string_view line(maps.data() + start, end - start);
    start = end + 1;
    const std::size_t slash = line.find('/');
    if (slash == std::string_view::npos) continue;
    const std::string_view path = line.substr(slash);
    if (path == last) continue;
    last = path;
    files.emplace_back(path);
  }
}

// What `pid` works in. For a process that started this one (`ancestor`), only what it holds open
// or runs: its working folder and its environment are where this program was started from.
Process lookAt(int pid, bool ancestor) {
  Process p;
  p.pid = pid;
  const std::string base = "/proc/" + std::to_string(pid);
  const int dir = ::open(base.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) return p;
  const std::string cwd = linkAt(dir, "cwd");
  for (std::string path : {ancestor ? std::string() : cwd, linkAt(dir, "exe")}) {
    if (!path.empty() && path[0] == '/') p.files.push_back(std::move(path));
  }
  if (const host::Descriptor fds(::openat(dir, "fd", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
      fds.fd >= 0) {
    host::forEachName(fds.fd, [&](std::string_view name, unsigned char) {
      std::string path = linkAt(fds.fd, std::string(name).c_str());
      if (!path.empty() && path[0] == '/') p.files.push_back(std::move(path));
      return true;
    });
  }
  ::close(dir);
  addMappedFiles(readProc(base + "/maps", 8 << 20), p.files);
  if (ancestor) return p;
  const std::string environ = readProc(base + "/environ", 4 << 20);
  for (std::size_t at = 0; at < environ.size();) {
    std::size_t end = environ.find('\0', at);
    if (end == std::string::npos) end = environ.size();
    const std::string_view entry(environ.data() + at, end - at);
    at = end + 1;
    if (entry.starts_with("WINEPREFIX=")) {
      p.prefixes.push_back(canonical(entry.substr(11), cwd));
    } else if (entry.starts_with("STEAM_COMPAT_DATA_PATH=")) {
      p.compat.push_back(canonical(entry.substr(23), cwd));
    }
  }
  return p;
}

// The processes that started this one, its parent first.
std::vector<long> ancestors() {
  std::vector<long> chain{static_cast<long>(::getpid())};
  while (chain.size() < 4096) {
    const std::string status = readProc("/proc/" + std::to_string(chain.back()) + "/status", 4096);
    const std::size_t at = status.find("\nPPid:");
    const long parent = at == std::string::npos ? 0 : std::strtol(status.c_str() + at + 6, nullptr, 10);
    if (parent <= 1) break;
    chain.push_back(parent);
  }
  chain.erase(chain.begin());
  return chain;
}

// Every process of this user but this one, in the order /proc lists them.
std::vector<Process> userProcesses() {
  std::vector<Process> list;
  const host::Descriptor proc(::open("/proc", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (proc.fd < 0) return list;
  const uid_t uid = ::getuid();
  const pid_t self = ::getpid();
  const std::vector<long> parents = ancestors();
  host::forEachName(proc.fd, [&](std::string_view entry, unsigned char) {
    const std::string name(entry);
    char* end = nullptr;
    const long pid = std::strtol(name.c_str(), &end, 10);
    if (end == name.c_str() || *end != '\0' || pid <= 0 || pid == self) return true;
    struct stat st {};
    if (::fstatat(proc.fd, name.c_str(), &st, 0) != 0 || st.st_uid != uid) return true;
    list.push_back(lookAt(static_cast<int>(pid),
                          std::find(parents.begin(), parents.end(), pid) != parents.end()));
    return true;
  });
  return list;
}

// `path` is `root` or lies below it.
bool within(std::string_view path, std::string_view root) {
  if (root == "/") return !path.empty() && path[0] == '/';
  return path.starts_with(root) && (path.size() == root.size() || path[root.size()] == '/');
}

bool uses(const Process& p, const std::string& root) {
  for (const std::string& f : p.files) {
    if (within(f, root)) return true;
  }
  for (const std::string& w : p.prefixes) {
    if (within(w, root)) return true;
  }
  // Proton's prefix is <STEAM_COMPAT_DATA_PATH>/pfx.
  for (const std::string& c : p.compat) {
    if (within(c, root) || within(root, c)) return true;
  }
  return false;
}

// The process holding a lock on `path` (Proton's pfx.lock) that a write lock would meet; 0 when
// the system does not say which (a lock of an open file), nothing when none is held.
std::optional<pid_t> lockHolderOf(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0) return std::nullopt;
  std::optional<pid_t> holder;
  struct flock probe {};
  probe.l_type = F_WRLCK;
  probe.l_whence = SEEK_SET;
  if (::fcntl(fd, F_OFD_GETLK, &probe) == 0 && probe.l_type != F_UNLCK) {
    holder = probe.l_pid > 0 ? probe.l_pid : 0;
  } else if (::flock(fd, LOCK_SH | LOCK_NB) != 0) {
    if (errno == EWOULDBLOCK) holder = 0;  // an exclusive flock
  } else {
    ::flock(fd, LOCK_UN);
  }
  ::close(fd);
  return holder;
}

PrefixUser userFrom(pid_t pid, const char* otherwise) {
  return pid > 0 ? PrefixUser{programOf(pid, otherwise), pid} : PrefixUser{otherwise, 0};
}

// Wine's server of the prefix (its lock, its socket) or Proton setting it up (pfx.lock).
std::optional<PrefixUser> serverOf(std::string prefix) {
  const host::Descriptor folder(::open(prefix.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.fd < 0) return std::nullopt;
  if (const pid_t server = host::runningWineServer(folder.fd); server != 0) {
    return userFrom(std::max<pid_t>(server, 0), "wineserver");
  }
  while (prefix.size() > 1 && prefix.back() == '/') prefix.pop_back();
  if (const std::optional<pid_t> holder = lockHolderOf(prefix + ".lock")) {
    return userFrom(*holder, "Proton");
  }
  return std::nullopt;
}

}  // namespace

std::vector<std::optional<PrefixUser>> prefixUsers(
    const std::vector<std::filesystem::path>& prefixes) {
  std::vector<std::optional<PrefixUser>> users(prefixes.size());
  std::vector<std::string> roots(prefixes.size());
  bool look = false;
  for (std::size_t i = 0; i < prefixes.size(); ++i) {
    char resolved[PATH_MAX];
    if (::realpath(prefixes[i].c_str(), resolved) == nullptr) continue;  // no such folder
    users[i] = serverOf(prefixes[i].string());
    if (!users[i]) {
      roots[i] = resolved;
      look = true;
    }
  }
  if (!look) return users;
  const std::vector<Process> processes = userProcesses();
  for (std::size_t i = 0; i < prefixes.size(); ++i) {
    if (roots[i].empty()) continue;
    for (const Process& p : processes) {
      if (uses(p, roots[i])) {
        users[i] = userFrom(p.pid, "programme inconnu");
        break;
      }
    }
  }
  return users;
}

std::optional<PrefixUser> prefixUser(const std::filesystem::path& prefix) {
  return prefixUsers({prefix}).front();
}

void checkPrefixFree(const std::filesystem::path& prefix) {
  const std::optional<PrefixUser> user = prefixUser(prefix);
  if (!user) return;
  const std::string process =
      user->pid > 0 ? "processus " + std::to_string(user->pid) : "processus inconnu";
  throw SystemError(error::SharingViolation,
                    "Le préfixe " + prefix.string() + " est utilisé par " + user->program + " (" +
                        process + ") : rien n'y a été effacé ; fermez ce programme, puis "
                                  "recommencez");
}

}  // namespace os
