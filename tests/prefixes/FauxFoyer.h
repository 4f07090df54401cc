#pragma once
// A fake home in a temporary folder, removed afterwards, and what lays prefixes and launcher
// files in it. Nothing outside it is ever looked at.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "prefixes/Maison.h"
#include "tests/support/Systeme.h"
#include "tests/support/Temporaire.h"

// Steam's binary key-values, written entry by entry as Steam writes them.
class EcritVdfBinaire {
 public:
  EcritVdfBinaire& Bloc(std::string_view cle) { return Type(0x00, cle); }
  EcritVdfBinaire& Texte(std::string_view cle, std::string_view valeur) {
    Type(0x01, cle).octets_ += valeur;
    octets_ += '\0';
    return *this;
  }
  EcritVdfBinaire& Entier(std::string_view cle, std::uint32_t valeur) {
    Type(0x02, cle);
    for (int i = 0; i < 4; ++i) octets_ += static_cast<char>(valeur >> (8 * i));
    return *this;
  }
  EcritVdfBinaire& Fin() {
    octets_ += '\x08';
    return *this;
  }
  // A shortcut "<n>" as Steam writes it in shortcuts.vdf; `appid` 0 leaves it out (older files).
  EcritVdfBinaire& Raccourci(int n, std::uint32_t appid, std::string_view nom,
                             std::string_view exe = "\"/opt/jeu/jeu.exe\"",
                             std::string_view cleNom = "AppName") {
    Bloc(std::to_string(n));
    if (appid != 0) Entier("appid", appid);
    Texte(cleNom, nom).Texte("Exe", exe).Texte("StartDir", "\"/opt/jeu/\"").Texte("icon", "");
    Texte("ShortcutPath", "").Texte("LaunchOptions", "").Entier("IsHidden", 0);
    Entier("AllowDesktopConfig", 1).Entier("AllowOverlay", 1).Entier("OpenVR", 0);
    Entier("Devkit", 0).Texte("DevkitGameID", "").Entier("DevkitOverrideAppID", 0);
    Entier("LastPlayTime", 1700000000).Texte("FlatpakAppID", "");
    return Bloc("tags").Texte("0", "favorite").Fin().Fin();
  }
  const std::string& Octets() const { return octets_; }

 private:
  EcritVdfBinaire& Type(char type, std::string_view cle) {
    octets_ += type;
    octets_ += cle;
    octets_ += '\0';
    return *this;
  }
  std::string octets_;
};

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
