#include "tests/cleaning/Environnement.h"

#include <algorithm>
#include <fstream>

#include "platform/NameCase.h"
#include "tests/support/Etat.h"
#include "tests/support/Plateforme.h"
#include "tests/support/Systeme.h"

namespace fs = std::filesystem;

void EnvironnementMenage::SetUp() {
  scrute.TraiterMessages = [this] {
    if (pendantDrain) pendantDrain();
  };
}

void EnvironnementMenage::TearDown() {
  for (const fs::path& p : verrous) Liberer(p);
}

void EnvironnementMenage::Creer(const LecteurTemporaire& t, const std::string& chemin,
                                std::uintmax_t taille, std::uint32_t attributs) {
  const fs::path p = t.Creer(chemin, std::string(std::min<std::uintmax_t>(taille, 4096), 'x'));
  fs::resize_file(p, taille);
  if (attributs != 0) os::testing::setFileAttributes(*t, chemin, attributs);
}

bool EnvironnementMenage::Existe(const std::string& chemin) const {
  return fs::exists(fs::symlink_status(Hote(chemin)));
}

bool EnvironnementMenage::Verrouiller(const LecteurTemporaire& t, const std::string& chemin) {
  if (!RendreIndelebile(t.Hote(chemin))) return false;
  verrous.push_back(t.Hote(chemin));
  return true;
}

void EnvironnementMenage::PlanComplet() {
  plan.TableDossiers = {cache, historique, recents, cookies, temp, sbdr};
  plan.TableRegistre = {kRecherches, kAdresses};
  plan.TableMotifs = {"*.tmp", "*.bak", "*.gid", "*.chk", "*.log",       "*.old",
                      "*.---", "*.~*",  "*.$*",  "",      "rapport?.doc"};
  plan.OptionsValidees = true;
}

std::string EnvironnementMenage::Relatif(const std::string& chemin) const {
  fs::path surDisque;
  for (const fs::path& nom : Hote(chemin).lexically_relative(prefixe)) {
    fs::path trouve = nom;
    std::error_code ec;
    for (fs::directory_iterator it(prefixe / surDisque, ec), fin; !ec && it != fin;
         it.increment(ec)) {
      const fs::path n = it->path().filename();
      if (n == nom) {
        trouve = n;
        break;
      }
      if (os::sameName(n.string(), nom.string())) trouve = n;
    }
    surDisque /= trouve;
  }
  return surDisque.generic_string();
}

std::set<std::string> EnvironnementMenage::Contenu() const {
  std::set<std::string> noms;
  for (const auto& [chemin, quoi] : Etat(prefixe)) noms.insert(chemin);
  return noms;
}
