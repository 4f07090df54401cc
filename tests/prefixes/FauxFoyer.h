#pragma once
// A fake home in a temporary folder, removed afterwards, and what lays prefixes and launcher
// files in it. Nothing outside it is ever looked at.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "prefixes/Maison.h"
#include "tests/support/Systeme.h"
#include "tests/support/Temporaire.h"

class FauxFoyer : public ::testing::Test {
 protected:
  void SetUp() override {
    racine_ = DossierTemporaireNeuf("tidora-foyer");
    std::filesystem::create_directory(racine_ / "home");
    maison_ = Maison::De(racine_ / "home");
  }
  void TearDown() override { EffacerArbre(racine_); }

  const std::filesystem::path& Home() const { return maison_.dossier; }

  // Writes `texte` to `fichier`, its folders made.
  static void Ecrire(const std::filesystem::path& fichier, std::string_view texte) {
    std::filesystem::create_directories(fichier.parent_path());
    std::ofstream(fichier, std::ios::binary) << texte;
  }
  // Makes `dossier` a prefix as Wine leaves one: drive_c/ with a few folders, system.reg,
  // user.reg.
  static std::filesystem::path FairePrefixe(const std::filesystem::path& dossier) {
    std::filesystem::create_directories(dossier / "drive_c/windows/temp");
    std::filesystem::create_directories(dossier / "drive_c/users/steamuser");
    Ecrire(dossier / "system.reg", "WINE REGISTRY Version 2\n");
    Ecrire(dossier / "user.reg", "WINE REGISTRY Version 2\n");
    return dossier;
  }

  std::filesystem::path racine_;
  Maison maison_;
};
