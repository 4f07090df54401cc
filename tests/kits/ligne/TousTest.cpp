// --nettoyer --tous works on the prefixes it listed: one swapped for a link since is refused,
// said so, and the others are cleaned.
#include <gtest/gtest.h>

#include "kits/ligne/Nettoyage.h"
#include "platform/PrefixCheck.h"
#include "tests/prefixes/FauxFoyer.h"

namespace fs = std::filesystem;

namespace {

using TousTest = FauxFoyer;

TEST_F(TousTest, APrefixSwappedForALinkSinceItWasListedIsRefusedAndTheOthersCleaned) {
  std::vector<Prefixe> liste;
  for (const char* nom : {"a", "b"}) {
    Prefixe p;
    p.chemin = FairePrefixe(racine_ / nom);
    p.nom = nom;
    p.id = os::winePrefixId(p.chemin).value();
    Ecrire(p.chemin / "drive_c/windows/temp/trace.txt", "x");
    liste.push_back(p);
  }
  const fs::path autre = FairePrefixe(racine_ / "autre");
  Ecrire(autre / "drive_c/windows/temp/trace.txt", "x");
  fs::rename(racine_ / "a", racine_ / "a.parti");
  fs::create_directory_symlink(autre, racine_ / "a");

  testing::internal::CaptureStdout();
  const Statut statut = NettoyerTous(liste, ChoixParDefaut());
  const std::string sortie = testing::internal::GetCapturedStdout();
  EXPECT_EQ(statut, Statut::Fait);
  EXPECT_TRUE(fs::exists(autre / "drive_c/windows/temp/trace.txt"));
  EXPECT_TRUE(fs::exists(racine_ / "a.parti/drive_c/windows/temp/trace.txt"));
  EXPECT_FALSE(fs::exists(racine_ / "b/drive_c/windows/temp/trace.txt"));
  EXPECT_NE(sortie.find(" : ignoré, Le dossier " + (racine_ / "a").string() +
                        " n'est plus le préfixe trouvé"),
            std::string::npos)
      << sortie;
  EXPECT_NE(sortie.find("Total : 1 préfixe nettoyé, 1 ignoré"), std::string::npos) << sortie;
}

}  // namespace
