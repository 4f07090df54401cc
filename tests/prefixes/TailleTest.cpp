// The size of a prefix's drive C: what du reports, links not followed, files of several names
// once.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "FauxFoyer.h"
#include "prefixes/Taille.h"

namespace fs = std::filesystem;

namespace {

class TailleTest : public FauxFoyer {
 protected:
  // What `du -s -B1` says of `dossier`.
  static std::uint64_t Du(const fs::path& dossier) {
    const std::string commande = "du -s -B1 '" + dossier.string() + "'";
    FILE* f = ::popen(commande.c_str(), "r");
    if (f == nullptr) return 0;
    unsigned long long octets = 0;
    if (std::fscanf(f, "%llu", &octets) != 1) octets = 0;
    ::pclose(f);
    return octets;
  }
};

TEST_F(TailleTest, AsDuCountsItWithoutFollowingLinks) {
  const fs::path drive = FairePrefixe(racine_ / "p") / "drive_c";
  Ecrire(drive / "petit.txt", "x");
  Ecrire(drive / "windows/temp/moyen.tmp", std::string(50000, 'm'));
  Ecrire(drive / "Program Files/Jeu/gros.pak", std::string(3 << 20, 'g'));
  fs::create_hard_link(drive / "Program Files/Jeu/gros.pak", drive / "Program Files/Jeu/copie.pak");
  // A sparse file takes less than its length.
  const int fd = ::open((drive / "creux.bin").c_str(), O_WRONLY | O_CREAT, 0600);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::pwrite(fd, "z", 1, 100 << 20), 1);
  ::close(fd);
  // Links out of the prefix count for themselves only.
  Ecrire(racine_ / "dehors/enorme.bin", std::string(5 << 20, 'e'));
  ASSERT_TRUE(LienDossier(racine_ / "dehors", drive / "users/steamuser/Documents"));
  fs::create_symlink(racine_ / "dehors/enorme.bin", drive / "lien.bin");
  for (int i = 0; i < 300; ++i) Ecrire(drive / ("d" + std::to_string(i % 7)) / std::to_string(i), "abc");

  const std::uint64_t taille = TailleSurDisque(drive);
  EXPECT_EQ(taille, Du(drive));
  EXPECT_GT(taille, std::uint64_t{3} << 20);
  EXPECT_LT(taille, std::uint64_t{5} << 20);  // neither the link's target nor the sparse length

  std::vector<Prefixe> prefixes(2);
  prefixes[0].chemin = racine_ / "p";
  prefixes[1].chemin = racine_ / "absent";
  MesurerTailles(prefixes);
  EXPECT_EQ(prefixes[0].taille, taille);
  EXPECT_EQ(prefixes[1].taille, std::uint64_t{0});
}

// A window measuring in the background stops a long count when it closes.
TEST_F(TailleTest, AStopEndsTheCountBeforeTheNextFolder) {
  const fs::path drive = FairePrefixe(racine_ / "p") / "drive_c";
  Ecrire(drive / "Program Files/Jeu/gros.pak", std::string(1 << 20, 'g'));
  std::atomic<bool> arret{false};
  const std::uint64_t entiere = TailleSurDisque(drive, &arret);
  EXPECT_EQ(entiere, TailleSurDisque(drive));
  arret = true;
  EXPECT_LT(TailleSurDisque(drive, &arret), std::uint64_t{1} << 20);
}

}  // namespace
