#pragma once
// A cleaning run over a fresh temporary prefix, watched through a recording window.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "cleaning/FenetreMenage.h"
#include "cleaning/Menage.h"
#include "cleaning/PlanMenage.h"
#include "platform/Registry.h"
#include "scanner/Scrute.h"

// Records everything the run shows.
struct FenetreEnregistree : IFenetreMenage {
  std::vector<std::string> enCours, nbFichiers, tailles, messages;
  int options = 0;
  void AfficherEnCours(const std::string& t) override { enCours.push_back(t); }
  void AfficherNbFichiers(const std::string& t) override { nbFichiers.push_back(t); }
  void AfficherTaille(const std::string& t) override { tailles.push_back(t); }
  void MontrerOptions() override { ++options; }
  void Message(const std::string& t) override { messages.push_back(t); }
};

class EnvironnementMenage : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Creates a file of `taille` bytes (sparse when large) with the given attributes.
  void Creer(const std::string& chemin, std::uintmax_t taille = 1, std::uint32_t attributs = 0);
  // Creates a folder and its parents.
  void CreerDossier(const std::string& chemin);
  // True when something (file, folder, link) is at that Windows path.
  bool Existe(const std::string& chemin) const;
  std::filesystem::path Hote(const std::string& chemin) const;
  // Makes a file undeletable even for root; false when the file system refuses.
  bool Verrouiller(const std::string& chemin);
  // The plan with every choice: the five folders below, SYSBCKUP, both purges, masks.
  void PlanComplet();

  const std::string cache = "C:\\Profil\\Cache";
  const std::string historique = "C:\\Profil\\Historique";
  const std::string recents = "C:\\Profil\\Recent";
  const std::string cookies = "C:\\Profil\\Cookies";
  std::string temp, sbdr;  // under the Windows directory
  static constexpr const char* kAdresses = "\\Software\\Microsoft\\Internet Explorer\\TypedURLs";
  static constexpr const char* kRecherches =
      "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Doc Find Spec MRU";

  // The names of the values of key `cle`; none when it is missing.
  static std::vector<std::string> Valeurs(const char* cle) {
    auto k = os::RegistryKey::open(cle);
    return k ? k->valueNames() : std::vector<std::string>{};
  }

  std::filesystem::path prefixe;
  std::vector<std::filesystem::path> verrous;
  TScruteDossier scrute;
  TPlanMenage plan;
  FenetreEnregistree fenetre;
  TMenage menage{scrute, plan, fenetre};
  std::function<void()> pendantDrain;  // runs in the scanner's drain, as a click would
};
