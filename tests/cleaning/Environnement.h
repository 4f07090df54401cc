#pragma once
// A cleaning run over a drive of the test's own, watched through a recording window.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "cleaning/Executant.h"
#include "cleaning/FenetreMenage.h"
#include "cleaning/Menage.h"
#include "cleaning/PlanMenage.h"
#include "scanner/Scrute.h"
#include "tests/support/LecteurTemporaire.h"

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

class EnvironnementMenage : public AvecLecteur {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Creates a file of `taille` bytes (sparse when large) with the given attributes, on the
  // test's drive or on `t`.
  void Creer(const std::string& chemin, std::uintmax_t taille = 1, std::uint32_t attributs = 0) {
    Creer(temporaire, chemin, taille, attributs);
  }
  static void Creer(const LecteurTemporaire& t, const std::string& chemin, std::uintmax_t taille,
                    std::uint32_t attributs = 0);
  void CreerDossier(const std::string& chemin) { temporaire.CreerDossier(chemin); }
  // True when something (file, folder, link) is at that Windows path.
  bool Existe(const std::string& chemin) const;
  std::filesystem::path Hote(const std::string& chemin) const { return temporaire.Hote(chemin); }
  // Makes a file undeletable even for root (until the test ends), on the test's drive or on
  // `t`; false when the file system refuses.
  bool Verrouiller(const std::string& chemin) { return Verrouiller(temporaire, chemin); }
  bool Verrouiller(const LecteurTemporaire& t, const std::string& chemin);
  // The plan with every choice: the five folders below, SYSBCKUP, both purges, masks.
  void PlanComplet();
  // The host path of a Windows path, relative to the prefix, spelled as on disk (on Windows a
  // path reaches a file whatever its case): the exact name where there is one.
  std::string Relatif(const std::string& chemin) const;
  // Every entry under the prefix folder, by its path relative to it ("drive_c/windows/TEMP").
  std::set<std::string> Contenu() const;

  const std::string cache = "C:\\Profil\\Cache";
  const std::string historique = "C:\\Profil\\Historique";
  const std::string recents = "C:\\Profil\\Recent";
  const std::string cookies = "C:\\Profil\\Cookies";
  const std::string temp = lecteur.windowsDirectory() + "\\TEMP";
  const std::string sbdr = lecteur.windowsDirectory() + "\\SYSBCKUP";
  static constexpr const char* kAdresses = "\\Software\\Microsoft\\Internet Explorer\\TypedURLs";
  static constexpr const char* kRecherches =
      "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Doc Find Spec MRU";

  // The names of the values of key `cle`; none when it is missing.
  std::vector<std::string> Valeurs(const char* cle) const {
    auto k = lecteur.openKey(cle);
    return k ? k->valueNames() : std::vector<std::string>{};
  }

  const std::filesystem::path& prefixe = temporaire.Dossier();
  std::vector<std::filesystem::path> verrous;
  TScruteDossier scrute;
  TPlanMenage plan;
  FenetreEnregistree fenetre;
  TExecutant executant{lecteur};
  TMenage menage{scrute, plan, fenetre, executant};
  std::function<void()> pendantDrain;  // runs in the scanner's drain, as a click would
};
