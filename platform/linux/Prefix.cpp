// The prefix folder and the profile inside it.
#include "platform/Prefix.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/PrefixCheck.h"
#include "platform/SystemError.h"
#include "platform/linux/Host.h"

namespace os {
namespace {

struct PrefixState {
  std::mutex mutex;
  std::filesystem::path prefix;  // empty until first use or setPrefixFolder
  std::string driveRoot;         // "<prefix>/drive_c" once the profile is known to exist
  int driveFd = -1;              // drive_c opened O_PATH, once the profile is known to exist
  bool ensured = false;
  bool asItStands = false;       // useExistingPrefix: nothing is created in it
};

PrefixState& state() {
  static PrefixState s;
  return s;
}

std::filesystem::path defaultPrefix() {
  if (const char* p = std::getenv("TIDORA_PREFIX"); p != nullptr && *p != '\0') {
    return std::filesystem::absolute(p);
  }
  // XDG: a relative $XDG_DATA_HOME is invalid and must be ignored.
  if (const char* x = std::getenv("XDG_DATA_HOME"); x != nullptr && x[0] == '/') {
    return std::filesystem::path(x) / "tidora";
  }
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] != '/') {
    const passwd* pw = getpwuid(getuid());
    home = (pw != nullptr && pw->pw_dir != nullptr && pw->pw_dir[0] == '/') ? pw->pw_dir : nullptr;
  }
  if (home == nullptr) {
    throw SystemError(error::PathNotFound,
                      "Aucun dossier pour le profil : définissez TIDORA_PREFIX");
  }
  return std::filesystem::path(home) / ".local/share/tidora";
}

[[noreturn]] void notAPrefix(const std::string& prefix, const std::string& why) {
  throw SystemError(error::PathNotFound,
                    "Le dossier " + prefix + " n'est pas un préfixe Wine : " + why);
}

// The checks of a prefix used as it stands: a real folder drive_c and a regular file user.reg.
void checkExisting(const std::string& prefix) {
  const int fd = open(prefix.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    const int err = errno;
    if (err == ENOENT) notAPrefix(prefix, "il n'existe pas");
    throw SystemError(host::errorCode(err),
                      "Ne peut ouvrir le préfixe " + prefix + " : " + host::errnoText(err));
  }
  struct stat drive {}, hive {};
  const bool driveOk = fstatat(fd, "drive_c", &drive, AT_SYMLINK_NOFOLLOW) == 0 &&
                       S_ISDIR(drive.st_mode);
  const bool hiveOk = fstatat(fd, "user.reg", &hive, AT_SYMLINK_NOFOLLOW) == 0 &&
                      S_ISREG(hive.st_mode);
  close(fd);
  if (!driveOk) notAPrefix(prefix, "il n'a pas de vrai dossier drive_c (le lecteur C)");
  if (!hiveOk) notAPrefix(prefix, "il n'a pas de fichier user.reg (le registre de l'utilisateur)");
}

// Caller holds the mutex.
bool ensureLocked(PrefixState& s) {
  if (s.ensured) return false;
  if (s.prefix.empty()) s.prefix = defaultPrefix();
  std::string prefix = s.prefix.lexically_normal().string();
  while (prefix.size() > 1 && prefix.back() == '/') prefix.pop_back();
  checkPrefixFolder(prefix);  // nothing is created in a folder that is not a prefix
  bool created = false;
  if (s.asItStands) {
    checkExisting(prefix);
  } else {
    created = host::createFreshProfile(prefix);
  }
  const std::string root = prefix == "/" ? "/drive_c" : prefix + "/drive_c";
  const int fd = open(root.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    const int err = errno;  // before building the message, which may allocate
    throw SystemError(host::errorCode(err),
                      "Ne peut ouvrir le lecteur C " + root + " : " + host::errnoText(err));
  }
  if (s.driveFd >= 0) close(s.driveFd);
  s.driveFd = fd;
  s.driveRoot = root;
  s.ensured = true;
  return created;
}

// The folder of the ensured profile.
std::string ensuredPrefix(const PrefixState& s) {
  constexpr std::size_t kDrive = sizeof "/drive_c" - 1;
  const std::string prefix = s.driveRoot.substr(0, s.driveRoot.size() - kDrive);
  return prefix.empty() ? "/" : prefix;
}

}  // namespace

std::filesystem::path prefixFolder() {
  PrefixState& s = state();
  std::lock_guard lock(s.mutex);
  if (s.prefix.empty()) s.prefix = defaultPrefix();
  return s.prefix;
}

void setPrefixFolder(const std::filesystem::path& folder) {
  PrefixState& s = state();
  std::lock_guard lock(s.mutex);
  s.prefix = std::filesystem::absolute(folder);
  s.driveRoot.clear();
  if (s.driveFd >= 0) close(s.driveFd);
  s.driveFd = -1;
  s.ensured = false;
  s.asItStands = false;
}

void useExistingPrefix(const std::filesystem::path& folder) {
  setPrefixFolder(folder);
  PrefixState& s = state();
  std::lock_guard lock(s.mutex);
  s.asItStands = true;
  ensureLocked(s);
}

bool ensureProfile() {
  PrefixState& s = state();
  std::lock_guard lock(s.mutex);
  return ensureLocked(s);
}

bool freshProfilePending() {
  PrefixState& s = state();
  std::lock_guard lock(s.mutex);
  ensureLocked(s);
  return host::firstStartPending(ensuredPrefix(s));
}

void finishFreshProfile() {
  PrefixState& s = state();
  std::lock_guard lock(s.mutex);
  ensureLocked(s);
  const std::string marker = host::pendingMarker(ensuredPrefix(s));
  if (unlink(marker.c_str()) != 0 && errno != ENOENT) {
    const int err = errno;
    throw SystemError(host::errorCode(err),
                      "Ne peut terminer le profil " + marker + " : " + host::errnoText(err));
  }
}

std::optional<std::filesystem::path> hostPath(std::string_view windowsPath) {
  host::Resolved r = host::resolve(windowsPath);
  if (!r.valid) return std::nullopt;
  return std::filesystem::path(std::move(r.path));
}

namespace host {

const std::string& driveRoot() {
  PrefixState& s = state();
  std::lock_guard lock(s.mutex);
  ensureLocked(s);
  return s.driveRoot;
}

int driveRootFd() {
  PrefixState& s = state();
  std::lock_guard lock(s.mutex);
  ensureLocked(s);
  return s.driveFd;
}

}  // namespace host
}  // namespace os
