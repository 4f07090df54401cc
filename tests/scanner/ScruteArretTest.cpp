// Stopping a scan: from a handler, from a drain, by a failure.
#include <gmock/gmock.h>

#include <algorithm>
#include <stdexcept>

#include "tests/scanner/ArbreTemporaire.h"

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::SizeIs;
using Arret = ArbreTemporaire;

namespace {

std::string Parent(const std::string& chemin) {
  return chemin.substr(0, chemin.rfind('\\'));
}

}  // namespace

class ArretArbre : public ArbreTemporaire {
 protected:
  // Every folder down to level 2 holds f.tmp and the sub-folders a and b; level 3 holds f.tmp.
  void SetUp() override {
    ArbreTemporaire::SetUp();
    for (std::string un : {"a/", "b/"})
      for (std::string deux : {"a/", "b/"})
        for (std::string trois : {"a/", "b/"}) {
          const std::string c = "t/" + un + deux + trois;
          Cree({c + "f.tmp", "t/" + un + deux + "f.tmp", "t/" + un + "f.tmp", "t/f.tmp"});
        }
  }
};

TEST_F(ArretArbre, StopInOnFichierEndsListingAndLetsEachOpenLevelReportOneFolder) {
  // At the first file: its level reports one sub-folder and ends.
  s.OnFichier = [&](TScruteDossier& sender, const std::string& nom) {
    rapports.push_back("F " + nom);
    sender.Arret = true;
  };
  auto r = Scrute();
  ASSERT_THAT(r, SizeIs(4));
  EXPECT_EQ(r[1], R"(F c:\t\f.tmp)");
  EXPECT_EQ(Parent(r[2]), R"(D c:\t)");
  EXPECT_EQ(r[3], "Z");

  // At the first file of level 2: levels 2, 1 and 0 each report one more sub-folder, none entered.
  s.OnFichier = [&](TScruteDossier& sender, const std::string& nom) {
    rapports.push_back("F " + nom);
    if (std::count(nom.begin(), nom.end(), '\\') == 4) sender.Arret = true;
  };
  r = Scrute();
  ASSERT_GE(r.size(), 5u);
  const std::vector<std::string> fin(r.end() - 5, r.end());
  const std::string arrete = Parent(fin[0].substr(2));  // c:\t\X\Y
  ASSERT_EQ(fin[0][0], 'F');
  EXPECT_EQ(Parent(fin[1].substr(2)), arrete);
  EXPECT_EQ(Parent(fin[2].substr(2)), Parent(arrete));
  EXPECT_NE(fin[2].substr(2), arrete);
  EXPECT_EQ(Parent(fin[3].substr(2)), R"(c:\t)");
  EXPECT_NE(fin[3].substr(2), Parent(arrete));
  EXPECT_EQ(fin[4], "Z");
  EXPECT_EQ(std::count_if(r.begin(), r.end(), [](auto& x) { return x[0] == 'F'; }), 3);
}

