#pragma once
// The options of a drive of the test's own, with the program's folder ready for "options.ini".
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "options/FichierOptions.h"
#include "platform/Registry.h"
#include "tests/support/LecteurTemporaire.h"

class EnvironnementOptions : public AvecLecteur {
 protected:
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
  void Valider(const ChoixOptions& choix, const std::string& masques) const {
    EnregistrerOptions(lecteur, ComposerOptions(lecteur, choix, masques));
  }
  std::string Chemin() const { return CheminOptions(lecteur); }
  // Names in `ici` (the program's folder by default), sorted, to see that nothing is left
  // beside the file.
  std::string Contenu() const { return Noms(dossier); }
  static std::string Noms(const std::filesystem::path& ici) {
    std::vector<std::string> liste;
    for (const auto& e : std::filesystem::directory_iterator(ici)) {
      liste.push_back(e.path().filename().string());
    }
    std::sort(liste.begin(), liste.end());
    std::string noms;
    for (const std::string& nom : liste) noms += nom + " ";
    return noms;
  }
  // Every path of the temporary folder (relative, sorted; links not followed).
  std::vector<std::string> Arbre() const {
    std::vector<std::string> liste;
    for (const auto& e : std::filesystem::recursive_directory_iterator(temporaire.Dossier())) {
      liste.push_back(e.path().lexically_relative(temporaire.Dossier()).generic_string());
    }
    std::sort(liste.begin(), liste.end());
    return liste;
  }
  // What the program's folder holds after a save, done or refused: the file alone (its lock is
  // the folder's own).
  static inline const std::string FichierSeul = "options.ini ";
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

  os::RegistryKey ShellFolders() const {
    return lecteur.createKey(
        "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");
  }

  const std::filesystem::path prefixe = temporaire.Dossier();
  const std::filesystem::path dossier = temporaire.CreerDossier(lecteur.executableFolder());
  const std::filesystem::path fichier = dossier / "options.ini";
};
