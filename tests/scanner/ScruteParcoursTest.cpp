// What one scan reports, and in which order.
#include <gmock/gmock.h>

#include <algorithm>
#include <map>

#include "platform/Attributes.h"
#include "tests/scanner/ArbreTemporaire.h"
#include "tests/support/Systeme.h"

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::Key;
using ::testing::SizeIs;
using ::testing::UnorderedElementsAre;
using Parcours = ArbreTemporaire;

namespace {

std::string Parent(const std::string& rapport) {
  return rapport.substr(0, rapport.rfind('\\'));
}

// Depth first: the reports beneath a sub-folder come right after its own report, and the files of
// a folder come before its sub-folders.
void VerifieOrdre(const std::vector<std::string>& r) {
  for (std::size_t i = 0; i < r.size(); ++i) {
    if (r[i][0] == 'D') {
      const std::string dessous = r[i].substr(2) + "\\";
      std::size_t fin = i;
      for (std::size_t j = i + 1; j < r.size(); ++j)
        if (r[j].find(dessous) == 2) fin = j;
      for (std::size_t j = i + 1; j <= fin; ++j)
        EXPECT_EQ(r[j].find(dessous), 2u) << r[j] << " breaks the block of " << r[i];
    } else if (r[i][0] == 'F') {
      for (std::size_t j = 0; j < i; ++j) {
        if (r[j][0] != 'D') continue;
        EXPECT_NE(Parent(r[j].substr(2)), Parent(r[i].substr(2))) << r[i] << " after " << r[j];
      }
    }
  }
}

}  // namespace

TEST_F(Parcours, DepthLimitListsLevelsZeroToNAndReportsFoldersOneLevelDeeper) {
  Cree({"t/f0.tmp", "t/a/f1.tmp", "t/a/b/f2.tmp", "t/a/b/c/f3.tmp"});
  const std::vector<std::string> complet = {"X",
                                            R"(F c:\t\f0.tmp)",
                                            R"(D c:\t\a)",
                                            R"(F c:\t\a\f1.tmp)",
                                            R"(D c:\t\a\b)",
                                            R"(F c:\t\a\b\f2.tmp)",
                                            R"(D c:\t\a\b\c)",
                                            R"(F c:\t\a\b\c\f3.tmp)",
                                            "Z"};
  auto sans = [&](std::initializer_list<int> retires) {
    std::vector<std::string> r;
    for (int i = 0; i < int(complet.size()); ++i)
      if (std::find(retires.begin(), retires.end(), i) == retires.end()) r.push_back(complet[i]);
    return r;
  };
  s.MaxPenetration = -1;
  EXPECT_THAT(Scrute(), ElementsAre("X", "Z"));
  s.MaxPenetration = 0;
  EXPECT_THAT(Scrute(), ElementsAreArray(sans({3, 4, 5, 6, 7})));
  s.MaxPenetration = 1;
  EXPECT_THAT(Scrute(), ElementsAreArray(sans({5, 6, 7})));
  s.MaxPenetration = 2;
  EXPECT_THAT(Scrute(), ElementsAreArray(sans({7})));
  s.MaxPenetration = 10000;
  EXPECT_THAT(Scrute(), ElementsAreArray(complet));
  s.SousDossier = false;
  EXPECT_THAT(Scrute(), ElementsAreArray(sans({3, 4, 5, 6, 7})));
}

TEST_F(Parcours, WalksDepthFirstAndAppliesTheMaskToFilesOnly) {
  Cree({"t/un.tmp", "t/DEUX.TMP", "t/garde.txt", "t/LISEZMOI", "t/x.tmp/dans.tmp", "t/TEMP/a.tmp",
        "t/TEMP/b.log", "t/TEMP/sous/c.tmp", "t/TEMP/vide/", "t/z/d.tmp"});
  // A name that is not one Windows path component would name another file once reported.
  std::ofstream{c_ / "t" / "..\\evade.tmp"};
  s.Filtre = "*.tmp";
  auto r = Scrute();
  EXPECT_THAT(
      r, UnorderedElementsAre("X", R"(F c:\t\un.tmp)", R"(F c:\t\DEUX.TMP)", R"(D c:\t\x.tmp)",
                              R"(F c:\t\x.tmp\dans.tmp)", R"(D c:\t\TEMP)", R"(F c:\t\TEMP\a.tmp)",
                              R"(D c:\t\TEMP\sous)", R"(F c:\t\TEMP\sous\c.tmp)",
                              R"(D c:\t\TEMP\vide)", R"(D c:\t\z)", R"(F c:\t\z\d.tmp)", "Z"));
  ASSERT_EQ(r.size(), 13u);
  EXPECT_EQ(r.front(), "X");
  EXPECT_EQ(r.back(), "Z");
  VerifieOrdre({r.begin() + 1, r.end() - 1});

  s.Filtre = "*.*";  // every name, those without a dot included
  s.SousDossier = false;
  EXPECT_THAT(Scrute(),
              UnorderedElementsAre("X", R"(F c:\t\un.tmp)", R"(F c:\t\DEUX.TMP)",
                                   R"(F c:\t\garde.txt)", R"(F c:\t\LISEZMOI)", R"(D c:\t\x.tmp)",
                                   R"(D c:\t\TEMP)", R"(D c:\t\z)", "Z"));
}

