// --nettoyer --tous works on the prefixes it listed: one swapped for a link since is refused,
// said so, and the others are cleaned.
#include <gtest/gtest.h>

#include "kits/ligne/Nettoyage.h"
#include "platform/PrefixCheck.h"
#include "tests/prefixes/FauxFoyer.h"

namespace fs = std::filesystem;
using TousListes = FauxFoyer;

TEST_F(TousListes, APrefixSwappedForALinkSinceItWasListedIsRefusedAndTheOthersCleaned) {
  std::vector<Prefixe> liste;
  for (const char* nom : {"a", "b", "autre"}) {
    const fs::path p = FairePrefixe(racine_ / nom);
    Ecrire(p / "drive_c/windows/temp/trace.txt", "x");
    liste.push_back({.chemin = p, .nom = nom, .id = os::winePrefixId(p).value()});
  }
  liste.pop_back();  // not listed
  fs::rename(racine_ / "a", racine_ / "a.parti");
  fs::create_directory_symlink(racine_ / "autre", racine_ / "a");
  testing::internal::CaptureStdout();
  EXPECT_EQ(NettoyerTous(liste, ChoixParDefaut()), Statut::Fait);
  const std::string sortie = testing::internal::GetCapturedStdout();
  for (const char* p : {"autre", "a.parti", "b"}) {
    EXPECT_EQ(fs::exists(racine_ / p / "drive_c/windows/temp/trace.txt"), p[0] != 'b') << p;
  }
  EXPECT_NE(sortie.find(" : ignoré, Le dossier " + (racine_ / "a").string() +
                        " n'est plus le préfixe trouvé"),
            std::string::npos)
      << sortie;
  EXPECT_NE(sortie.find("Total : 1 préfixe nettoyé, 1 ignoré"), std::string::npos) << sortie;
}
