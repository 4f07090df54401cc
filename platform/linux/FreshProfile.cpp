// The fresh user profile created on first use of a prefix.
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "platform/SystemError.h"
#include "platform/linux/Host.h"
#include "platform/linux/WineRegFormat.h"

namespace os::host {
namespace {

[[noreturn]] void failProfile(const std::string& what, int err) {
  throw SystemError(errorCode(err), "Ne peut créer le profil " + what + " : " + errnoText(err));
}

// Whether `path` exists (not following a link); throws when that cannot be told.
bool present(const std::string& path, struct stat& st) {
  if (lstat(path.c_str(), &st) == 0) return true;
  if (errno != ENOENT) failProfile(path, errno);
  return false;
}

void makeFolder(const std::string& path) {
  if (mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) failProfile(path, errno);
}

// Folders of a fresh drive C, relative to drive_c, parents first.
std::string freshFolders(const std::string& login) {
  const std::string user = "users/" + login;
  const std::string local = user + "/AppData/Local/Microsoft/Windows";
  const std::string roaming = user + "/AppData/Roaming/Microsoft/Windows";
  std::string list;
  for (const std::string& p :
       {std::string("windows"), std::string("windows/temp"), std::string("windows/SYSBCKUP"),
        std::string("users"), user, user + "/AppData", user + "/AppData/Local",
        user + "/AppData/Local/Microsoft", local, local + "/INetCache", local + "/History",
        local + "/INetCookies", user + "/AppData/Roaming", user + "/AppData/Roaming/Microsoft",
        roaming, roaming + "/Recent", std::string("Program Files"),
        std::string("Program Files/Tidora 2000")}) {
    list += p;
    list += '\n';
  }
  return list;
}

// The "#arch=" line of the prefix's system.reg (a prefix Wine made), or "" when there is none:
// Wine refuses a user.reg whose architecture differs from the prefix's.
std::string archLine(const std::string& prefix) {
  const int fd = open((prefix + "/system.reg").c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return {};
  char buffer[512];
  const ssize_t n = ::read(fd, buffer, sizeof buffer);
  close(fd);
  const std::string head(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
  const std::size_t at = head.find("\n#arch=");
  const std::size_t end = at == std::string::npos ? at : head.find('\n', at + 1);
  return end == std::string::npos ? std::string() : head.substr(at + 1, end - at - 1);
}

// The hive of a fresh profile, in Wine's format: the shell folders of the user.
std::string freshHive(const std::string& login, const std::string& arch) {
  const std::string base = "C:\\users\\" + login + "\\AppData\\";
  WineHive hive;
  bool created = false;
  WineKey& key =
      hive.create("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", created);
  auto set = [&key](const char* name, const std::string& path) {
    key.set(name, RegistryValue{reg::Sz, path + '\0'});
  };
  set("Cache", base + "Local\\Microsoft\\Windows\\INetCache");
  set("History", base + "Local\\Microsoft\\Windows\\History");
  set("Recent", base + "Roaming\\Microsoft\\Windows\\Recent");
  set("Cookies", base + "Local\\Microsoft\\Windows\\INetCookies");
  std::string text = hive.toText();
  if (!arch.empty()) text.replace(text.find("#arch=win64"), 11, arch);
  return text;
}

void writeNewFile(const std::string& path, const std::string& text) {
  const std::string temp = path + ".new";
  const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) failProfile(path, errno);
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int err = n < 0 ? errno : ENOSPC;
      close(fd);
      unlink(temp.c_str());
      failProfile(path, err);
    }
    done += static_cast<std::size_t>(n);
  }
  int failure = fsync(fd) == 0 ? 0 : errno;
  if (close(fd) != 0 && failure == 0) failure = errno;  // closed whether or not fsync failed
  if (failure != 0) {
    unlink(temp.c_str());
    failProfile(path, failure);
  }
  if (rename(temp.c_str(), path.c_str()) != 0) {
    const int err = errno;
    unlink(temp.c_str());
    failProfile(path, err);
  }
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

std::string pendingMarker(const std::string& prefix) {
  return prefix + "/.first-start";
}

bool createFreshProfile(const std::string& prefix) {
  const std::string drive = prefix + "/drive_c";
  const std::string hive = prefix + "/user.reg";
  const std::string marker = pendingMarker(prefix);
  struct stat st {};
  const bool driveMissing = !present(drive, st);
  if (!driveMissing && !S_ISDIR(st.st_mode)) {
    // A link here could point drive C at the host's own files: refuse it.
    throw SystemError(error::AccessDenied, "Le lecteur C doit être un vrai dossier : " + drive);
  }
  if (!driveMissing) {
    // A prefix made by Wine or Proton: the program's own folder (options, help) is added.
    const std::string programs = drive + "/Program Files";
    if (lstat(programs.c_str(), &st) != 0 && errno == ENOENT) makeFolder(programs);
    if (lstat(programs.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) makeFolder(programs + "/Tidora 2000");
  }
  const bool hiveMissing = !present(hive, st);
  if (!driveMissing && hiveMissing && present(prefix + "/system.reg", st)) {
    // Wine's own prefix without its user hive yet (Proton setting it up): the hive, of the
    // prefix's architecture, and nothing else; it is not the program's fresh profile.
    writeNewFile(hive, freshHive(loginName(), archLine(prefix)));
    return false;
  }
  const bool created = driveMissing || hiveMissing;
  if (created) {
    std::error_code ec;
    std::filesystem::create_directories(prefix, ec);
    if (ec) failProfile(prefix, ec.value());
    // First, so that a start failing half-way from here on is completed by the next one.
    const int fd = open(marker.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0) failProfile(prefix, errno);
    close(fd);
  } else if (!present(marker, st)) {
    return false;
  }
  makeFolder(drive);
  const std::string list = freshFolders(loginName());
  std::size_t start = 0;
  for (std::size_t end; (end = list.find('\n', start)) != std::string::npos; start = end + 1) {
    makeFolder(drive + "/" + list.substr(start, end - start));
  }
  if (hiveMissing) writeNewFile(hive, freshHive(loginName(), ""));
  return created;
}

}  // namespace os::host