TEST_F(Parcours, ReportsHiddenSystemAndReadOnlyFilesAndEntersHiddenSystemFolders) {
  Cree({"t/cache.tmp", "t/sys.tmp", "t/lecture.tmp", "t/tout.tmp", "t/prive/dedans.tmp"});
  os::testing::setFileAttributes(lecteur, R"(c:\t\cache.tmp)", os::attr::Hidden);
  os::testing::setFileAttributes(lecteur, R"(c:\t\sys.tmp)", os::attr::System);
  os::testing::setFileAttributes(lecteur, R"(c:\t\lecture.tmp)", os::attr::ReadOnly);
  os::testing::setFileAttributes(lecteur, R"(c:\t\tout.tmp)",
                                 os::attr::ReadOnly | os::attr::Hidden | os::attr::System);
  os::testing::setFileAttributes(lecteur, R"(c:\t\prive)", os::attr::Hidden | os::attr::System);
  s.Filtre = "*.tmp";
  EXPECT_THAT(Scrute(), UnorderedElementsAre("X", R"(F c:\t\cache.tmp)", R"(F c:\t\sys.tmp)",
                                             R"(F c:\t\lecture.tmp)", R"(F c:\t\tout.tmp)",
                                             R"(D c:\t\prive)", R"(F c:\t\prive\dedans.tmp)", "Z"));
}

TEST_F(Parcours, DescribesEachFileWithItsPathNameAndFull64BitSize) {
  Cree({"t/gros.bin", "r.tmp"});
  const std::uint64_t taille = (std::uint64_t{5} << 30) + 7;  // sparse: no disk used
  std::filesystem::resize_file(c_ / "t" / "gros.bin", taille);
  std::vector<std::string> vus;
  s.OnFichier = [&](TScruteDossier& sender, const std::string& nom) {
    EXPECT_EQ(&sender, &s);
    EXPECT_EQ(nom, sender.Fichier());
    vus.push_back(nom + " | " + std::string(sender.NomFichier()) + " | " +
                  std::to_string(sender.TailleFichier()));
  };
  s.Dossier = "c:\\t\\";  // one final "\" is dropped
  Scrute();
  s.Dossier = "C:\\";
  s.Filtre = "r.tmp";
  s.SousDossier = false;
  Scrute();
  EXPECT_THAT(vus,
              ElementsAre(R"(c:\t\gros.bin | gros.bin | 5368709127)", R"(C:\r.tmp | r.tmp | 0)"));
}

TEST_F(Parcours, EmptyFolderOrMaskWithASeparatorReportsNothing) {
  Cree({"r.tmp", "t/a.tmp"});
  s.Filtre = "*.tmp";
  for (const char* dossier : {"", "\\"}) {
    s.Dossier = dossier;
    EXPECT_THAT(Scrute(), ElementsAre("X", "Z")) << "Dossier \"" << dossier << '"';
  }
  // Searched as c:\t\*.tmp, the match would be reported as c:\a.tmp: another file.
  s.Dossier = "c:\\";
  s.SousDossier = false;
  for (const char* masque : {"t\\*.tmp", "t/*.tmp", "c:*.tmp"}) {
    s.Filtre = masque;
    for (const auto& r : Scrute()) EXPECT_NE(r[0], 'F') << masque << ": " << r;
  }
}

// The same path on another drive is another folder; without a drive nothing is scanned.
TEST_F(Parcours, WalksTheDriveItIsGivenAndNothingWithoutOne) {
  Cree({"t/ici.tmp"});
  LecteurTemporaire autre("tidora-scrute");
  autre.Creer("c:\\t\\ailleurs.tmp");
  EXPECT_THAT(Scrute(), ElementsAre("X", R"(F c:\t\ici.tmp)", "Z"));
  s.Lecteur = &*autre;
  EXPECT_THAT(Scrute(), ElementsAre("X", R"(F c:\t\ailleurs.tmp)", "Z"));
  s.Lecteur = nullptr;
  EXPECT_THAT(Scrute(), ElementsAre("X", "Z"));
}

// A folder's place is asked once, before its first file, only when its listing reports one, and
// goes with each of its files.
TEST_F(Parcours, AsksEachFolderReportingFilesItsPlaceOnceAndGivesItToEachFile) {
  Cree({"t/a.tmp", "t/b.tmp", "t/garde.txt", "t/sous/c.tmp", "t/sous/d.tmp", "t/sous/e.tmp",
        "t/rien/x.txt", "t/vide/"});
  s.Filtre = "*.tmp";
  std::map<std::string, int> lieux;
  s.OnLieu = [&](TScruteDossier&, const std::string& dossier) {
    EXPECT_FALSE(lieux.contains(dossier)) << dossier << " asked twice";
    const int lieu = static_cast<int>(lieux.size()) + 1;  // a place of its own for each
    return lieux[dossier] = lieu;
  };
  s.OnFichier = [&](TScruteDossier& sender, const std::string& nom) {
    rapports.push_back("F " + nom);
    EXPECT_TRUE(lieux.contains(Parent(nom))) << nom << " came before its folder's place";
    EXPECT_EQ(sender.LieuFichier(), lieux[Parent(nom)]) << nom;
  };
  EXPECT_THAT(Scrute(), SizeIs(2 + 5 + 3));
  EXPECT_THAT(lieux, ElementsAre(Key(R"(c:\t)"), Key(R"(c:\t\sous)")));
  s.OnLieu = nullptr;  // no one to ask: place 0
  s.OnFichier = [&](TScruteDossier& sender, const std::string&) {
    EXPECT_EQ(sender.LieuFichier(), 0);
  };
  Scrute();
}

