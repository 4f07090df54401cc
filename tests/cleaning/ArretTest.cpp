// Stops, re-entry and plan changes arriving while the scanner drains the queue.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/Registry.h"
#include "tests/cleaning/Environnement.h"

namespace {

using ::testing::ElementsAre;
using Liste = std::vector<std::string>;

class Arret : public EnvironnementMenage {
 protected:
  // Three files per pass so that a stop after the first still leaves one unreported.
  void SetUp() override {
    EnvironnementMenage::SetUp();
    for (const char* n : {"\\c1.htm", "\\c2.htm", "\\c3.htm"}) Creer(cache + n);
    Creer(historique + "\\h.url");
    Creer(temp + "\\t.txt");
    CreerDossier(temp + "\\vide");
    for (const char* n : {"\\p1.tmp", "\\p2.tmp", "\\p3.tmp"})
      Creer("C:\\Projets" + std::string(n));
    Creer("C:\\Projets\\q.bak");
    for (const char* n : {"\\s1.cab", "\\s2.cab", "\\s3.cab"}) Creer(sbdr + n);
    lecteur.createKey(kAdresses).setString("url1", "http://x");
    lecteur.createKey(kRecherches).setString("a", "*.doc");
    PlanComplet();
  }

  // Stops the run, from the drain, once the pass that `dans` recognises has deleted one of the
  // three files `fichiers`.
  void StopperDans(std::function<bool()> dans, Liste fichiers) {
    pendantDrain = [this, dans, fichiers] {
      int partis = 0;
      for (const auto& f : fichiers) partis += Existe(f) ? 0 : 1;
      if (!arrete && dans() && partis >= 1) {
        arrete = true;
        menage.Stopper();
      }
    };
  }
  int Restants(const Liste& fichiers) {
    int n = 0;
    for (const auto& f : fichiers) n += Existe(f) ? 1 : 0;
    return n;
  }
  // What no pass after the stop may touch, and the end that still comes.
  void VerifierFin(std::uint64_t nbFichiers) {
    EXPECT_TRUE(arrete);
    EXPECT_EQ(menage.NbFichiers, nbFichiers);
    EXPECT_THAT(lecteur.openKey(kAdresses)->valueNames(), ElementsAre("url1"));
    EXPECT_THAT(lecteur.openKey(kRecherches)->valueNames(), ElementsAre("a"));
    EXPECT_TRUE(Existe(temp + "\\vide"));
    EXPECT_EQ(fenetre.enCours.back(), "FIN");
    EXPECT_EQ(fenetre.messages,
              Liste{std::to_string(nbFichiers) + " fichiers pour un total de\r1 kO"});
    EXPECT_FALSE(menage.EnCours());
  }

  bool arrete = false;
  const Liste cabs = {sbdr + "\\s1.cab", sbdr + "\\s2.cab", sbdr + "\\s3.cab"};
  const Liste tmps = {"C:\\Projets\\p1.tmp", "C:\\Projets\\p2.tmp", "C:\\Projets\\p3.tmp"};
};

TEST_F(Arret, InAFolderPassNoFurtherPassStarts) {
  const Liste caches = {cache + "\\c1.htm", cache + "\\c2.htm", cache + "\\c3.htm"};
  StopperDans([this] { return scrute.Dossier == cache; }, caches);
  menage.Lancer();
  EXPECT_EQ(Restants(caches), 1);  // the one more file handed over was still deleted
  for (const auto& f :
       {historique + "\\h.url", temp + "\\t.txt", std::string("C:\\Projets\\q.bak")})
    EXPECT_TRUE(Existe(f)) << f;
  EXPECT_EQ(Restants(tmps), 3);
  EXPECT_EQ(Restants(cabs), 3);
  EXPECT_THAT(fenetre.enCours, ElementsAre(LibellesDossiers[0], "FIN"));
  VerifierFin(2);
}

TEST_F(Arret, InAMaskPassNoFurtherPassStarts) {
  StopperDans([this] { return scrute.Filtre == "*.tmp"; }, tmps);
  menage.Lancer();
  EXPECT_EQ(Restants(tmps), 1);
  EXPECT_TRUE(Existe("C:\\Projets\\q.bak"));
  EXPECT_EQ(Restants(cabs), 3);
  EXPECT_EQ(fenetre.enCours.end()[-2], "Recherche des fichiers *.tmp");
  VerifierFin(3 + 1 + 1 + 2);
}

TEST_F(Arret, InTheBackupPassPurgesAndFolderRemovalAreSkipped) {
  StopperDans([this] { return scrute.Filtre == "*.cab"; }, cabs);
  menage.Lancer();
  EXPECT_EQ(Restants(cabs), 1);
  EXPECT_EQ(Restants(tmps), 0);
  VerifierFin(3 + 1 + 1 + 3 + 1 + 2);
}

TEST_F(Arret, HasNoLastingEffect) {
  menage.Stopper();  // no run: forgotten
  StopperDans([this] { return scrute.Dossier == cache; },
              {cache + "\\c1.htm", cache + "\\c2.htm", cache + "\\c3.htm"});
  menage.Lancer();
  ASSERT_TRUE(arrete);
  pendantDrain = nullptr;
  menage.Lancer();  // the next run goes all the way
  EXPECT_EQ(Restants(cabs), 0);
  EXPECT_FALSE(Existe("C:\\Projets\\q.bak"));
  EXPECT_THAT(lecteur.openKey(kAdresses)->valueNames(), ElementsAre());
  EXPECT_FALSE(Existe(temp + "\\vide"));
  EXPECT_EQ(menage.NbFichiers, 1u + 1 + 1 + 3 + 1 + 3);
}

// A start click during a run does nothing: one run, one reset of the labels, one summary.
TEST_F(Arret, StartDuringARunIsIgnored) {
  pendantDrain = [this] { menage.Lancer(); };
  menage.Lancer();
  EXPECT_EQ(std::count(fenetre.nbFichiers.begin(), fenetre.nbFichiers.end(), "0"), 1);
  EXPECT_EQ(fenetre.messages.size(), 1u);
  EXPECT_EQ(menage.NbFichiers, 3u + 1 + 1 + 3 + 1 + 3);
}

// A validation during the run rebuilds the plan; the passes still to come follow the new one.
TEST_F(Arret, PlanRebuiltDuringTheRunIsFollowed) {
  Creer("C:\\Projets\\n.new");
  pendantDrain = [this] {
    if (scrute.Dossier != cache || plan.TableMotifs[0] == "*.new") return;
    TPlanMenage nouveau;
    nouveau.TableMotifs[0] = "*.new";
    nouveau.OptionsValidees = true;
    plan = nouveau;
  };
  menage.Lancer();
  EXPECT_FALSE(Existe("C:\\Projets\\n.new"));
  EXPECT_EQ(Restants(tmps), 3);
  EXPECT_TRUE(Existe(historique + "\\h.url"));
  EXPECT_THAT(fenetre.enCours,
              ElementsAre(LibellesDossiers[0], "Recherche des fichiers *.new", "FIN"));
  EXPECT_EQ(menage.NbFichiers, 4u);
}

}  // namespace
