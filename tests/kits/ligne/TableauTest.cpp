// The list of prefixes as printed: sizes in French units, largest first, aligned columns, and
// tab-separated lines and JSON that no name can break.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

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
                         Un("/p/a\xc2\x9b"
                            "1m\r",
                            Origine::Heroic, "même\xff", 4096)};
  p[2].appid = "4242";
  TrierParTaille(p);
  EXPECT_EQ(Tableau(p),
            "NOM               ORIGINE  TAILLE  ÉTAT    CHEMIN\n"
            "Jeu é?[2J (4242)  steam    2,5 Go  occupé  /p/grand\n"
            ".wine             wine     4,1 ko  libre   /p/petit\n"
            "même              lutris   4,1 ko  libre   /p/b\n"
            "même?             heroic   4,1 ko  libre   /p/a?1m?\n"
            "b                 bottles       ?  libre   /p/inconnu\n");
}

// The machine forms: a header, the app id, a fixed ASCII state, an unknown size said so; no
// name breaks a line or drives a terminal; the JSON document parses whatever the names hold.
TEST(TableauTest, TsvAndJsonForPrograms) {
  std::vector<Prefixe> p{Un("/p/a\tb\\c", Origine::Steam, "ligne\nsuite\r\x1b\xc2\x85", 123, true),
                         Un("/p/d", Origine::Wine, "\xff", std::nullopt)};
  p[0].appid = "10";
  p[1].desinstalle = true;
  EXPECT_EQ(
      LignesTsv(p),
      "chemin\torigine\tappid\tnom\toctets\tetat\tprogramme\tpid\tdesinstalle\n"
      "/p/"
      "a\\tb\\\\c\tsteam\t10\tligne\\nsuite\\r\\x1b\\xc2\\x85\t123\toccupe\twineserver\t12\tnon\n"
      "/p/d\twine\t\t\\xff\tinconnue\tlibre\t\t\toui\n");
  const nlohmann::json j = nlohmann::json::parse(DocumentJson(p));
  ASSERT_EQ(j.size(), 2u);
  EXPECT_EQ(j[0]["nom"], "ligne\nsuite\r\x1b\xc2\x85");
  EXPECT_EQ(j[0]["appid"], "10");
  EXPECT_EQ(j[0]["etat"], "occupe");
  EXPECT_EQ(j[0]["processus"], nlohmann::json::parse(R"({"programme": "wineserver", "pid": 12})"));
  EXPECT_EQ(j[0]["octets"], 123);
  EXPECT_TRUE(j[1]["octets"].is_null());
  EXPECT_TRUE(j[1]["processus"].is_null());
  EXPECT_EQ(j[1]["nom"], "\xef\xbf\xbd");
  EXPECT_EQ(j[1]["desinstalle"], true);
}

}  // namespace
