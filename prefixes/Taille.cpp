#include "prefixes/Taille.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <string>
#include <unordered_set>

namespace {

constexpr unsigned kMasque = STATX_TYPE | STATX_INO | STATX_NLINK | STATX_BLOCKS;

class Mesure {
 public:
  Mesure(dev_t disque, const std::atomic<bool>* arret) : disque_(disque), arret_(arret) {}

  // Adds what the entry `nom` of the folder `dossier` takes, and below it for a folder.
  void Entree(int dossier, const char* nom) {
    struct statx sx {};
    if (::statx(dossier, nom, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT | AT_STATX_DONT_SYNC, kMasque,
                &sx) != 0) {
      return;
    }
    const bool estDossier = S_ISDIR(sx.stx_mode);
    if (estDossier && ((sx.stx_attributes & sx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0 ||
                       ::makedev(sx.stx_dev_major, sx.stx_dev_minor) != disque_)) {
      return;  // another file system
    }
    if (!estDossier && sx.stx_nlink > 1 && !plusieursNoms_.insert(sx.stx_ino).second) return;
    total_ += sx.stx_blocks * 512;
    if (estDossier) Dossier(dossier, nom);
  }

  std::uint64_t Total() const { return total_; }

 private:
  void Dossier(int parent, const char* nom) {
    if (arret_ != nullptr && arret_->load(std::memory_order_relaxed)) return;
    const int fd = ::openat(parent, nom, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return;
    DIR* d = ::fdopendir(fd);
    if (d == nullptr) {
      ::close(fd);
      return;
    }
    std::string noms;  // the names, each ended by a NUL, read before going down
    while (const dirent* e = ::readdir(d)) {
      if (e->d_name[0] == '.' &&
          (e->d_name[1] == '\0' || (e->d_name[1] == '.' && e->d_name[2] == '\0'))) {
        continue;
      }
      noms.append(e->d_name);
      noms.push_back('\0');
    }
    for (std::size_t i = 0; i < noms.size(); i += std::char_traits<char>::length(&noms[i]) + 1) {
      Entree(::dirfd(d), &noms[i]);
    }
    ::closedir(d);
  }

  dev_t disque_;
  const std::atomic<bool>* arret_;
  std::uint64_t total_ = 0;
  std::unordered_set<std::uint64_t> plusieursNoms_;  // files of several names, counted once
};

}  // namespace

std::uint64_t TailleSurDisque(const std::filesystem::path& dossier,
                              const std::atomic<bool>* arret) {
  struct stat st {};
  if (::stat(dossier.c_str(), &st) != 0) return 0;
  Mesure mesure(st.st_dev, arret);
  mesure.Entree(AT_FDCWD, dossier.c_str());
  return mesure.Total();
}

void MesurerTailles(std::vector<Prefixe>& prefixes) {
  for (Prefixe& p : prefixes) p.taille = TailleSurDisque(p.chemin / "drive_c");
}
