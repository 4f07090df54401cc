// A run never leaves the tree it was pointed at: mount points, links on a pass's own path, folders
// swapped for links or for other folders during the run, names holding "\", files gone before
// their deletion, hard links.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

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
  for (const std::string& f :
       {options, std::string("C:\\Garde\\lettre.doc"), std::string("C:\\Garde\\vide"),
        std::string("C:\\windows\\SYSBCKUP")})
    EXPECT_TRUE(Existe(f)) << f;
}

// Every deletion the run asks for, by the identity of the folder it goes through.
struct ExecutantTemoin : TExecutant {
  using TExecutant::TExecutant;
  std::set<std::pair<os::FileId, std::string>> demandes;
  void SupprimerFichier(const ::Entree& fichier) override {
    demandes.emplace(fichier.dossier.id(), std::string(fichier.nom));
    TExecutant::SupprimerFichier(fichier);
  }
  void SupprimerDossier(const os::Folder& dossier, std::string_view nom) override {
    demandes.emplace(dossier.id(), std::string(nom));
    TExecutant::SupprimerDossier(dossier, nom);
  }
};

os::FileId Identite(const fs::path& p) {
  struct stat st {};
  if (lstat(p.c_str(), &st) != 0) ADD_FAILURE() << "no " << p;
  return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

// Each file and folder below `racine`: its path, and its name in the folder holding it.
struct Trace {
  fs::path chemin;
  os::FileId dossier;
  std::string nom;
};
void Releve(const fs::path& racine, std::vector<Trace>& entrees) {
  for (auto it = fs::recursive_directory_iterator(racine); it != fs::recursive_directory_iterator();
       ++it) {
    const fs::path p = it->path();
    entrees.push_back({p, Identite(p.parent_path()), p.filename().string()});
  }
}

enum class Permutation { LienRacine, LienHote, Remplacement };

// Another program swaps a folder of the temporary folder, over and over while runs go on: for a
// link to the drive's root, for a link to a host folder outside the prefix, or for another
// folder (the first renamed away). Whatever lands when, nothing outside what the run listed
// goes: every file or folder gone was asked for through the very folder that held it, and
// nothing outside drive C nor any folder the run never lists loses anything.
class Permutations : public EnvironnementMenage, public ::testing::WithParamInterface<Permutation> {
 protected:
  // A tree the run empties: sub-folders of files, some kept by an index.dat. Every swapped-in
  // target holds one of the same names, which a path leading there by now would reach.
  void Remplir(const fs::path& racine) {
    Ecrire(racine / "index.dat");
    for (int d = 0; d < 12; ++d) {
      const fs::path sous = racine / ("d" + std::to_string(d));
      for (int f = 0; f < 40; ++f) Ecrire(sous / ("f" + std::to_string(f) + ".txt"));
      fs::create_directories(sous / "vide" / "vide aussi");
      if (d % 3 == 0) Ecrire(sous / "index.dat");
    }
  }
};

TEST_P(Permutations, NothingGoesButWhatTheRunListedWhereItListedIt) {
  const fs::path c = prefixe / "drive_c";
  const fs::path hote = prefixe / "hote";
  const fs::path sous = Hote(temp) / "sous";
  const fs::path parc = Hote(temp) / "sous.parc";
  const fs::path autre = c / "Parc" / "autre";
  const fs::path dehors = c / "Parc" / "dehors";
  ExecutantTemoin temoin{lecteur};
  TMenage run(scrute, plan, fenetre, temoin);
  plan.TableDossiers[4] = temp;
  plan.TableMotifs[0] = "*.tmp";
  plan.OptionsValidees = true;

  long permutations = 0;
  for (int tour = 0; tour < 6; ++tour) {
    Remplir(sous);
    Remplir(hote);
    Remplir(c);
    if (GetParam() == Permutation::Remplacement) Remplir(autre);
    std::vector<Trace> avant, avantHote;
    Releve(c, avant);
    Releve(hote, avantHote);
    temoin.demandes.clear();

    std::atomic<bool> fini{false};
    std::atomic<long> faites{0};
    std::thread permutation([&] {
      std::error_code ec;  // never thrown on this thread; checked by the canonical layout after
      while (!fini) {
        if (GetParam() == Permutation::Remplacement) {
          fs::rename(sous, dehors, ec);
          fs::rename(autre, sous, ec);
        } else {
          fs::rename(sous, parc, ec);
          fs::create_directory_symlink(GetParam() == Permutation::LienRacine ? c : hote, sous, ec);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(50));
        if (GetParam() == Permutation::Remplacement) {
          fs::rename(sous, autre, ec);
          fs::rename(dehors, sous, ec);
        } else {
          fs::remove(sous, ec);
          fs::rename(parc, sous, ec);
        }
        ++faites;
        std::this_thread::sleep_for(std::chrono::microseconds(50));
      }
    });
    const long debut = faites;
    run.Lancer();
    permutations += faites - debut;
    fini = true;
    permutation.join();
    ASSERT_TRUE(fs::is_directory(fs::symlink_status(sous)));
    ASSERT_TRUE(fs::exists(sous / "index.dat"));

    for (const Trace& e : avant) {
      if (fs::exists(fs::symlink_status(e.chemin))) continue;
      EXPECT_EQ(temoin.demandes.count({e.dossier, e.nom}), 1u)
          << e.chemin << " is gone, never asked for through its folder";
    }
    for (const Trace& e : avantHote) EXPECT_TRUE(fs::exists(e.chemin)) << e.chemin;
    for (int d = 0; d < 12; ++d) {  // only "*.tmp" is searched for outside TEMP
      EXPECT_TRUE(fs::exists(c / ("d" + std::to_string(d)) / "f0.txt")) << d;
    }
  }
  EXPECT_GT(permutations, 6) << "the swaps never landed during a run";
}

INSTANTIATE_TEST_SUITE_P(HorsArbre, Permutations,
                         ::testing::Values(Permutation::LienRacine, Permutation::LienHote,
                                           Permutation::Remplacement));

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