TEST_F(Parcours, ReportsDirectoryLinksWithoutEnteringThem) {
  Cree({"dehors/secret.tmp", "t/a/x.tmp"});
  ASSERT_TRUE(LienDossier(c_ / "dehors", c_ / "t" / "lien"));
  ASSERT_TRUE(LienDossier("../..", c_ / "t" / "a" / "boucle"));
  ASSERT_TRUE(LienDossier(c_ / "t", c_ / "t" / "a" / "retour"));
  s.MaxPenetration = 20;  // a walk that follows the loops fails here rather than running on
  EXPECT_THAT(Scrute(),
              UnorderedElementsAre("X", R"(D c:\t\lien)", R"(D c:\t\a)", R"(F c:\t\a\x.tmp)",
                                   R"(D c:\t\a\boucle)", R"(D c:\t\a\retour)", "Z"));
}

TEST_F(Parcours, FolderThatVanishedBeforeItsListingIsSkipped) {
  Cree({"t/a/x.tmp", "t/b/y.tmp", "t/c/z.tmp"});
  // Gone between its report and its listing: holds even for root, unlike permissions.
  s.OnDossier = [&](TScruteDossier&, const std::string& nom) {
    rapports.push_back("D " + nom);
    if (nom.ends_with("\\b")) std::filesystem::remove_all(c_ / "t" / "b");
  };
  EXPECT_THAT(Scrute(), UnorderedElementsAre("X", R"(D c:\t\a)", R"(F c:\t\a\x.tmp)", R"(D c:\t\b)",
                                             R"(D c:\t\c)", R"(F c:\t\c\z.tmp)", "Z"));
}

TEST_F(Parcours, FolderWithoutReadPermissionIsSkipped) {
  Cree({"t/ferme/w.tmp"});
  std::filesystem::permissions(c_ / "t" / "ferme", std::filesystem::perms::none);
  std::error_code lisible;
  std::filesystem::directory_iterator(c_ / "t" / "ferme", lisible);
  if (!lisible) GTEST_SKIP() << "this user reads any folder whatever its permissions";
  s.Dossier = "c:\\t\\ferme";
  EXPECT_THAT(Scrute(), ElementsAre("X", "Z"));
}

// Each folder the scan lists is shown once, open, before its files are reported; a sub-folder
// OnEntrer refuses, asked right after its report, is neither listed nor entered, and nothing
// below it is reported.
TEST_F(Parcours, ShowsEachListedFolderBeforeItsFilesAndEntersOnlyWhereAllowed) {
  Cree({"t/a.tmp", "t/garde/b.tmp", "t/garde/sous/c.tmp", "t/hors/d.tmp", "t/hors/sous/e.tmp",
        "t/vide/"});
  ASSERT_TRUE(LienDossier(c_ / "t" / "garde", c_ / "t" / "lien"));
  s.Filtre = "*.tmp";
  s.OnListe = [&](TScruteDossier& sender, os::Folder& d) {
    EXPECT_EQ(&sender, &s);
    rapports.push_back("L " + d.path() + " " + std::to_string(d.count()));
  };
  s.OnEntrer = [&](TScruteDossier&, const std::string& d) {
    EXPECT_EQ(rapports.back(), "D " + d);
    return !d.ends_with("\\hors");
  };
  const std::vector<std::string> r = Scrute();
  EXPECT_THAT(r, UnorderedElementsAre("X", R"(L c:\t 5)", R"(F c:\t\a.tmp)", R"(D c:\t\garde)",
                                      R"(L c:\t\garde 2)", R"(F c:\t\garde\b.tmp)",
                                      R"(D c:\t\garde\sous)", R"(L c:\t\garde\sous 1)",
                                      R"(F c:\t\garde\sous\c.tmp)", R"(D c:\t\hors)",
                                      R"(D c:\t\vide)", R"(L c:\t\vide 0)", R"(D c:\t\lien)", "Z"));
  for (std::size_t i = 0; i < r.size(); ++i) {
    if (r[i][0] != 'F') continue;
    const auto liste = std::find_if(r.begin(), r.end(), [&](const std::string& x) {
      return x.starts_with("L " + Parent(r[i].substr(2)) + " ");
    });
    EXPECT_LT(liste - r.begin(), static_cast<std::ptrdiff_t>(i)) << r[i];
  }
}
