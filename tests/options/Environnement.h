#pragma once
// A fresh temporary prefix for each test, with the program's folder ready for "options.ini".
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <algorithm>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "options/FichierOptions.h"
#include "platform/FileSystem.h"
#include "platform/Prefix.h"
#include "platform/Registry.h"
#include "tests/support/Systeme.h"
#include "tests/support/Temporaire.h"

class EnvironnementOptions : public ::testing::Test {
 protected:
  void SetUp() override {
    prefixe = DossierTemporaireNeuf("tidora-options");
    os::setPrefixFolder(prefixe);
    os::ensureProfile();
    dossier = *os::hostPath(os::executableFolder());
    std::filesystem::create_directories(dossier);
    fichier = dossier / "options.ini";
  }
  void TearDown() override { EffacerArbre(prefixe); }

  static std::string Lire(const std::filesystem::path& chemin) {
    std::ifstream f(chemin, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
  }
  static void Ecrire(const std::filesystem::path& chemin, const std::string& texte) {
    std::ofstream(chemin, std::ios::binary) << texte;
  }
  // Boxes 1 to 17 checked.
  static ChoixOptions Cases(std::initializer_list<int> cochees) {
    ChoixOptions choix{};
    for (const int n : cochees) choix.at(n - 1) = true;
    return choix;
  }
  static void Valider(const ChoixOptions& choix, const std::string& masques) {
    EnregistrerOptions(ComposerOptions(choix, masques));
  }
  // Names in the program's folder, sorted, to see that no temporary file is left.
  std::string Contenu() const {
    std::vector<std::string> liste;
    for (const auto& e : std::filesystem::directory_iterator(dossier)) {
      liste.push_back(e.path().filename().string());
    }
    std::sort(liste.begin(), liste.end());
    std::string noms;
    for (const std::string& nom : liste) noms += nom + " ";
    return noms;
  }
  // What the program's folder holds after a save: the file and its lock, nothing else.
  static inline const std::string FichierEtVerrou = "options.ini options.ini.lock ";
  // The message of the failure `action` ends with, or "" when it succeeds.
  template <typename F>
  static std::string Echec(F action) {
    try {
      action();
    } catch (const ErreurOptions& e) {
      return e.what();
    }
    return "";
  }
  // The file with every choice off.
  static inline const std::string Vide = "[Dossiers]\r\n[Fichiers]\r\n";

  static os::RegistryKey ShellFolders() {
    return os::RegistryKey::create(
        "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");
  }

  std::filesystem::path prefixe, dossier, fichier;
};
