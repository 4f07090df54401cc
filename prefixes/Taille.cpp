#include "prefixes/Taille.h"

#include <optional>
#include <string>
#include <unordered_set>

#include "platform/Folder.h"

namespace {

// Levels kept open at most: deeper, a level's folder is closed and opened again from its
// sub-folder (".."), so that a chain of folders of any depth is measured with few descriptors.
constexpr std::size_t kOuverts = 64;

// One folder of the walk: its sub-folders still to measure.
struct Niveau {
  std::optional<os::Folder> dossier;  // closed when the walk is deep below it
  os::FileId id;
  std::vector<std::string> sous;
  std::size_t suivant = 0;
};

class Mesure {
 public:
  explicit Mesure(const std::atomic<bool>* arret) : arret_(arret) {}

  std::uint64_t Total() const { return total_; }

  // Walks the folder `racine`, one level after another, never recursing.
  void Parcourir(os::Folder racine) {
    const std::optional<os::Folder::Usage> soi = racine.usage();
    if (!soi) return;
    volume_ = soi->id.volume;
    total_ += soi->bytes;
    std::vector<Niveau> pile;
    Entrer(pile, std::move(racine), soi->id);
    while (!pile.empty()) {
      if (Arrete()) return;
      Niveau& haut = pile.back();
      if (haut.suivant == haut.sous.size()) {
        Remonter(pile);
        continue;
      }
      const std::string& nom = haut.sous[haut.suivant++];
      std::optional<os::Folder> sous = haut.dossier->openChild(nom);
      if (!sous) continue;  // a link or a mount point by now, or gone
      const std::optional<os::Folder::Usage> u = sous->usage();
      if (!u) continue;
      Entrer(pile, std::move(*sous), u->id);
    }
  }

 private:
  bool Arrete() const { return arret_ != nullptr && arret_->load(std::memory_order_relaxed); }

  // Counts the entries of `dossier` and puts it on the walk with its sub-folders.
  void Entrer(std::vector<Niveau>& pile, os::Folder dossier, os::FileId id) {
    Niveau niveau;
    niveau.id = id;
    const std::size_t nombre = dossier.count();
    for (std::size_t i = 0; i < nombre; ++i) {
      const std::optional<os::Folder::Usage> u = dossier.usage(i);
      if (!u) continue;
      if (u->folder) {
        if (u->mountPoint || u->id.volume != volume_) continue;  // another file system
        niveau.sous.emplace_back(dossier.name(i));
      } else if (u->names > 1 && !plusieursNoms_.insert(u->id.number).second) {
        continue;  // a file of several names counts once
      }
      total_ += u->bytes;
    }
    niveau.dossier.emplace(std::move(dossier));
    pile.push_back(std::move(niveau));
    if (pile.size() > kOuverts) pile[pile.size() - 1 - kOuverts].dossier.reset();
  }

  // Leaves the level on top; the one below is opened again when it was closed. A level that
  // cannot be opened again (moved meanwhile) is left with what lies below it.
  void Remonter(std::vector<Niveau>& pile) {
    std::optional<os::Folder> fini = std::move(pile.back().dossier);
    pile.pop_back();
    while (!pile.empty() && !pile.back().dossier) {
      if (fini) pile.back().dossier = fini->openParent(pile.back().id);
      if (pile.back().dossier) return;
      fini.reset();
      pile.pop_back();
    }
  }

  const std::atomic<bool>* arret_;
  std::uint64_t volume_ = 0;
  std::uint64_t total_ = 0;
  std::unordered_set<std::uint64_t> plusieursNoms_;  // files of several names, counted once
};

}  // namespace

std::uint64_t TailleSurDisque(const std::filesystem::path& dossier,
                              const std::atomic<bool>* arret) {
  std::optional<os::Folder> racine = os::Folder::openHost(dossier.string());
  if (!racine) return 0;
  Mesure mesure(arret);
  mesure.Parcourir(std::move(*racine));
  return mesure.Total();
}

void MesurerTailles(std::vector<Prefixe>& prefixes) {
  for (Prefixe& p : prefixes) p.taille = TailleSurDisque(p.chemin / "drive_c");
}
