// The list of prefixes as printed: sizes in French units, largest first, aligned columns, and
// tab-separated lines that no name can break.
#include <gtest/gtest.h>

#include "kits/ligne/Tableau.h"
#include "prefixes/Octets.h"

namespace {

Prefixe Un(const std::string& chemin, Origine origine, const std::string& nom,
           std::optional<std::uint64_t> taille, bool occupe = false) {
  Prefixe p;
  p.chemin = chemin;
  p.origine = origine;
  p.nom = nom;
  p.taille = taille;
  if (occupe) p.utilisateur = os::PrefixUser{"wineserver", 12};
  return p;
}

TEST(TableauTest, HumanSizes) {
  EXPECT_EQ(TailleLisible(0), "0 o");
  EXPECT_EQ(TailleLisible(999), "999 o");
  EXPECT_EQ(TailleLisible(1000), "1,0 ko");
  EXPECT_EQ(TailleLisible(8192), "8,2 ko");
  EXPECT_EQ(TailleLisible(999949), "999,9 ko");
  EXPECT_EQ(TailleLisible(999950), "1,0 Mo");  // never "1000,0 ko"
  EXPECT_EQ(TailleLisible(1234567890), "1,2 Go");
  EXPECT_EQ(TailleLisible(UINT64_MAX), "18,4 Eo");
}

TEST(TableauTest, LargestFirstAlignedAndSafeForTheTerminal) {
  std::vector<Prefixe> p{Un("/p/petit", Origine::Wine, ".wine", 4096),
                         Un("/p/inconnu", Origine::Bottles, "b", std::nullopt),
                         Un("/p/grand", Origine::Steam, "Jeu é\x1b[2J", 2500000000, true),
                         Un("/p/b", Origine::Lutris, "même", 4096),
                         Un("/p/a", Origine::Heroic, "même", 4096)};
  TrierParTaille(p);
  EXPECT_EQ(Tableau(p),
            "NOM        ORIGINE  TAILLE  ÉTAT    CHEMIN\n"
            "Jeu é?[2J  steam    2,5 Go  occupé  /p/grand\n"
            ".wine      wine     4,1 ko  libre   /p/petit\n"
            "même       heroic   4,1 ko  libre   /p/a\n"
            "même       lutris   4,1 ko  libre   /p/b\n"
            "b          bottles       ?  libre   /p/inconnu\n");
}

TEST(TableauTest, TabSeparatedLinesEscapeWhatWouldBreakThem) {
  const std::vector<Prefixe> p{Un("/p/a\tb\\c", Origine::Steam, "ligne\nsuite\r", 123, true),
                               Un("/p/d", Origine::Wine, "", std::nullopt)};
  EXPECT_EQ(LignesTsv(p),
            "/p/a\\tb\\\\c\tsteam\tligne\\nsuite\\r\t123\toccupé\n"
            "/p/d\twine\t\t0\tlibre\n");
}

}  // namespace
