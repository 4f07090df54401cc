// Steam's text format: what Steam writes, what hand edits leave, and any byte sequence at all
// (a mutation test: never a crash, never a hang, nesting bounded).
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>

#include "prefixes/Vdf.h"

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

// Random mutations of real files and random bytes: each text is read or refused, quickly.
TEST(VdfTest, MutatedAndRandomTextsNeverCrashNorHang) {
  const std::string graines[] = {
      "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"/home/u/.local/share/Steam\"\n"
      "\t\t\"apps\"\n\t\t{\n\t\t\t\"228980\"\t\t\"29212173\"\n\t\t}\n\t}\n}\n",
      "\"LibraryFolders\"\n{\n\t\"TimeNextStatsReport\"\t\t\"1\"\n\t\"1\"\t\t\"/mnt/x\"\n}\n",
      "\"AppState\"\n{\n\t\"appid\"\t\t\"10\"\n\t\"name\"\t\t\"Jeu \\\"cité\\\"\"\n"
      "\t\"UserConfig\"\n\t{\n\t\t\"language\"\t\t\"french\"\n\t}\n}\n"};
  const char morceaux[] = {'"', '{', '}', '\\', '/', '\n', ' ', '[', ']', '$', 'a', '\0', '\xff'};
  std::mt19937 alea(20261207);
  const auto debut = std::chrono::steady_clock::now();
  int lus = 0, refuses = 0;
  for (int essai = 0; essai < 20000; ++essai) {
    std::string t;
    if (essai % 5 == 4) {
      t.resize(alea() % 300);
      for (char& c : t) c = morceaux[alea() % sizeof morceaux];
    } else {
      t = graines[alea() % 3];
      for (unsigned m = 1 + alea() % 6; m > 0; --m) {
        const std::size_t at = alea() % (t.size() + 1);
        switch (alea() % 4) {
          case 0: t.insert(at, 1, morceaux[alea() % sizeof morceaux]); break;
          case 1: if (at < t.size()) t.erase(at, 1 + alea() % 8); break;
          case 2: if (at < t.size()) t[at] = static_cast<char>(alea()); break;
          default: t.insert(at, t.substr(alea() % t.size(), alea() % 40)); break;
        }
      }
    }
    try {
      const NoeudVdf v = LireVdf(t);
      ++lus;
      for (const NoeudVdf& e : v.enfants) (void)e.Valeur("path");
    } catch (const ErreurVdf&) {
      ++refuses;
    }
  }
  EXPECT_GT(lus, 1000);
  EXPECT_GT(refuses, 1000);
  // Generous: the point is that no text makes the reader loop.
  EXPECT_LT(std::chrono::steady_clock::now() - debut, std::chrono::seconds(60));
}

}  // namespace