TEST_F(Arret, StopDuringADrainLetsTheFetchedEntryOrTheNextFileThrough) {
  Cree({"t/a.tmp", "t/b.tmp", "t/c.tmp", "t/s.tmp/", "t/s.tmp/d.tmp"});
  s.Filtre = "*.tmp";
  int vidages = 0;
  int arretAu = 0;  // the drain that sets Arret, like a click on the stop zone
  s.TraiterMessages = [&] {
    rapports.push_back("V");
    if (++vidages == arretAu) s.Arret = true;
  };
  // Drains: before each of the four entries of c:\t's listing, before d.tmp, after s.tmp.
  auto r = Scrute();
  ASSERT_EQ(vidages, 6);
  // The drain of the folder entry s.tmp is the one that no file report follows.
  int avant = 0;
  std::size_t i = 1;
  for (; r[i] == "V" && r[i + 1][0] == 'F'; i += 2) ++avant;
  ASSERT_EQ(r[i], "V");
  std::vector<std::string> attendu(r.begin(), r.begin() + i);
  // A stop seen there still lets the next file through (if any is left), then the level
  // reports its one sub-folder and ends.
  if (r[i + 1] == "V")
    attendu.insert(attendu.end(), {"V", "V", r[i + 2]});
  else
    attendu.push_back("V");
  attendu.insert(attendu.end(), {R"(D c:\t\s.tmp)", "Z"});
  vidages = 0;
  arretAu = avant + 1;
  EXPECT_THAT(Scrute(), ElementsAreArray(attendu));

  // A stop seen before a file entry: that file still, then no other.
  const int k = avant > 0 ? 1 : 2;
  std::size_t p = 0;
  for (int n = 0;; ++p)
    if (r[p] == "V" && ++n == k) break;
  attendu.assign(r.begin(), r.begin() + p + 2);
  attendu.insert(attendu.end(), {R"(D c:\t\s.tmp)", "Z"});
  vidages = 0;
  arretAu = k;
  EXPECT_THAT(Scrute(), ElementsAreArray(attendu));

  // The stop is seen after a file entry even when no one listens to files.
  s.OnFichier = nullptr;
  vidages = 0;
  Scrute();
  EXPECT_EQ(vidages, k);
}

TEST_F(Arret, StopDuringTheDrainAfterAFolderReportsOneMoreFolder) {
  Cree({"t/u/", "t/v/", "t/w/"});
  s.Filtre = "*.tmp";
  s.SousDossier = false;
  s.TraiterMessages = [&] { s.Arret = true; };
  auto r = Scrute();
  ASSERT_THAT(r, SizeIs(4));
  EXPECT_EQ(r[1][0], 'D');
  EXPECT_EQ(r[2][0], 'D');
}

TEST_F(ArretArbre, NextExecuteClearsArret) {
  s.Arret = true;
  EXPECT_THAT(Scrute(), SizeIs(2 + 15 + 14));
  bool arreter = true;
  s.OnDossier = [&](TScruteDossier& sender, const std::string& nom) {
    rapports.push_back("D " + nom);
    if (arreter) sender.Arret = true;
  };
  EXPECT_THAT(Scrute(), SizeIs(4));  // X, F c:\t\f.tmp, D, Z
  arreter = false;
  EXPECT_THAT(Scrute(), SizeIs(2 + 15 + 14));
  // The description of the last report does not outlive the scan's start.
  s.OnFinExecute = [&](TScruteDossier& sender) {
    EXPECT_EQ(sender.Fichier(), "");
    EXPECT_EQ(sender.DossierCourant(), "");
    EXPECT_EQ(sender.TailleFichier(), 0u);
  };
  s.Dossier = "c:\\absent";
  Scrute();
}

TEST_F(ArretArbre, FailureInAHandlerEndsTheScanAndClosesEverySearch) {
  const auto profond = [](const std::string& nom) { return nom.ends_with(R"(\b\a\b)"); };
  const auto echoue = [](const std::string& ou) { throw std::runtime_error("échec " + ou); };
  for (int source = 0; source < 3; ++source) {
    SCOPED_TRACE(source);
    Enregistre();
    int vidages = 0;
    if (source == 0)
      s.OnFichier = [&](TScruteDossier&, const std::string& n) {
        if (profond(Parent(n))) echoue(n);
      };
    if (source == 1)
      s.OnDossier = [&](TScruteDossier&, const std::string& n) {
        if (profond(n)) echoue(n);
      };
    if (source == 2)
      s.TraiterMessages = [&] {
        if (++vidages == 20) echoue("vidage");
      };
    rapports.clear();
    const int ouverts = os::testing::openHandles();
    EXPECT_THROW(s.Execute(), std::runtime_error);
    EXPECT_EQ(os::testing::openHandles(), ouverts);
    EXPECT_THAT(rapports, ::testing::Not(::testing::Contains("Z")));
  }
  Enregistre();
  EXPECT_THAT(Scrute(), SizeIs(2 + 15 + 14));
}
