// A drive on Linux: a Wine prefix folder, held open from the moment it is chosen.
#include "platform/Drive.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>

#include "platform/PrefixCheck.h"
#include "platform/SystemError.h"
#include "platform/common/UserTemp.h"
#include "platform/linux/DriveState.h"
#include "platform/linux/FolderFile.h"
#include "platform/linux/Host.h"

namespace os {
namespace {

// `folder` made absolute, "." and ".." resolved, without a final "/".
std::filesystem::path normalised(const std::filesystem::path& folder) {
  std::string text = std::filesystem::absolute(folder).lexically_normal().string();
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

[[noreturn]] void notAPrefix(const std::string& prefix, const std::string& why) {
  throw SystemError(error::PathNotFound,
                    "Le dossier " + prefix + " n'est pas un préfixe Wine : " + why);
}

[[noreturn]] void failOpen(const std::string& what, int err) {
  throw SystemError(host::errorCode(err), "Ne peut ouvrir " + what + " : " + host::errnoText(err));
}

// The prefix folder, its links followed (a launcher may reach it through one).
int openPrefix(const std::string& prefix) {
  const int fd = ::open(prefix.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) return fd;
  const int err = errno;
  if (err == ENOENT) notAPrefix(prefix, "il n'existe pas");
  if (err == ENOTDIR) notAPrefix(prefix, "ce n'est pas un dossier");
  failOpen("le préfixe " + prefix, err);
}

// drive_c of the prefix folder `prefixFd`: a real folder on the prefix folder's own file system.
// A link could point drive C at the host's own files, and a mount point (a home folder bound
// there) would make a run delete files of another file system: both are refused.
int openDriveFolder(int prefixFd, const std::string& prefix) {
  const std::string root = prefix + "/drive_c";
  struct stat st {};
  bool mount = false;
  if (host::lstatAt(prefixFd, "drive_c", st, &mount) != 0) {
    if (errno == ENOENT) notAPrefix(prefix, "il n'a pas de dossier drive_c (le lecteur C)");
    failOpen("le lecteur C " + root, errno);
  }
  if (!S_ISDIR(st.st_mode)) {
    notAPrefix(prefix, "son dossier drive_c (le lecteur C) n'est pas un vrai dossier");
  }
  struct stat folder {};
  if (mount || (::fstat(prefixFd, &folder) == 0 && folder.st_dev != st.st_dev)) {
    throw SystemError(error::AccessDenied,
                      "Le lecteur C " + root + " est un point de montage (un autre système de "
                      "fichiers y est monté) : il n'est pas nettoyé, pour ne rien effacer hors du "
                      "préfixe");
  }
  const int fd = host::openChildAt(prefixFd, "drive_c", O_PATH | O_DIRECTORY);
  if (fd < 0) failOpen("le lecteur C " + root, errno);
  struct stat opened {};
  if (::fstat(fd, &opened) != 0 || opened.st_ino != st.st_ino || opened.st_dev != st.st_dev) {
    ::close(fd);
    failOpen("le lecteur C " + root, ESTALE);  // swapped while it was being opened
  }
  return fd;
}

}  // namespace

Drive::State::State(std::filesystem::path folder, int folderFd, int driveFd)
    : prefix(std::move(folder)),
      prefixPath(prefix.string()),
      prefixFd(folderFd),
      root(prefixPath == "/" ? "/drive_c" : prefixPath + "/drive_c"),
      rootFd(driveFd),
      hive(folderFd, prefixPath == "/" ? std::string() : prefixPath) {}

Drive::State::~State() {
  if (rootFd >= 0) ::close(rootFd);
  if (prefixFd >= 0) ::close(prefixFd);
}

Drive::Drive(std::shared_ptr<State> state) noexcept : state_(std::move(state)) {}
Drive::~Drive() = default;
Drive::Drive(Drive&& other) noexcept = default;
Drive& Drive::operator=(Drive&& other) noexcept = default;

Drive Drive::existing(const std::filesystem::path& folder, std::optional<FileId> expected) {
  const std::filesystem::path prefix = normalised(folder);
  const std::string text = prefix.string();
  host::Descriptor prefixFd(openPrefix(text));
  struct stat opened {};
  if (expected && (::fstat(prefixFd.fd, &opened) != 0 ||
                   FileId{static_cast<std::uint64_t>(opened.st_dev),
                          static_cast<std::uint64_t>(opened.st_ino)} != *expected)) {
    throw SystemError(error::AccessDenied,
                      "Le dossier " + text + " n'est plus le préfixe trouvé : il a été remplacé "
                      "depuis (par un lien ou un autre dossier) ; rien n'y est fait");
  }
  host::Descriptor driveFd(openDriveFolder(prefixFd.fd, text));
  struct stat hive {};
  if (::fstatat(prefixFd.fd, "user.reg", &hive, AT_SYMLINK_NOFOLLOW) != 0 ||
      !S_ISREG(hive.st_mode)) {
    notAPrefix(text, "il n'a pas de fichier user.reg (le registre de l'utilisateur)");
  }
  auto state = std::make_shared<State>(prefix, prefixFd.fd, driveFd.fd);
  prefixFd.fd = driveFd.fd = -1;
  return Drive(std::move(state));
}

Drive Drive::own(const std::filesystem::path& folder, bool* created) {
  const std::filesystem::path prefix = normalised(folder);
  const std::string text = prefix.string();
  checkPrefixFolder(prefix);  // nothing is created in a folder that is not a prefix
  std::error_code ec;
  std::filesystem::create_directories(prefix, ec);
  if (ec) {
    throw SystemError(host::errorCode(ec.value()), "Ne peut créer le profil " + text + " : " +
                                                        host::errnoText(ec.value()));
  }
  host::Descriptor prefixFd(openPrefix(text));
  // A drive_c that is there is checked before anything is made in it.
  struct stat present {};
  if (::fstatat(prefixFd.fd, "drive_c", &present, AT_SYMLINK_NOFOLLOW) == 0 &&
      S_ISDIR(present.st_mode)) {
    const host::Descriptor check(openDriveFolder(prefixFd.fd, text));
  }
  const bool made = host::createFreshProfile(prefixFd.fd, text);
  host::Descriptor driveFd(openDriveFolder(prefixFd.fd, text));
  auto state = std::make_shared<State>(prefix, prefixFd.fd, driveFd.fd);
  prefixFd.fd = driveFd.fd = -1;
  if (created != nullptr) *created = made;
  return Drive(std::move(state));
}

std::filesystem::path Drive::ownFolder() {
  if (const char* p = std::getenv("TIDORA_PREFIX"); p != nullptr && *p != '\0') {
    return normalised(p);
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

const std::filesystem::path& Drive::prefix() const noexcept {
  return state_->prefix;
}

std::optional<std::filesystem::path> Drive::hostPath(std::string_view path) const {
  const host::Resolved r = host::resolve(*state_, path);
  if (!r.valid) return std::nullopt;
  std::filesystem::path p = state_->root;
  if (!r.path.empty()) p /= r.path;
  return p;
}

std::string Drive::windowsDirectory() const {
  return "C:\\windows";
}

std::string Drive::executablePath() const {
  return "C:\\Program Files\\Tidora 2000\\Tidora2000.exe";
}

std::string Drive::executableFolder() const {
  return "C:\\Program Files\\Tidora 2000";
}

std::optional<std::string> Drive::userTempDirectory() const {
  return host::userTempFromRegistry(*this);
}

std::optional<PrefixUser> Drive::user() const {
  return prefixUser(state_->prefix);
}

void Drive::checkFree() const {
  checkPrefixFree(state_->prefix);
}

bool Drive::freshProfilePending() const {
  return host::firstStartPending(state_->prefixFd, state_->prefixPath);
}

void Drive::finishFreshProfile() const {
  host::finishFirstStart(state_->prefixFd, state_->prefixPath);
}

bool Drive::madeByProgram() const {
  return host::madeByProgram(state_->prefixFd);
}

}  // namespace os
