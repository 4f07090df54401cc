// Wine prefixes on the host, and the folders that may serve as the program's prefix.
#include "platform/PrefixCheck.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string_view>

#include "platform/Folder.h"
#include "platform/SystemError.h"
#include "platform/linux/Host.h"
#include "platform/linux/Listing.h"

namespace os {
namespace {

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

bool sameFolder(const struct stat& st, const char* path) {
  struct stat other {};
  return path != nullptr && path[0] == '/' && ::stat(path, &other) == 0 &&
         other.st_dev == st.st_dev && other.st_ino == st.st_ino;
}

bool isHome(const struct stat& st) {
  if (sameFolder(st, std::getenv("HOME"))) return true;
  const passwd* pw = ::getpwuid(::getuid());
  return pw != nullptr && sameFolder(st, pw->pw_dir);
}

[[noreturn]] void refuse(const std::filesystem::path& folder, const std::string& why) {
  throw SystemError(error::AccessDenied, "Le dossier " + folder.string() +
                                             " ne peut servir de préfixe : " + why +
                                             " ; rien n'y a été créé");
}

// "a", "a et b", "a, b et c", at most `most` names and then how many more.
std::string listText(const std::vector<std::string>& names, std::size_t most) {
  std::string text;
  const std::size_t shown = std::min(names.size(), most);
  for (std::size_t i = 0; i < shown; ++i) {
    if (i > 0) text += (i + 1 == shown && shown == names.size()) ? " et " : ", ";
    text += names[i];
  }
  if (shown < names.size()) {
    text += " et " + std::to_string(names.size() - shown) + " autres";
  }
  return text;
}

}  // namespace

std::optional<FileId> winePrefixId(const std::filesystem::path& folder) {
  const Fd fd(::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  struct stat root {}, drive {}, hive {};
  if (fd.get() < 0 || ::fstat(fd.get(), &root) != 0 ||
      ::fstatat(fd.get(), "drive_c", &drive, AT_SYMLINK_NOFOLLOW) != 0 ||
      !S_ISDIR(drive.st_mode) ||
      ::fstatat(fd.get(), "system.reg", &hive, AT_SYMLINK_NOFOLLOW) != 0 ||
      !S_ISREG(hive.st_mode)) {
    return std::nullopt;
  }
  return FileId{static_cast<std::uint64_t>(root.st_dev), static_cast<std::uint64_t>(root.st_ino)};
}

std::vector<std::string> prefixesWithin(const std::filesystem::path& folder) {
  std::vector<std::string> found;
  std::optional<Folder> listing = Folder::openHost(folder.string());
  if (!listing) return found;
  for (std::size_t i = 0; i < listing->count(); ++i) {
    const std::string name(listing->name(i));
    if (winePrefixId(folder / name)) {
      found.push_back(name);
    } else if (winePrefixId(folder / name / "pfx")) {
      found.push_back(name + "/pfx");
    }
  }
  std::sort(found.begin(), found.end());
  return found;
}

void checkPrefixFolder(const std::filesystem::path& folder) {
  struct stat st {};
  if (::stat(folder.c_str(), &st) != 0) {
    if (errno == ENOENT) return;  // a fresh profile
    const int err = errno;
    throw SystemError(host::errorCode(err), "Ne peut examiner le préfixe " + folder.string() +
                                                " : " + host::errnoText(err));
  }
  if (!S_ISDIR(st.st_mode)) refuse(folder, "ce n'est pas un dossier");
  if (sameFolder(st, "/")) refuse(folder, "c'est la racine du système");
  if (isHome(st)) refuse(folder, "c'est le dossier personnel");
  const Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  bool empty = true, prefix = false;
  if (dir.get() < 0 ||
      !host::forEachName(dir.get(), [&](std::string_view name, unsigned char) {
        if (name == ".first-start") return true;  // the profile's own
        empty = false;
        prefix = prefix || name == "drive_c" || name == "system.reg" || name == "user.reg" ||
                 name == "userdef.reg";
        return true;
      })) {
    const int err = errno;
    throw SystemError(host::errorCode(err), "Ne peut lire le préfixe " + folder.string() +
                                                " : " + host::errnoText(err));
  }
  if (prefix || empty) return;
  if (const std::vector<std::string> within = prefixesWithin(folder); !within.empty()) {
    refuse(folder, "il contient d'autres préfixes (" + listText(within, 10) +
                       ") ; choisissez l'un d'eux");
  }
  refuse(folder, "il ne contient ni drive_c ni registre (system.reg, user.reg)");
}

}  // namespace os
