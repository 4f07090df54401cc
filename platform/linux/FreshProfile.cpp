// The fresh user profile created on first use of a prefix. Every file of the prefix folder is
// opened by name in the folder, never through a link nor waiting on a FIFO; user.reg is written as
// every change of it is, under the hive's lock and Wine's.
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/SystemError.h"
#include "platform/linux/FolderFile.h"
#include "platform/linux/Hive.h"
#include "platform/linux/HiveFile.h"
#include "platform/linux/HiveText.h"
#include "platform/linux/Host.h"

namespace os::host {
namespace {

constexpr const char* kMarker = ".first-start";
// Kept for good in a prefix whose fresh profile this program made: runs there protect nothing.
constexpr const char* kOwnMark = ".tidora2000";

[[noreturn]] void failProfile(const std::string& what, int err) {
  throw SystemError(errorCode(err), "Ne peut créer le profil " + what + " : " + errnoText(err));
}

// Whether `name` exists in the folder `folderFd` (not following a link); throws when that
// cannot be told. `shown` names it in messages.
bool present(int folderFd, const char* name, const std::string& shown, struct stat& st) {
  if (::fstatat(folderFd, name, &st, AT_SYMLINK_NOFOLLOW) == 0) return true;
  if (errno != ENOENT) failProfile(shown, errno);
  return false;
}

// Whether the regular file `name` exists in `folderFd`; anything else there is refused.
bool regularPresent(int folderFd, const char* name, const std::string& shown) {
  struct stat st {};
  if (!present(folderFd, name, shown, st)) return false;
  if (!S_ISREG(st.st_mode)) failProfile(shown, S_ISLNK(st.st_mode) ? ELOOP : S_ISDIR(st.st_mode) ? EISDIR : ENXIO);
  return true;
}

// Creates the folders of `relative` ("a/b/c") below the folder `rootFd`, parents first, each in
// the one before it: never through a link. A link or a file on the way is left as it is, and
// nothing is created below it.
void makeFolders(int rootFd, const std::string& relative, const std::string& shown) {
  int fd = ::dup(rootFd);
  std::size_t start = 0;
  while (fd >= 0 && start < relative.size()) {
    std::size_t end = relative.find('/', start);
    if (end == std::string::npos) end = relative.size();
    const std::string name = relative.substr(start, end - start);
    if (::mkdirat(fd, name.c_str(), 0777) != 0 && errno != EEXIST) {
      const int err = errno;
      ::close(fd);
      failProfile(shown + "/" + relative, err);
    }
    const int next = ::openat(fd, name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    ::close(fd);
    fd = next;
    start = end + 1;
  }
  if (fd >= 0) ::close(fd);
}

// Folders of a fresh drive C, relative to drive_c, parents first.
std::vector<std::string> freshFolders(const std::string& login) {
  const std::string user = "users/" + login;
  const std::string local = user + "/AppData/Local/Microsoft/Windows";
  const std::string roaming = user + "/AppData/Roaming/Microsoft/Windows";
  return {"windows/temp",        "windows/SYSBCKUP",     local + "/INetCache",
          local + "/History",    local + "/INetCookies", roaming + "/Recent",
          "Program Files/Tidora 2000"};
}

// The file whose presence in the prefix means the first start's work is not done yet.
std::string pendingMarker(const std::string& prefix) {
  return prefix + "/" + kMarker;
}

// The "#arch=" line of the prefix's system.reg (a prefix Wine made), or "" when there is none:
// Wine refuses a user.reg whose architecture differs from the prefix's.
std::string archLine(int prefixFd) {
  std::string head;
  if (!readRegularAt(prefixFd, "system.reg", head, 512)) return {};
  const std::size_t at = head.find("\n#arch=");
  const std::size_t end = at == std::string::npos ? at : head.find('\n', at + 1);
  return end == std::string::npos ? std::string() : head.substr(at + 1, end - at - 1);
}

// The hive of a fresh profile, in Wine's format: the shell folders of the user.
std::string freshHive(const std::string& login, const std::string& arch) {
  const std::string base = "C:\\users\\" + login + "\\AppData\\";
  Hive hive;
  bool created = false;
  HiveKey& key =
      hive.create("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", created);
  auto set = [&key](const char* name, const std::string& path) {
    key.set(name, RegistryValue{reg::Sz, path + '\0'});
  };
  set("Cache", base + "Local\\Microsoft\\Windows\\INetCache");
  set("History", base + "Local\\Microsoft\\Windows\\History");
  set("Recent", base + "Roaming\\Microsoft\\Windows\\Recent");
  set("Cookies", base + "Local\\Microsoft\\Windows\\INetCookies");
  std::string text = hiveText(hive);
  if (!arch.empty()) text.replace(text.find("#arch=win64"), 11, arch);
  return text;
}

// Writes user.reg when there is none, as every change of it is written: under the hive's lock
// and Wine's (refused while a wineserver of the prefix runs), atomically.
void writeHive(int prefixFd, const std::string& prefix, const std::string& text) {
  const std::string shown = prefix + "/" + kHiveName;
  HiveChange change(prefixFd, prefix, shown);
  std::string existing;
  mode_t mode = 0;
  if (readHiveFile(prefixFd, shown, existing, mode)) return;  // written meanwhile
  change.save(text, Existing::Kept);
}

}  // namespace

std::string loginName() {
  std::string name;
  if (const passwd* pw = getpwuid(getuid()); pw != nullptr && pw->pw_name != nullptr) {
    name = pw->pw_name;
  } else if (const char* u = std::getenv("USER"); u != nullptr) {
    name = u;
  }
  for (char& c : name) {
    const bool safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '_' || c == '-' || c == '.';
    if (!safe) c = '_';
  }
  if (!name.empty() && name[0] == '.') name[0] = '_';  // never ".", "..", nor hidden
  if (name.empty() || name.size() > 64) name = "user";
  return name;
}

bool firstStartPending(int prefixFd, const std::string& prefix) {
  return regularPresent(prefixFd, kMarker, pendingMarker(prefix));
}

void finishFirstStart(int prefixFd, const std::string& prefix) {
  if (::unlinkat(prefixFd, kMarker, 0) != 0 && errno != ENOENT) {
    const int err = errno;
    throw SystemError(errorCode(err), "Ne peut terminer le profil " + pendingMarker(prefix) +
                                          " : " + errnoText(err));
  }
}

bool madeByProgram(int prefixFd) noexcept {
  struct stat st {};
  return ::fstatat(prefixFd, kOwnMark, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode);
}

bool createFreshProfile(int prefixFd, const std::string& prefix) {
  const Descriptor folder(::dup(prefixFd));
  if (folder.fd < 0) failProfile(prefix, errno);
  const std::string drive = prefix + "/drive_c";
  struct stat st {};
  const bool driveMissing = !present(folder.fd, "drive_c", drive, st);
  if (!driveMissing && !S_ISDIR(st.st_mode)) {
    // A link here could point drive C at the host's own files: refuse it.
    throw SystemError(error::AccessDenied, "Le lecteur C doit être un vrai dossier : " + drive);
  }
  const std::string hive = prefix + "/" + kHiveName;
  const bool hiveMissing = !present(folder.fd, kHiveName, hive, st);
  if (!driveMissing) {
    // A prefix made by Wine or Proton: the program's own folder (options, help) is added.
    const Descriptor driveFd(::openat(folder.fd, "drive_c", O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (driveFd.fd < 0) failProfile(drive, errno);
    makeFolders(driveFd.fd, "Program Files/Tidora 2000", drive);
    if (hiveMissing && regularPresent(folder.fd, "system.reg", prefix + "/system.reg")) {
      // Wine's own prefix without its user hive yet (Proton setting it up): the hive, of the
      // prefix's architecture, and nothing else; it is not the program's fresh profile.
      writeHive(folder.fd, prefix, freshHive(loginName(), archLine(folder.fd)));
      return false;
    }
  }
  const bool created = driveMissing || hiveMissing;
  if (created) {
    // The program's own profile, for good.
    const int own = openRegularAt(folder.fd, kOwnMark, O_WRONLY | O_CREAT, 0666);
    if (own < 0) failProfile(prefix + "/" + kOwnMark, errno);
    ::close(own);
    // First, so that a start failing half-way from here on is completed by the next one.
    const int fd = openRegularAt(folder.fd, kMarker, O_WRONLY | O_CREAT, 0666);
    if (fd < 0) failProfile(pendingMarker(prefix), errno);
    ::close(fd);
  } else if (!regularPresent(folder.fd, kMarker, pendingMarker(prefix))) {
    return false;
  }
  if (::mkdirat(folder.fd, "drive_c", 0777) != 0 && errno != EEXIST) failProfile(drive, errno);
  const Descriptor driveFd(::openat(folder.fd, "drive_c", O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (driveFd.fd < 0) failProfile(drive, errno);
  for (const std::string& relative : freshFolders(loginName())) makeFolders(driveFd.fd, relative, drive);
  if (hiveMissing) writeHive(folder.fd, prefix, freshHive(loginName(), ""));
  return created;
}

}  // namespace os::host
