// Which process uses a prefix: Wine's server and Proton through their locks and socket, every
// process of the user through what /proc tells of it (it sees into Flatpak sandboxes, whose /tmp
// the locks hide in).
#include "platform/PrefixUse.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <unordered_map>

#include "platform/SystemError.h"
#include "platform/linux/FolderFile.h"
#include "platform/linux/Listing.h"
#include "platform/linux/WineServer.h"

namespace os {
namespace {

// A prefix folder as processes are compared with it.
struct Root {
  std::string path;  // every link resolved
  dev_t dev = 0;
  ino_t ino = 0;
};

std::optional<Root> rootOf(const std::filesystem::path& prefix) {
  char* resolved = ::realpath(prefix.c_str(), nullptr);
  if (resolved == nullptr) return std::nullopt;  // no such folder
  Root root{resolved};
  std::free(resolved);
  struct stat st {};
  if (::stat(root.path.c_str(), &st) != 0) return std::nullopt;
  root.dev = st.st_dev;
  root.ino = st.st_ino;
  return root;
}

// `path` is `root` or lies below it.
bool within(std::string_view path, std::string_view root) {
  if (root == "/") return !path.empty() && path[0] == '/';
  return path.starts_with(root) && (path.size() == root.size() || path[root.size()] == '/');
}

// The target of the link `name` of `dirFd`, however long; nothing with errno set when it cannot
// be read (/proc gives ENAMETOOLONG for a path over 4,095 bytes).
std::optional<std::string> linkAt(int dirFd, const char* name) {
  std::string target(256, '\0');
  for (;;) {
    const ssize_t n = ::readlinkat(dirFd, name, target.data(), target.size());
    if (n < 0) return std::nullopt;
    if (static_cast<std::size_t>(n) < target.size()) {
      target.resize(static_cast<std::size_t>(n));
      return target;
    }
    target.resize(target.size() * 2);
  }
}

// Calls `each(record)` for every record of the file `name` of `dirFd`, each ended by `end` (the
// last one may not be); reads in blocks whatever the file's size, keeping at most one record
// besides the block. `each` returns false to stop. False when the file cannot be opened.
template <typename Each>
bool forEachRecord(int dirFd, const char* name, char end, Each&& each) {
  const host::Descriptor file(::openat(dirFd, name, O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
  if (file.fd < 0) return false;
  constexpr std::size_t kBlock = 64 * 1024;
  const std::unique_ptr<char[]> block(new char[kBlock]);
  std::string carried;
  for (;;) {
    const ssize_t n = ::read(file.fd, block.get(), kBlock);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    const std::string_view data(block.get(), static_cast<std::size_t>(n));
    for (std::size_t at = 0; at < data.size();) {
      const std::size_t stop = data.find(end, at);
      if (stop == std::string_view::npos) {
        carried.append(data.substr(at));
        break;
      }
      bool more;
      if (carried.empty()) {
        more = each(data.substr(at, stop - at));
      } else {
        carried.append(data.substr(at, stop - at));
        more = each(std::string_view(carried));
        carried.clear();
      }
      if (!more) return true;
      at = stop + 1;
    }
  }
  if (!carried.empty()) each(std::string_view(carried));
  return true;
}

// `path` with every link resolved (as written, made normal, when it does not exist); nothing
// for an empty or relative path, which names no folder.
std::optional<std::string> absoluteName(std::string_view path) {
  if (path.empty() || path[0] != '/') return std::nullopt;
  const std::string full(path);
  if (char* resolved = ::realpath(full.c_str(), nullptr)) {
    std::string name = resolved;
    std::free(resolved);
    return name;
  }
  std::string normal = std::filesystem::path(full).lexically_normal().string();
  while (normal.size() > 1 && normal.back() == '/') normal.pop_back();
  return normal;
}

std::string lowered(std::string_view text) {
  std::string low(text);
  for (char& c : low) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return low;
}

// A Wine loader, preloader or server, by the file name of the executable.
bool isWineProgram(std::string_view path) {
  static constexpr std::array<std::string_view, 7> kNames = {
      "wine",       "wine64",       "wine-preloader", "wine64-preloader",
      "wineserver", "wineserver32", "wineserver64"};
  const std::string_view name = path.substr(path.rfind('/') + 1);
  return std::find(kNames.begin(), kNames.end(), name) != kNames.end();
}

// Wine's ntdll (ntdll.so of its Unix side, ntdll.dll of its Windows side) in a tree of Wine's or
// Proton's: a folder on the way whose name holds "wine" or "proton".
bool isWineNtdll(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) return false;
  const std::string name = lowered(path.substr(slash + 1));
  if (name != "ntdll.so" && name != "ntdll.dll") return false;
  const std::string folders = lowered(path.substr(0, slash));
  return folders.find("wine") != std::string::npos || folders.find("proton") != std::string::npos;
}

// What one look finds of one process against the prefixes looked for.
class Examen {
 public:
  Examen(const std::vector<const Root*>& roots, std::vector<char>& uses)
      : roots_(roots), uses_(uses) {
    uses_.assign(roots.size(), 0);
  }

  // `pid`, whose /proc entry is `dir`. For a process that started this one (`ancestor`), only
  // what it holds open or runs: its working folder and its environment are where this program
  // was started from.
  void examine(int dir, bool ancestor) {
    const std::optional<std::string> exe = seeLink(dir, "exe");
    wine_ = exe && isWineProgram(*exe);
    if (!ancestor) seeLink(dir, "cwd");
    if (const host::Descriptor fds(::openat(dir, "fd", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        fds.fd >= 0) {
      host::forEachName(fds.fd, [&](std::string_view name, unsigned char) {
        seeLink(fds.fd, std::string(name).c_str());
        return left_ > 0;
      });
    }
    if (left_ == 0) return;
    // The mapped files: "<range> <perms> <offset> <dev> <inode>   /path", a file's regions on
    // lines in a row.
    std::string last;
    forEachRecord(dir, "maps", '\n', [&](std::string_view line) {
      const std::size_t slash = line.find('/');
      if (slash == std::string_view::npos) return true;
      const std::string_view path = line.substr(slash);
      if (path == last) return true;
      last.assign(path);
      see(path);
      if (!wine_ && (isWineNtdll(path) || isWineProgram(path))) wine_ = true;
      return left_ > 0;
    });
    if (wine_ && !ancestor && left_ > 0) environment(dir);
  }

 private:
  void mark(std::size_t i) {
    if (uses_[i] == 0) {
      uses_[i] = 1;
      --left_;
    }
  }

  void see(std::string_view path) {
    for (std::size_t i = 0; i < roots_.size(); ++i) {
      if (within(path, roots_[i]->path)) mark(i);
    }
  }

  // Sees the target of the link `name` of `dirFd` and gives it, or nothing when the system does
  // not print it.
  std::optional<std::string> seeLink(int dirFd, const char* name) {
    std::optional<std::string> path = linkAt(dirFd, name);
    if (path) {
      if (!path->empty() && (*path)[0] == '/') see(*path);  // not a pipe, a socket...
    } else if (errno == ENAMETOOLONG) {
      seeUnnamed(dirFd, name);
    }
    return path;
  }

  // What the link `name` of `dirFd` leads to when its path is too long to be printed: a folder
  // lies in a prefix when the prefix folder is among its parents; a file, when it is on the
  // prefix folder's file system.
  void seeUnnamed(int dirFd, const char* name) {
    struct stat st {};
    if (::fstatat(dirFd, name, &st, 0) != 0) return;
    if (!S_ISDIR(st.st_mode)) {
      for (std::size_t i = 0; i < roots_.size(); ++i) {
        if (st.st_dev == roots_[i]->dev) mark(i);
      }
      return;
    }
    int fd = ::openat(dirFd, name, O_PATH | O_DIRECTORY | O_CLOEXEC);
    for (int steps = 0; fd >= 0 && steps < 65536 && left_ > 0; ++steps) {
      if (::fstat(fd, &st) != 0) break;
      for (std::size_t i = 0; i < roots_.size(); ++i) {
        if (st.st_dev == roots_[i]->dev && st.st_ino == roots_[i]->ino) mark(i);
      }
      const int up = ::openat(fd, "..", O_PATH | O_DIRECTORY | O_CLOEXEC);
      struct stat above {};
      const bool top = up < 0 || ::fstat(up, &above) != 0 ||
                       (above.st_dev == st.st_dev && above.st_ino == st.st_ino);
      ::close(fd);
      fd = up;
      if (top) break;
    }
    if (fd >= 0) ::close(fd);
  }

  // The prefixes a Wine process works in, as its environment names them (the first value of a
  // variable counts, as for getenv).
  void environment(int dir) {
    std::optional<std::string> prefix, compat, home;
    forEachRecord(dir, "environ", '\0', [&](std::string_view entry) {
      if (!prefix && entry.starts_with("WINEPREFIX=")) {
        prefix = std::string(entry.substr(11));
      } else if (!compat && entry.starts_with("STEAM_COMPAT_DATA_PATH=")) {
        compat = std::string(entry.substr(23));
      } else if (!home && entry.starts_with("HOME=")) {
        home = std::string(entry.substr(5));
      }
      return true;
    });
    std::vector<std::optional<std::string>> names;
    if (prefix) {
      names.push_back(absoluteName(*prefix));
    } else if (home && !home->empty() && (*home)[0] == '/') {
      names.push_back(absoluteName(*home + "/.wine"));
    }
    if (compat && !compat->empty()) names.push_back(absoluteName(*compat + "/pfx"));
    for (const std::optional<std::string>& name : names) {
      if (name) see(*name);
    }
  }

  const std::vector<const Root*>& roots_;
  std::vector<char>& uses_;
  std::size_t left_ = roots_.size();
  bool wine_ = false;
};

// What /proc/<pid>/stat tells of a process.
struct Identity {
  std::string program;      // its name (comm)
  long parent = 0;          // ppid
  std::uint64_t start = 0;  // its start, in clock ticks since boot
};

std::optional<Identity> identityOf(int procFd, const std::string& pid) {
  const host::Descriptor file(::openat(procFd, (pid + "/stat").c_str(), O_RDONLY | O_CLOEXEC));
  if (file.fd < 0) return std::nullopt;
  char text[1024];
  ssize_t n;
  do {
    n = ::read(file.fd, text, sizeof text - 1);
  } while (n < 0 && errno == EINTR);
  if (n <= 0) return std::nullopt;
  const std::string_view line(text, static_cast<std::size_t>(n));
  // "<pid> (<name>) <state> <ppid> ... <start, 22nd>": the name may hold spaces and ')'.
  const std::size_t open = line.find('('), close = line.rfind(')');
  if (open == std::string_view::npos || close == std::string_view::npos || close < open) {
    return std::nullopt;
  }
  Identity id;
  id.program = std::string(line.substr(open + 1, close - open - 1));
  std::size_t at = close + 2;
  for (int field = 3; field <= 22 && at < line.size(); ++field) {
    std::size_t end = line.find(' ', at);
    if (end == std::string_view::npos) end = line.size();
    const std::string value(line.substr(at, end - at));
    if (field == 4) id.parent = std::strtol(value.c_str(), nullptr, 10);
    if (field == 22) id.start = std::strtoull(value.c_str(), nullptr, 10);
    at = end + 1;
  }
  return id;
}

// The processes that started this one, its parent first.
std::vector<long> ancestors() {
  std::vector<long> chain;
  const host::Descriptor proc(::open("/proc", O_PATH | O_DIRECTORY | O_CLOEXEC));
  long pid = ::getpid();
  while (proc.fd >= 0 && chain.size() < 4096) {
    const std::optional<Identity> id = identityOf(proc.fd, std::to_string(pid));
    if (!id || id->parent <= 1) break;
    pid = id->parent;
    chain.push_back(pid);
  }
  return chain;
}

// Now, in the clock ticks of a process's start.
std::uint64_t ticksNow() {
  timespec now{};
  ::clock_gettime(CLOCK_BOOTTIME, &now);
  const auto hertz = static_cast<std::uint64_t>(::sysconf(_SC_CLK_TCK));
  return static_cast<std::uint64_t>(now.tv_sec) * hertz +
         static_cast<std::uint64_t>(now.tv_nsec) * hertz / 1000000000u;
}

// Calls `each(pid, entry)` for every process /proc lists, in its order, with the inode of its
// entry there: a pid used again by another process comes with another entry. `each` returns
// false to stop.
template <typename Each>
void forEachProcess(int procFd, Each&& each) {
  alignas(dirent64) char buffer[32 * 1024];
  for (;;) {
    const long n = host::readEntries(procFd, buffer, sizeof buffer);
    if (n <= 0) return;
    for (long offset = 0; offset < n;) {
      const auto* e = reinterpret_cast<const dirent64*>(buffer + offset);
      offset += e->d_reclen;
      char* end = nullptr;
      const long pid = std::strtol(e->d_name, &end, 10);
      if (end == e->d_name || *end != '\0' || pid <= 0 || pid > INT_MAX) continue;
      if (!each(static_cast<int>(pid), static_cast<ino_t>(e->d_ino))) return;
    }
  }
}

// A process a look told nothing of: examined and using none of the prefixes, another user's,
// or one that may not be read.
struct Seen {
  ino_t entry = 0;        // the inode of its /proc entry
  bool starting = false;  // it had just started: what it will use may not show yet
  unsigned look = 0;      // the last look that listed it
};
struct SeenProcesses {
  std::unordered_map<int, Seen> byPid;
  unsigned look = 0;
};

// A process that started less than this many ticks before a look is examined again next time:
// between fork and exec, or before its loader has mapped anything, it shows little.
constexpr std::uint64_t kStartingTicks = 200;  // two seconds at the usual 100 Hz

// One look over the processes of this user but this one, in the order /proc lists them:
// `users[i]` gets the first one using `roots[i]`. With `seen`, the processes it holds (same pid,
// same entry) and no longer starting are passed over without reading anything of them, and it
// becomes what this look told nothing of.
void lookOver(const std::vector<const Root*>& roots, const std::vector<long>& parents,
              SeenProcesses* seen, std::vector<std::optional<PrefixUser>>& users) {
  const host::Descriptor proc(::open("/proc", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (proc.fd < 0) return;
  const uid_t uid = ::getuid();
  const pid_t self = ::getpid();
  const std::uint64_t now = ticksNow();
  const unsigned look = seen != nullptr ? ++seen->look : 0;
  std::size_t left = 0;
  for (const std::optional<PrefixUser>& u : users) left += u ? 0 : 1;
  std::vector<char> uses;
  bool whole = true;
  forEachProcess(proc.fd, [&](int pid, ino_t entry) {
    if (pid == self) return true;
    if (seen != nullptr) {
      const auto before = seen->byPid.find(pid);
      if (before != seen->byPid.end() && before->second.entry == entry &&
          !before->second.starting) {
        before->second.look = look;
        return true;
      }
    }
    const std::string name = std::to_string(pid);
    std::optional<Identity> id = identityOf(proc.fd, name);
    if (!id) return true;  // gone
    // Another user's process, or one of this user's that may not be read (its entries then
    // belong to root), is told nothing of.
    struct stat st {};
    const host::Descriptor dir(::openat(proc.fd, name.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    bool user = false;
    if (dir.fd >= 0 && ::fstat(dir.fd, &st) == 0 && st.st_uid == uid) {
      Examen(roots, uses)
          .examine(dir.fd, std::find(parents.begin(), parents.end(), pid) != parents.end());
      for (std::size_t i = 0; i < roots.size(); ++i) {
        if (uses[i] == 0) continue;
        user = true;
        if (!users[i]) {
          users[i] = PrefixUser{id->program, pid};
          --left;
        }
      }
    }
    if (seen != nullptr) {
      if (user) {
        seen->byPid.erase(pid);  // not remembered: the next look finds it again
      } else {
        seen->byPid[pid] = Seen{entry, now < id->start + kStartingTicks, look};
      }
    }
    whole = left > 0;
    return whole;
  });
  if (seen != nullptr && whole) {
    std::erase_if(seen->byPid, [look](const auto& p) { return p.second.look != look; });
  }
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

std::string programOf(int pid, const char* otherwise) {
  const host::Descriptor proc(::open("/proc", O_PATH | O_DIRECTORY | O_CLOEXEC));
  const std::optional<Identity> id =
      proc.fd >= 0 ? identityOf(proc.fd, std::to_string(pid)) : std::nullopt;
  return id && !id->program.empty() ? id->program : otherwise;
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

[[noreturn]] void refuse(const std::filesystem::path& prefix, const PrefixUser& user) {
  const std::string process =
      user.pid > 0 ? "processus " + std::to_string(user.pid) : "processus inconnu";
  throw SystemError(error::SharingViolation,
                    "Le préfixe " + prefix.string() + " est utilisé par " + user.program + " (" +
                        process +
                        ") : rien n'y a été effacé ; fermez ce programme, puis "
                        "recommencez");
}

}  // namespace

std::vector<std::optional<PrefixUser>> prefixUsers(
    const std::vector<std::filesystem::path>& prefixes) {
  std::vector<std::optional<PrefixUser>> users(prefixes.size());
  std::vector<std::optional<Root>> roots(prefixes.size());
  std::vector<const Root*> looked;
  std::vector<std::size_t> which;
  for (std::size_t i = 0; i < prefixes.size(); ++i) {
    roots[i] = rootOf(prefixes[i]);
    if (!roots[i]) continue;
    users[i] = serverOf(prefixes[i].string());
    if (users[i]) continue;
    looked.push_back(&*roots[i]);
    which.push_back(i);
  }
  if (looked.empty()) return users;
  std::vector<std::optional<PrefixUser>> found(looked.size());
  lookOver(looked, ancestors(), nullptr, found);
  for (std::size_t k = 0; k < which.size(); ++k) users[which[k]] = std::move(found[k]);
  return users;
}

std::optional<PrefixUser> prefixUser(const std::filesystem::path& prefix) {
  return prefixUsers({prefix}).front();
}

void checkPrefixFree(const std::filesystem::path& prefix) {
  if (const std::optional<PrefixUser> user = prefixUser(prefix)) refuse(prefix, *user);
}

struct PrefixWatch::State {
  std::filesystem::path prefix;
  bool started = false;
  std::optional<Root> root;   // once the folder is found
  std::vector<long> parents;  // the processes that started this one
  SeenProcesses seen;         // what the previous look saw

  std::optional<PrefixUser> look() {
    if (!root) root = rootOf(prefix);
    if (!root) return std::nullopt;
    if (std::optional<PrefixUser> server = serverOf(prefix.string())) return server;
    std::vector<std::optional<PrefixUser>> users(1);
    lookOver({&*root}, parents, &seen, users);
    return users.front();
  }
  void restart() {
    started = false;
    root.reset();
    seen = {};
    parents = ancestors();
  }
};

PrefixWatch::PrefixWatch(std::filesystem::path prefix) : state_(std::make_unique<State>()) {
  state_->prefix = std::move(prefix);
}
PrefixWatch::~PrefixWatch() = default;
PrefixWatch::PrefixWatch(PrefixWatch&&) noexcept = default;
PrefixWatch& PrefixWatch::operator=(PrefixWatch&&) noexcept = default;

void PrefixWatch::start() {
  state_->restart();
  if (const std::optional<PrefixUser> user = state_->look()) refuse(state_->prefix, *user);
  state_->started = true;
}

std::optional<PrefixUser> PrefixWatch::recheck() {
  if (!state_->started) {
    state_->restart();
    state_->started = true;
  }
  return state_->look();
}

}  // namespace os
