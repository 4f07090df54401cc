#include "tests/support/LecteurTemporaire.h"

#include <fstream>

#include "tests/support/Plateforme.h"
#include "tests/support/Systeme.h"
#include "tests/support/Temporaire.h"

namespace {

os::Drive Nouveau(const std::filesystem::path& dossier) {
#ifdef _WIN32
  return os::Drive::sandbox(dossier);
#else
  return os::Drive::own(dossier);
#endif
}

}  // namespace

LecteurTemporaire::LecteurTemporaire(std::string_view nom)
    : dossier_(DossierTemporaireNeuf(nom)), lecteur_(Nouveau(dossier_)) {}

LecteurTemporaire::~LecteurTemporaire() {
  EffacerArbre(dossier_);
}

std::filesystem::path LecteurTemporaire::Hote(std::string_view chemin) const {
  const std::optional<std::filesystem::path> p = os::testing::hostPath(lecteur_, chemin);
  if (!p) ADD_FAILURE() << "no host path for " << chemin;
  return p.value_or(dossier_ / "nulle-part");
}

std::filesystem::path LecteurTemporaire::Creer(std::string_view chemin,
                                               std::string_view contenu) const {
  const std::filesystem::path p = Hote(chemin);
  std::filesystem::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << contenu;
  return p;
}

std::filesystem::path LecteurTemporaire::CreerDossier(std::string_view chemin) const {
  const std::filesystem::path p = Hote(chemin);
  std::filesystem::create_directories(p);
  return p;
}
