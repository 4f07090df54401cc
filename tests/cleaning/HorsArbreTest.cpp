// A run never leaves the tree it was pointed at: mount points, links on a pass's own path (also
// swapped in during the run), names holding "\", files gone before their deletion, hard links.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <atomic>
#include <chrono>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <thread>

#include "tests/Montages.h"
#include "tests/cleaning/Environnement.h"

namespace {

namespace fs = std::filesystem;
using HorsArbre = EnvironnementMenage;

void Ecrire(const fs::path& p, const char* texte = "garde") {
  fs::create_directories(p.parent_path());
  std::ofstream(p) << texte;
}

// Read-only and hidden, as Windows would mark a file.
void Proteger(const fs::path& p) {
  ASSERT_EQ(setxattr(p.c_str(), "user.DOSATTRIB", "0x2", 3, 0), 0);
  fs::permissions(p, fs::perms::owner_read | fs::perms::group_read);
}

bool Protege(const fs::path& p) {
  char texte[8] = {};
  return getxattr(p.c_str(), "user.DOSATTRIB", texte, sizeof texte) > 0 &&
         (fs::status(p).permissions() & fs::perms::owner_write) == fs::perms::none;
}

TEST_F(HorsArbre, MountPointsAreReportedButNeverEnteredChangedNorRemoved) {
  const fs::path hote = prefixe / "hote";
  Ecrire(hote / "a.tmp");
  Ecrire(hote / "sous" / "b.tmp");
  fs::create_directories(hote / "vide");
  Ecrire(prefixe / "fichier-hote.tmp");
  Proteger(prefixe / "fichier-hote.tmp");
  CreerDossier(temp + "\\monte");
  CreerDossier(cache);
  Creer("C:\\Projets\\monte.tmp");
  Montages montages;
  if (!montages.Lier(hote, Hote(temp + "\\monte")) || !montages.Lier(hote, Hote(cache)) ||
      !montages.Lier(prefixe / "fichier-hote.tmp", Hote("C:\\Projets\\monte.tmp"))) {
    GTEST_SKIP() << "bind mounts refused here (" << std::strerror(errno) << ")";
  }
  PlanComplet();  // the cache folder itself is a mount point: never a pass's start
  menage.Lancer();
  for (const char* f : {"a.tmp", "sous/b.tmp", "vide"}) EXPECT_TRUE(fs::exists(hote / f)) << f;
  EXPECT_TRUE(Protege(prefixe / "fichier-hote.tmp"));
  EXPECT_TRUE(Existe(temp + "\\monte"));
  EXPECT_TRUE(Existe("C:\\Projets\\monte.tmp"));
}

// The whole-drive guard only reads the entry's text: a folder that is, or passes through, a link
// to the drive's root must yield nothing, whatever the link says.
TEST_F(HorsArbre, APassWhoseFolderIsOrPassesThroughALinkYieldsNothing) {
  const fs::path c = prefixe / "drive_c";
  const std::string options = "C:\\Program Files\\Tidora 2000\\options.ini";
  Creer(options);
  Creer("C:\\Garde\\lettre.doc");
  CreerDossier("C:\\Garde\\vide");
  fs::create_directories(c / "Profil");
  fs::create_directory_symlink("/", c / "Profil" / "Cache");        // absolute: drive C's root
  fs::create_directory_symlink("..", c / "Profil" / "Historique");  // relative
  fs::create_directory_symlink("/Garde", c / "Lien");
  fs::remove(c / "windows" / "TEMP");
  fs::create_directory_symlink("/", c / "windows" / "TEMP");
  plan.TableDossiers = {cache, historique, "C:\\Lien\\vide", cookies, temp, ""};
  plan.OptionsValidees = true;
  menage.Lancer();
  EXPECT_EQ(menage.NbFichiers, 0u);
  for (const std::string& f : {options, std::string("C:\\Garde\\lettre.doc"),
                               std::string("C:\\Garde\\vide"), std::string("C:\\windows\\SYSBCKUP")})
    EXPECT_TRUE(Existe(f)) << f;
}

// Another program swaps a folder for a link to a tree of the same shape, over and over.
TEST_F(HorsArbre, ASubFolderSwappedForALinkDuringTheRunIsSkipped) {
  const fs::path sous = Hote(temp) / "sous";
  const fs::path ailleurs = Hote(temp) / "sous.ailleurs";
  for (int i = 0; i < 20; ++i) {
    const std::string d = "\\d" + std::to_string(i);
    Creer("C:\\Garde" + d + "\\g.txt");
    Creer(temp + "\\sous" + d + "\\index.dat");  // never deleted: the folders stay
  }
  CreerDossier("C:\\Garde\\vide");
  plan.TableDossiers[4] = temp;
  plan.OptionsValidees = true;
  std::atomic<bool> fini{false};
  std::thread permutation([&] {
    while (!fini) {
      std::rename(sous.c_str(), ailleurs.c_str());
      fs::create_directory_symlink("../../Garde", sous);
      std::this_thread::sleep_for(std::chrono::microseconds(100));
      fs::remove(sous);
      std::rename(ailleurs.c_str(), sous.c_str());
      std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
  });
  for (int i = 0; i < 100; ++i) {
    Creer(temp + "\\a.tmp");
    menage.Lancer();
  }
  fini = true;
  permutation.join();
  for (int i = 0; i < 20; ++i) {
    EXPECT_TRUE(Existe("C:\\Garde\\d" + std::to_string(i) + "\\g.txt")) << i;
  }
  EXPECT_TRUE(Existe("C:\\Garde\\vide"));
}

// A Linux folder may be named "up\..\..\.."; as a path it would lead the removal of the empty
// folders all over drive C, and round for ever. The removal is also bounded and drains the queue.
TEST_F(HorsArbre, TheEmptyFolderRemovalWalksOnlyTrueNamesBoundedAndDraining) {
  CreerDossier("C:\\Vide");
  CreerDossier("C:\\Profil\\Vide");
  fs::create_directories(Hote(temp) / "up\\..\\..\\..");
  std::string profond = temp;
  for (int i = 0; i < 12; ++i) CreerDossier(profond += "\\p");
  CreerDossier(temp + "\\v1\\v2");
  int drains = 0;
  pendantDrain = [&] { ++drains; };
  scrute.MaxPenetration = 6;
  plan.TableDossiers[4] = temp;
  plan.OptionsValidees = true;
  menage.Lancer();
  EXPECT_TRUE(Existe("C:\\Vide"));
  EXPECT_TRUE(Existe("C:\\Profil\\Vide"));
  EXPECT_TRUE(fs::exists(Hote(temp) / "up\\..\\..\\.."));
  EXPECT_FALSE(Existe(temp + "\\v1"));
  EXPECT_TRUE(Existe(temp + "\\p"));  // its deep end is beyond the bound
  EXPECT_GE(drains, 2 + 7);           // the scanner's, then one per folder of the removal
}

TEST_F(HorsArbre, AFileGoneBeforeItsDeletionIsNeverTakenForASiblingDifferingInCase) {
  for (const char* nom : {"index.dat", "INDEX.DAT", "Page.htm", "page.HTM"}) {
    Ecrire(prefixe / "drive_c" / "Profil" / "Cache" / nom);
  }
  // Another program removes both after the listing, before the run deletes them.
  pendantDrain = [&] {
    fs::remove(Hote(cache) / "INDEX.DAT");
    fs::remove(Hote(cache) / "page.HTM");
  };
  plan.TableDossiers[0] = cache;
  plan.OptionsValidees = true;
  menage.Lancer();
  EXPECT_TRUE(fs::exists(Hote(cache) / "index.dat"));
  EXPECT_FALSE(fs::exists(Hote(cache) / "Page.htm"));
  EXPECT_EQ(menage.NbEchecs, 0u);
}

TEST_F(HorsArbre, AFileWithSeveralNamesLosesOnlyItsName) {
  const fs::path copie = prefixe / "hote" / "copie.txt";
  Ecrire(copie);
  Proteger(copie);
  CreerDossier(temp);
  fs::create_hard_link(copie, Hote(temp) / "lien.tmp");
  plan.TableDossiers[4] = temp;
  plan.OptionsValidees = true;
  menage.Lancer();
  EXPECT_FALSE(Existe(temp + "\\lien.tmp"));
  EXPECT_TRUE(Protege(copie));
  EXPECT_EQ(menage.NbEchecs, 0u);
}

}  // namespace
