#include "tests/cleaning/Environnement.h"

#include <fstream>

#include "platform/FileSystem.h"
#include "platform/Prefix.h"
#include "tests/support/Systeme.h"
#include "tests/support/Temporaire.h"

namespace fs = std::filesystem;

void EnvironnementMenage::SetUp() {
  prefixe = DossierTemporaireNeuf("tidora-menage");
  os::setPrefixFolder(prefixe);
  os::ensureProfile();
  temp = os::windowsDirectory() + "\\TEMP";
  sbdr = os::windowsDirectory() + "\\SYSBCKUP";
  scrute.TraiterMessages = [this] {
    if (pendantDrain) pendantDrain();
  };
}

void EnvironnementMenage::TearDown() {
  for (const fs::path& p : verrous) Liberer(p);
  EffacerArbre(prefixe);
}

fs::path EnvironnementMenage::Hote(const std::string& chemin) const {
  auto p = os::hostPath(chemin);
  if (!p) ADD_FAILURE() << "no host path for " << chemin;
  return p.value_or(prefixe / "nulle-part");
}

void EnvironnementMenage::CreerDossier(const std::string& chemin) {
  fs::create_directories(Hote(chemin));
}

void EnvironnementMenage::Creer(const std::string& chemin, std::uintmax_t taille,
                                std::uint32_t attributs) {
  const fs::path p = Hote(chemin);
  fs::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << std::string(std::min<std::uintmax_t>(taille, 4096), 'x');
  fs::resize_file(p, taille);
  if (attributs != 0) os::setFileAttributes(chemin, attributs);
}

bool EnvironnementMenage::Existe(const std::string& chemin) const {
  return fs::exists(fs::symlink_status(Hote(chemin)));
}

bool EnvironnementMenage::Verrouiller(const std::string& chemin) {
  if (!RendreIndelebile(Hote(chemin))) return false;
  verrous.push_back(Hote(chemin));
  return true;
}

void EnvironnementMenage::PlanComplet() {
  plan.TableDossiers = {cache, historique, recents, cookies, temp, sbdr};
  plan.TableRegistre = {kRecherches, kAdresses};
  plan.TableMotifs = {"*.tmp", "*.bak", "*.gid", "*.chk", "*.log",       "*.old",
                      "*.---", "*.~*",  "*.$*",  "",      "rapport?.doc"};
  plan.OptionsValidees = true;
}
