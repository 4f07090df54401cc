// Steam's text and binary formats: what Steam writes, what hand edits leave, and any byte
// sequence at all (mutation tests: never a crash, never a hang, nesting and size bounded).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "FauxFoyer.h"
#include "prefixes/Vdf.h"
#include "prefixes/VdfBinaire.h"

namespace {

TEST(VdfTest, BlocksValuesEscapesCommentsConditionsAndKeyCase) {
  const NoeudVdf v = LireVdf(
      "\xEF\xBB\xBF// en-tête\n"
      "\"LibraryFolders\"\n{\n"
      "\t\"0\"\t{ \"path\" \"C:\\\\Program Files (x86)\\\\Steam\" // commentaire\n"
      "\t\t\"label\" \"dit \\\"ceci\\\"\\n\" }\n"
      "\tmot_nu valeur_nue [$WIN32]\n"
      "\t\"1\" [$LINUX] \"/mnt/jeux\"\n"
      "\t\"1\" \"/mnt/double\"\n"
      "\t\"vide\" {}\n"
      "}\n"
      "\"second\" \"x\"");
  ASSERT_EQ(v.enfants.size(), 2u);
  const NoeudVdf* l = v.Enfant("libraryfolders");
  ASSERT_NE(l, nullptr);
  ASSERT_TRUE(l->bloc);
  ASSERT_EQ(l->enfants.size(), 5u);
  EXPECT_EQ(l->Enfant("0")->Valeur("PATH"), "C:\\Program Files (x86)\\Steam");
  EXPECT_EQ(l->Enfant("0")->Valeur("label"), "dit \"ceci\"\n");
  EXPECT_EQ(l->Valeur("MOT_NU"), "valeur_nue");
  EXPECT_EQ(l->Valeur("1"), "/mnt/jeux");  // the first of repeated keys
  EXPECT_TRUE(l->Enfant("vide")->bloc);
  EXPECT_TRUE(l->Enfant("vide")->enfants.empty());
  EXPECT_EQ(l->Valeur("vide"), "");  // a block is no value
  EXPECT_EQ(l->Enfant("absent"), nullptr);
  EXPECT_EQ(v.Valeur("second"), "x");
  EXPECT_TRUE(LireVdf("").enfants.empty());
  EXPECT_TRUE(LireVdf("  // rien\n").enfants.empty());
}

TEST(VdfTest, MalformedTextsAreRefusedWithTheirLine) {
  for (const char* texte : {"\"a\" {", "\"a\" { \"b\" }", "}", "{ }", "\"a\"", "\"a\" \"b",
                            "\"a\" {\n\"b\" \"c\"\n}\n}"}) {
    EXPECT_THROW(LireVdf(texte), ErreurVdf) << texte;
  }
  try {
    LireVdf("\"a\"\n{\n\"b\" \"c\"\n\"d\"\n}");
    FAIL();
  } catch (const ErreurVdf& e) {
    EXPECT_STREQ(e.what(), "texte Steam incorrect, ligne 5 : la clé « d » n'a pas de valeur");
  }
}

TEST(VdfTest, NestingIsBounded) {
  std::string juste, trop;
  for (std::size_t i = 0; i < kProfondeurVdf; ++i) juste += "a {";
  juste += std::string(kProfondeurVdf, '}');
  EXPECT_NO_THROW(LireVdf(juste));
  for (int i = 0; i < 1000000; ++i) trop += "a{";
  EXPECT_THROW(LireVdf(trop), ErreurVdf);
}

// 20,000 tries of `lire` (which throws ErreurVdf to refuse): one in five on random bytes drawn
// from `morceaux`, the others on one of `graines` mutated up to `mutations` times (a byte drawn,
// erased, changed, or a piece of it copied elsewhere). Each is read or refused, many of both, and
// quickly: the point is that no data makes a reader loop.
template <typename Lire>
void Muter(const std::vector<std::string>& graines, std::string_view morceaux, unsigned mutations,
           std::uint32_t graine, Lire lire) {
  std::mt19937 alea(graine);
  auto morceau = [&] { return morceaux[alea() % morceaux.size()]; };
  const auto debut = std::chrono::steady_clock::now();
  int lus = 0, refuses = 0;
  for (int essai = 0; essai < 20000; ++essai) {
    std::string t;
    if (essai % 5 == 4) {
      t.resize(alea() % 300);
      for (char& c : t) c = morceau();
    } else {
      t = graines[alea() % graines.size()];
      for (unsigned m = 1 + alea() % mutations; m > 0; --m) {
        const std::size_t at = alea() % (t.size() + 1);
        switch (alea() % 4) {
          case 0: t.insert(at, 1, morceau()); break;
          case 1: if (at < t.size()) t.erase(at, 1 + alea() % 8); break;
          case 2: if (at < t.size()) t[at] = static_cast<char>(alea()); break;
          default: t.insert(at, t.substr(alea() % t.size(), alea() % 40)); break;
        }
      }
    }
    try {
      lire(t);
      ++lus;
    } catch (const ErreurVdf&) {
      ++refuses;
    }
  }
  EXPECT_GT(lus, 1000);
  EXPECT_GT(refuses, 1000);
  EXPECT_LT(std::chrono::steady_clock::now() - debut, std::chrono::seconds(60));
}

// Random mutations of real files and random bytes.
TEST(VdfTest, MutatedAndRandomTextsNeverCrashNorHang) {
  const std::vector<std::string> graines = {
      "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"/home/u/.local/share/Steam\"\n"
      "\t\t\"apps\"\n\t\t{\n\t\t\t\"228980\"\t\t\"29212173\"\n\t\t}\n\t}\n}\n",
      "\"LibraryFolders\"\n{\n\t\"TimeNextStatsReport\"\t\t\"1\"\n\t\"1\"\t\t\"/mnt/x\"\n}\n",
      "\"AppState\"\n{\n\t\"appid\"\t\t\"10\"\n\t\"name\"\t\t\"Jeu \\\"cité\\\"\"\n"
      "\t\"UserConfig\"\n\t{\n\t\t\"language\"\t\t\"french\"\n\t}\n}\n"};
  Muter(graines, std::string_view("\"{}\\/\n []$a\0\xff", 13), 6, 20261207,
        [](const std::string& t) {
          const NoeudVdf v = LireVdf(t);
          for (const NoeudVdf& e : v.enfants) (void)e.Valeur("path");
        });
}

// shortcuts.vdf as Steam writes it, two users' worth.
std::string Raccourcis() {
  EcritVdfBinaire v;
  v.Bloc("shortcuts").Raccourci(0, 3141592653u, "Stratégie « Antique »");
  return v.Raccourci(1, 0, "Vieux", "\"/opt/v.exe\"", "appname").Fin().Fin().Octets();
}

TEST(VdfTest, BinaryKeyValuesAsSteamWritesThem) {
  const NoeudVdf v = LireVdfBinaire(Raccourcis());
  ASSERT_EQ(v.enfants.size(), 1u);
  const NoeudVdf* r = v.Enfant("Shortcuts");
  ASSERT_NE(r, nullptr);
  ASSERT_EQ(r->enfants.size(), 2u);
  const NoeudVdf& premier = r->enfants[0];
  EXPECT_TRUE(premier.bloc);
  EXPECT_EQ(premier.cle, "0");
  EXPECT_EQ(premier.Valeur("appid"), "3141592653");  // unsigned, as the prefix's folder
  EXPECT_EQ(premier.Valeur("appname"), "Stratégie « Antique »");
  EXPECT_EQ(premier.Valeur("Exe"), "\"/opt/jeu/jeu.exe\"");
  EXPECT_EQ(premier.Valeur("LastPlayTime"), "1700000000");
  EXPECT_EQ(premier.Valeur("icon"), "");
  ASSERT_NE(premier.Enfant("tags"), nullptr);
  EXPECT_EQ(premier.Enfant("tags")->Valeur("0"), "favorite");
  EXPECT_EQ(r->enfants[1].Enfant("appid"), nullptr);
  EXPECT_EQ(r->enfants[1].Valeur("AppName"), "Vieux");

  // The other types: a real, four-byte pointer and colour, 64-bit numbers; the outermost block
  // may end with the data.
  const std::string autres(
      "\x03r\0\x00\x00\xc0\x3f"
      "\x04p\0\x01\x00\x00\x00"
      "\x06"
      "c\0\xff\x00\x00\x80"
      "\x07u\0\xff\xff\xff\xff\xff\xff\xff\xff"
      "\x0Ai\0\xfe\xff\xff\xff\xff\xff\xff\xff"
      "\x01\0\0",
      46);
  const NoeudVdf a = LireVdfBinaire(autres);
  EXPECT_EQ(a.Valeur("r"), "1.5");
  EXPECT_EQ(a.Valeur("p"), "1");
  EXPECT_EQ(a.Valeur("c"), "2147483903");
  EXPECT_EQ(a.Valeur("u"), "18446744073709551615");
  EXPECT_EQ(a.Valeur("i"), "-2");
  ASSERT_EQ(a.enfants.size(), 6u);
  EXPECT_EQ(a.enfants[5].cle, "");
  EXPECT_TRUE(LireVdfBinaire("").enfants.empty());
  EXPECT_TRUE(LireVdfBinaire(std::string(1, '\x08')).enfants.empty());
}

TEST(VdfTest, BinaryDataTruncatedOrMalformedIsRefusedWithItsOffset) {
  // Cut anywhere, the file is refused, except when only the outermost end is missing.
  const std::string entier = Raccourcis();
  for (std::size_t n = 1; n + 1 < entier.size(); ++n) {
    EXPECT_THROW(LireVdfBinaire(entier.substr(0, n)), ErreurVdf) << n;
  }
  EXPECT_NO_THROW(LireVdfBinaire(entier.substr(0, entier.size() - 1)));
  for (const std::string& faux : {entier + '\0', entier + "\x08", std::string("\x05k\0a\0\0\0", 7),
                                  std::string("\x0Bk\0", 3), std::string("\x09k\0", 3)}) {
    EXPECT_THROW(LireVdfBinaire(faux), ErreurVdf) << faux.size();
  }
  try {
    LireVdfBinaire(
        std::string("\0a\0\x01"
                    "b\0c\0\x02n\0\x01\x02",
                    13));
    FAIL();
  } catch (const ErreurVdf& e) {
    EXPECT_STREQ(e.what(), "données Steam binaires incorrectes, octet 11 : nombre tronqué");
  }
}

TEST(VdfTest, BinaryNestingAndEntriesAreBounded) {
  std::string juste, trop;
  for (std::size_t i = 0; i < kProfondeurVdf; ++i) juste += std::string("\0a\0", 3);
  juste += std::string(kProfondeurVdf, '\x08');
  EXPECT_NO_THROW(LireVdfBinaire(juste));
  for (int i = 0; i < 1000000; ++i) trop += std::string("\0\0", 2);
  EXPECT_THROW(LireVdfBinaire(trop), ErreurVdf);
  // Many small entries: refused past the bound, before they take the memory they would.
  EcritVdfBinaire nombreux;
  for (std::size_t i = 0; i < kEntreesVdfBinaire; ++i) nombreux.Entier("", 0);
  EXPECT_EQ(LireVdfBinaire(nombreux.Octets()).enfants.size(), kEntreesVdfBinaire);
  EXPECT_THROW(LireVdfBinaire(nombreux.Entier("", 0).Octets()), ErreurVdf);
}

// Random mutations of a real file and random bytes.
TEST(VdfTest, BinaryMutatedAndRandomDataNeverCrashNorHang) {
  Muter({Raccourcis()}, std::string_view("\0\x01\x02\x03\x07\x08\x0A" "a\xff", 9), 4, 20261208,
        [](const std::string& t) {
          const NoeudVdf v = LireVdfBinaire(t);
          if (const NoeudVdf* r = v.Enfant("shortcuts")) {
            for (const NoeudVdf& e : r->enfants) (void)e.Valeur("appid");
          }
        });
}

}  // namespace
