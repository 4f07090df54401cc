// Links and undeletable files on Linux: symbolic links, and the immutable flag (not even root
// may delete the file or change its mode).
#include "tests/support/Systeme.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

bool Immuable(const std::filesystem::path& p, bool oui) {
  const int fd = ::open(p.c_str(), O_RDONLY | O_NONBLOCK);
  if (fd < 0) return false;
  int drapeaux = 0;
  bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &drapeaux) == 0;
  if (ok) {
    drapeaux = oui ? (drapeaux | FS_IMMUTABLE_FL) : (drapeaux & ~FS_IMMUTABLE_FL);
    ok = ::ioctl(fd, FS_IOC_SETFLAGS, &drapeaux) == 0;
  }
  ::close(fd);
  return ok;
}

}  // namespace

bool LienDossier(const std::filesystem::path& cible, const std::filesystem::path& lien) {
  std::error_code ec;
  std::filesystem::create_directory_symlink(cible, lien, ec);
  return !ec;
}

bool RendreIndelebile(const std::filesystem::path& fichier) {
  return Immuable(fichier, true);
}

void Liberer(const std::filesystem::path& fichier) {
  Immuable(fichier, false);
}

void EffacerArbre(const std::filesystem::path& racine) {
  std::error_code ec;
  for (auto& p : std::filesystem::recursive_directory_iterator(racine, ec)) {
    if (!p.is_symlink()) {
      std::filesystem::permissions(p.path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ec);
    }
  }
  std::filesystem::remove_all(racine, ec);
}
