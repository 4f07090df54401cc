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
       {std::string("windows"), std::string("windows/TEMP"), std::string("windows/SYSBCKUP"),
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

// The hive of a fresh profile: the shell folders of the user.
std::string freshHive(const std::string& login) {
  const std::string base = "C:\\\\users\\\\" + login + "\\\\AppData\\\\";
  std::string text = "Windows Registry Editor Version 5.00\n\n";
  text +=
      "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell "
      "Folders]\n";
  text += "\"Cache\"=\"" + base + "Local\\\\Microsoft\\\\Windows\\\\INetCache\"\n";
  text += "\"History\"=\"" + base + "Local\\\\Microsoft\\\\Windows\\\\History\"\n";
  text += "\"Recent\"=\"" + base + "Roaming\\\\Microsoft\\\\Windows\\\\Recent\"\n";
  text += "\"Cookies\"=\"" + base + "Local\\\\Microsoft\\\\Windows\\\\INetCookies\"\n";
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
  const bool hiveMissing = !present(hive, st);
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
  if (hiveMissing) writeNewFile(hive, freshHive(loginName()));
  return created;
}

}  // namespace os::host
