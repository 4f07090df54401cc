#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>
#include <utility>

#include "cleaning/DossierDangereux.h"
#include "cleaning/Executant.h"
#include "cleaning/LibellesDossiers.h"
#include "cleaning/MasqueDangereux.h"
#include "platform/Attributes.h"
#include "platform/Registry.h"
#include "platform/SystemError.h"
#include "tests/cleaning/Environnement.h"
#include "tests/support/Systeme.h"

namespace {

using Menage = EnvironnementMenage;
using ::testing::ElementsAre;
using Liste = std::vector<std::string>;

TEST(TexteTaille, KiloOctetsRoundedUp) {
  EXPECT_EQ(TMenage::TexteTaille(0), "0 kO");
  EXPECT_EQ(TMenage::TexteTaille(1), "1 kO");
  EXPECT_EQ(TMenage::TexteTaille(1024), "1 kO");
  EXPECT_EQ(TMenage::TexteTaille(1025), "2 kO");
  EXPECT_EQ(TMenage::TexteTaille(5ull << 30), "5242880 kO");
  EXPECT_EQ(TMenage::TexteTaille(~0ull), "18014398509481984 kO");
}

TEST(MasqueDangereux, OnlyMasksWithAFixedPartAndNoPath) {
  for (const char* m : {"", "*", "*.*", "?", "?*.?", "...", "a\\b", "*.tmp\\..", "c:*.tmp", "x/y"})
    EXPECT_TRUE(MasqueDangereux(m)) << m;
  for (const char* m : {"*.tmp", "*.~*", "*.$*", "*.---", "rapport?.doc", "~*", "a"})
    EXPECT_FALSE(MasqueDangereux(m)) << m;
}

// Every kind of trace goes, everything outside the plan stays, and the run says so.
TEST_F(Menage, FullPlanDeletesTracesOnlyAndReportsThem) {
  const Liste traces = {cache + "\\page.htm",
                        cache + "\\A1B2\\image.gif",
                        cache + "\\A1B2\\INDEX.DAT",
                        historique + "\\jour.url",
                        recents + "\\lettre.lnk",
                        cookies + "\\jean@site.txt",
                        temp + "\\x.txt",
                        temp + "\\sous\\profond\\double.tmp",
                        sbdr + "\\rb001.cab",
                        sbdr + "\\ancien\\rb002.cab",
                        "C:\\Projets\\a.tmp",
                        "C:\\Projets\\b.bak",
                        "C:\\Projets\\rapport1.doc",
                        "C:\\Projets\\c.$$$"};
  const Liste gardes = {cache + "\\index.dat",
                        historique + "\\MSHist\\index.dat",
                        sbdr + "\\rb001.txt",
                        "C:\\Projets\\rapport10.doc",
                        "C:\\Projets\\notes.doc",
                        "C:\\Projets\\a.tmpx",
                        "C:\\Profil\\Documents\\lettre.doc",
                        temp + "\\garde\\index.dat"};
  for (const auto& f : traces) Creer(f, 100);
  for (const auto& f : gardes) Creer(f, 100);
  using namespace os::attr;
  Creer(cache + "\\cache.tmp", 1000, ReadOnly | Hidden | System);  // also "*.tmp": once only
  CreerDossier(temp + "\\vide\\vide aussi");
  // A link in TEMP to a folder elsewhere: nothing is deleted or removed through it.
  Creer("C:\\Ailleurs\\garde.txt");
  CreerDossier("C:\\Ailleurs\\vide");
  ASSERT_TRUE(LienDossier(Hote("C:\\Ailleurs"), Hote(temp + "\\lien")));
  auto adresses = lecteur.createKey(kAdresses);
  for (const char* n : {"url1", "url2", "url4"}) adresses.setString(n, "http://x");
  auto recherches = lecteur.createKey(kRecherches);
  for (const char* n : {"MRUList", "a", "b"}) recherches.setString(n, "*.doc");
  PlanComplet();

  menage.Lancer();

  for (const auto& f : traces) EXPECT_FALSE(Existe(f)) << f;
  EXPECT_FALSE(Existe(cache + "\\cache.tmp"));
  for (const auto& f : gardes) EXPECT_TRUE(Existe(f)) << f;
  EXPECT_EQ(menage.NbFichiers, traces.size() + 1);
  EXPECT_EQ(menage.TailleTotale, traces.size() * 100 + 1000);
  EXPECT_EQ(menage.NbEchecs, 0u);
  // Emptied sub-folders of TEMP go, deepest first; TEMP itself and non-empty ones stay.
  for (const char* d : {"\\sous", "\\vide"}) EXPECT_FALSE(Existe(temp + d)) << d;
  EXPECT_TRUE(Existe(temp));
  for (const char* f : {"C:\\Ailleurs\\garde.txt", "C:\\Ailleurs\\vide"})
    EXPECT_TRUE(Existe(f)) << f;
  EXPECT_TRUE(Existe(temp + "\\lien"));
  EXPECT_TRUE(Existe(cache + "\\A1B2"));  // other folders are left alone
  EXPECT_THAT(Valeurs(kAdresses), ElementsAre("url4"));
  EXPECT_TRUE(lecteur.openKey(kRecherches));
  EXPECT_THAT(Valeurs(kRecherches), ElementsAre());

  Liste attendus(LibellesDossiers.begin(), LibellesDossiers.end());
  for (const char* m : {"*.tmp", "*.bak", "*.gid", "*.chk", "*.log", "*.old", "*.---", "*.~*",
                        "*.$*", "rapport?.doc"})
    attendus.push_back(std::string("Recherche des fichiers ") + m);
  attendus.push_back("FIN");
  EXPECT_EQ(fenetre.enCours, attendus);
  EXPECT_EQ(fenetre.nbFichiers.back(), "15");
  EXPECT_EQ(fenetre.tailles.back(), "3 kO");
  EXPECT_THAT(fenetre.messages, ElementsAre("15 fichiers pour un total de\r3 kO"));
  EXPECT_FALSE(menage.EnCours());
}

// What the run does to files, folders and registry values all goes through its executant: one
// that only records finds every file, empty folder and value a real run removes, in the same
// order, and nothing changes on disk nor in the registry.
TEST_F(Menage, EveryChangeGoesThroughTheExecutant) {
  struct Registre : IExecutant {
    explicit Registre(const os::Drive& d) : lecteur(d) {}
    const os::Drive& lecteur;
    Liste actions;
    const os::Drive& Lecteur() const override { return lecteur; }
    void Commencer() override {}
    bool DejaSupprime(const os::Folder&, std::string_view) override { return false; }
    std::optional<os::RegistryKey> OuvrirCle(std::string_view chemin) override {
      return lecteur.openKey(chemin);
    }
    void SupprimerFichier(const Entree& f) override {
      actions.push_back("fichier " + f.dossier.path() + "\\" + std::string(f.nom));
    }
    void SupprimerDossier(const os::Folder& d, std::string_view n) override {
      actions.push_back("dossier " + d.path() + "\\" + std::string(n));
    }
    void SupprimerValeurs(os::RegistryKey&, const std::vector<std::string>& noms) override {
      for (const std::string& n : noms) actions.push_back("valeur " + n);
    }
  } registre{lecteur};
  for (const std::string& f : {cache + "\\page.htm", cache + "\\index.dat", temp + "\\b.txt",
                               std::string("C:\\Projets\\c.tmp"), sbdr + "\\rb000.cab"}) {
    Creer(f);
  }
  CreerDossier(temp + "\\vide");
  lecteur.createKey(kAdresses).setString("url1", "http://x");
  lecteur.createKey(kRecherches).setString("MRUList", "a");
  PlanComplet();
  TMenage apercu(scrute, plan, fenetre, registre);
  apercu.Lancer();
  EXPECT_EQ(registre.actions,
            (Liste{"fichier " + cache + "\\page.htm", "fichier " + temp + "\\b.txt",
                   "fichier c:\\Projets\\c.tmp", "fichier " + sbdr + "\\rb000.cab", "valeur url1",
                   "valeur MRUList", "dossier " + temp + "\\vide"}));
  EXPECT_EQ(apercu.NbFichiers, 4u);
  EXPECT_EQ(apercu.NbEchecs, 0u);
  for (const std::string& f :
       {cache + "\\page.htm", temp + "\\b.txt", std::string("C:\\Projets\\c.tmp"),
        sbdr + "\\rb000.cab", temp + "\\vide"}) {
    EXPECT_TRUE(Existe(f)) << f;
  }
  EXPECT_THAT(Valeurs(kAdresses), ElementsAre("url1"));
  EXPECT_THAT(Valeurs(kRecherches), ElementsAre("MRUList"));
}

// The exemption is by exact name, under folder passes and mask passes alike.
TEST_F(Menage, IndexDatIsSkippedByExactNameOnly) {
  Creer(temp + "\\index.dat");
  Creer(temp + "\\sous\\Index.dat");  // one spelling per folder, as on Windows
  Creer("C:\\Donnees\\index.dat");
  Creer("C:\\Donnees\\Autres\\INDEX.DAT");
  plan.TableDossiers[4] = temp;
  plan.TableMotifs[10] = "*.dat";
  plan.OptionsValidees = true;
  menage.Lancer();
  EXPECT_TRUE(Existe(temp + "\\index.dat"));
  EXPECT_TRUE(Existe("C:\\Donnees\\index.dat"));
  EXPECT_FALSE(Existe(temp + "\\sous\\Index.dat"));
  EXPECT_FALSE(Existe("C:\\Donnees\\Autres\\INDEX.DAT"));
  EXPECT_EQ(menage.NbFichiers, 2u);
}

TEST_F(Menage, RefusedBeforeValidationResetsLabelsAndShowsOptions) {
  Creer(temp + "\\x.txt");
  PlanComplet();
  plan.OptionsValidees = false;
  menage.Lancer();
  EXPECT_THAT(fenetre.nbFichiers, ElementsAre("0"));
  EXPECT_THAT(fenetre.tailles, ElementsAre("0 kO"));
  EXPECT_EQ(fenetre.options, 1);
  EXPECT_TRUE(fenetre.enCours.empty());
  EXPECT_TRUE(fenetre.messages.empty());
  EXPECT_TRUE(Existe(temp + "\\x.txt"));
  EXPECT_FALSE(lecteur.openKey(kAdresses));  // nothing else happens, not even the key
}

TEST_F(Menage, EmptyPlanEndsOnFinAndStillCreatesTheTypedAddressKey) {
  plan.OptionsValidees = true;
  ASSERT_FALSE(lecteur.openKey(kAdresses));
  menage.Lancer();
  EXPECT_THAT(fenetre.enCours, ElementsAre("FIN"));
  EXPECT_THAT(fenetre.messages, ElementsAre("0 fichiers pour un total de\r0 kO"));
  EXPECT_TRUE(lecteur.openKey(kAdresses));
  EXPECT_EQ(fenetre.options, 0);

  // Purge not chosen: the values stay.
  lecteur.createKey(kAdresses).setString("url1", "http://x");
  menage.Lancer();
  EXPECT_THAT(Valeurs(kAdresses), ElementsAre("url1"));
}

TEST_F(Menage, RecentSearchPurgeNeverCreatesItsKey) {
  plan.TableRegistre[0] = kRecherches;
  plan.OptionsValidees = true;
  EXPECT_NO_THROW(menage.Lancer());
  EXPECT_FALSE(lecteur.openKey(kRecherches));
  EXPECT_EQ(fenetre.messages.size(), 1u);
}

TEST_F(Menage, UnsafeMasksAreSkipped) {
  for (const char* f :
       {"C:\\Projets\\garde.txt", "C:\\Projets\\sans", "C:\\Projets\\a.tmp", "C:\\Projets\\b.log"})
    Creer(f);
  plan.TableMotifs = {"*.*", "*", "?*.?", "...", "Projets\\*.tmp", "c:*.tmp", "/*.tmp", "*.log"};
  plan.OptionsValidees = true;
  menage.Lancer();
  EXPECT_THAT(fenetre.enCours, ElementsAre("Recherche des fichiers *.log", "FIN"));
  EXPECT_FALSE(Existe("C:\\Projets\\b.log"));
  for (const char* f : {"C:\\Projets\\garde.txt", "C:\\Projets\\sans", "C:\\Projets\\a.tmp"})
    EXPECT_TRUE(Existe(f)) << f;
  EXPECT_EQ(menage.NbFichiers, 1u);
}

TEST(DossierDangereux, OnlyFoldersBelowADriveRoot) {
  for (const char* d : {"", "C:", "c:\\", "C:/", "C:\\.", "C:\\Temp\\..", "C:\\a\\..\\..\\",
                        "\\windows", "windows\\TEMP", "1:\\x", "\\\\serveur\\partage"})
    EXPECT_TRUE(DossierDangereux(d)) << d;
  for (const char* d : {"C:\\windows\\TEMP", "c:\\a\\", "C:\\a\\b\\..", "C:/x", "d:\\x"})
    EXPECT_FALSE(DossierDangereux(d)) << d;
}

// A folder entry naming a whole drive (a bad Shell Folders value, a hand-edited file) is never
// emptied; the other passes run.
TEST_F(Menage, FolderEntriesNamingADriveRootAreSkipped) {
  for (const char* f : {"C:\\garde.txt", "C:\\Projets\\garde.doc"}) Creer(f);
  Creer(temp + "\\x.txt");
  plan.TableDossiers = {"C:\\", "c:", "C:\\Projets\\..", "", temp, "C:\\."};
  plan.OptionsValidees = true;
  menage.Lancer();
  EXPECT_THAT(fenetre.enCours, ElementsAre(LibellesDossiers[4], "FIN"));
  EXPECT_FALSE(Existe(temp + "\\x.txt"));
  for (const char* f : {"C:\\garde.txt", "C:\\Projets\\garde.doc"}) EXPECT_TRUE(Existe(f)) << f;
  EXPECT_EQ(menage.NbFichiers, 1u);
}

// Sizes beyond 32 bits add up and show without overflow.
TEST_F(Menage, SizesPast4GiBAddUp) {
  constexpr std::uint64_t kTrois = 3ull << 30;
  Creer(temp + "\\grand1.vhd", kTrois);
  Creer(temp + "\\grand2.vhd", kTrois);
  Creer(temp + "\\petit.txt", 1);
  plan.TableDossiers[4] = temp;
  plan.OptionsValidees = true;
  menage.Lancer();
  EXPECT_EQ(menage.NbFichiers, 3u);
  EXPECT_EQ(menage.TailleTotale, 2 * kTrois + 1);
  EXPECT_THAT(fenetre.messages, ElementsAre("3 fichiers pour un total de\r6291457 kO"));
}

// A file that cannot be deleted is counted, does not stop the run, and is reported.
TEST_F(Menage, UndeletableFileIsCountedAndReported) {
  Creer(cache + "\\verrou.txt", 10, os::attr::ReadOnly | os::attr::Hidden);
  Creer(cache + "\\libre.txt", 10);
  if (!Verrouiller(cache + "\\verrou.txt"))
    GTEST_SKIP() << "this file system cannot make a file undeletable (immutable flag refused)";
  plan.TableDossiers[0] = cache;
  plan.OptionsValidees = true;
  menage.Lancer();
  EXPECT_TRUE(Existe(cache + "\\verrou.txt"));
  EXPECT_FALSE(Existe(cache + "\\libre.txt"));
  EXPECT_EQ(menage.NbFichiers, 2u);
  EXPECT_EQ(menage.NbEchecs, 1u);
  EXPECT_THAT(fenetre.messages, ElementsAre("2 fichiers pour un total de\r1 kO\r"
                                            "1 fichier n'a pas pu être supprimé"));
}

// A file that stays is reported once however many passes met it, under whatever spelling
// ("C:\windows\TEMP\x.tmp" from the folder pass, "c:\windows\TEMP\x.tmp" from "*.tmp").
TEST_F(Menage, UndeletableFileMetByTwoPassesIsReportedOnce) {
  Creer(temp + "\\verrou.tmp", 10);
  Creer(cache + "\\verrou.txt", 10);
  if (!Verrouiller(temp + "\\verrou.tmp") || !Verrouiller(cache + "\\verrou.txt"))
    GTEST_SKIP() << "this file system cannot make a file undeletable (immutable flag refused)";
  plan.TableDossiers[0] = cache;
  plan.TableDossiers[4] = temp;
  plan.TableMotifs[0] = "*.tmp";
  plan.OptionsValidees = true;
  menage.Lancer();
  EXPECT_EQ(menage.NbFichiers, 3u);  // counted at each attempt, as ever
  EXPECT_EQ(menage.NbEchecs, 2u);
  EXPECT_THAT(fenetre.messages, ElementsAre("3 fichiers pour un total de\r1 kO\r"
                                            "2 fichiers n'ont pas pu être supprimés"));
}

// A hive that cannot be read skips the registry steps only: the run still ends on "FIN" and the
// summary, then reports the hive's failure; nothing of the hive changes.
TEST_F(Menage, CorruptHiveSkipsTheRegistryStepsThenFailsAfterTheSummary_Linux) {
  Creer(temp + "\\x.txt");
  CreerDossier(temp + "\\vide");
  plan.TableDossiers[4] = temp;
  plan.TableRegistre[0] = kRecherches;
  plan.TableRegistre[1] = kAdresses;
  plan.OptionsValidees = true;
  const std::string corrompue = "ceci n'est pas une ruche\r\n";
  std::ofstream(prefixe / "user.reg", std::ios::trunc) << corrompue;
  try {
    menage.Lancer();
    ADD_FAILURE() << "no error";
  } catch (const os::SystemError& e) {
    EXPECT_EQ(e.code(), os::error::BadRegistryHive);
    EXPECT_EQ(std::string(e.what()),
              "Base de registre illisible : " + (prefixe / "user.reg").string() +
                  ", ligne 1 : ce n'est pas un fichier de registre "
                  "(\"Windows Registry Editor Version 5.00\" attendu)");
  }
  EXPECT_FALSE(menage.EnCours());
  EXPECT_FALSE(Existe(temp + "\\x.txt"));
  EXPECT_FALSE(Existe(temp + "\\vide"));
  EXPECT_EQ(fenetre.enCours.back(), "FIN");
  EXPECT_THAT(fenetre.messages, ElementsAre("1 fichiers pour un total de\r1 kO"));
  std::ifstream relue(prefixe / "user.reg", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(relue), {}), corrompue);

  std::filesystem::remove(prefixe / "user.reg");
  menage.Lancer();  // not left "in progress"
  EXPECT_EQ(fenetre.messages.back(), "0 fichiers pour un total de\r0 kO");
}

// A run adds nothing of its own to the prefix, beside the hive or anywhere else (no lock, no
// temporary file): afterwards the prefix holds what it held, less what the run deleted.
TEST_F(Menage, ARunLeavesNothingOfItsOwnInThePrefix) {
  const Liste fichiers = {cache + "\\page.htm", temp + "\\x.txt", "C:\\Projets\\a.tmp",
                          sbdr + "\\rb000.cab"};
  for (const std::string& f : fichiers) Creer(f);
  CreerDossier(temp + "\\vide");
  Creer("C:\\Projets\\garde.txt");
  lecteur.createKey(kAdresses).setString("url1", "http://x");
  lecteur.createKey(kRecherches).setString("MRUList", "a");
  PlanComplet();
  std::set<std::string> attendu = Contenu();
  for (const std::string& parti : fichiers) EXPECT_EQ(attendu.erase(Relatif(parti)), 1u) << parti;
  EXPECT_EQ(attendu.erase(Relatif(temp + "\\vide")), 1u);
  menage.Lancer();
  EXPECT_EQ(menage.NbFichiers, fichiers.size());
  EXPECT_THAT(Valeurs(kAdresses), ElementsAre());  // the hive was written
  EXPECT_EQ(Contenu(), attendu);
}

// Two runs at once, each on a drive of its own and in a thread of its own: each changes only its
// own drive, files and registry values alike.
TEST_F(Menage, TwoRunsAtOnceOnTwoDrivesEachChangeOnlyTheirOwn) {
  LecteurTemporaire autre("tidora-menage");
  TScruteDossier scrute2;
  TPlanMenage plan2;
  FenetreEnregistree fenetre2;
  TExecutant executant2{*autre};
  TMenage menage2(scrute2, plan2, fenetre2, executant2);
  constexpr int kNombre = 150;
  for (const LecteurTemporaire* t : {&temporaire, &autre}) {
    for (int i = 0; i < kNombre; ++i) {
      const std::string n = std::to_string(i);
      t->Creer(temp + "\\t" + n + ".txt");
      t->Creer("C:\\Projets\\p" + n + ".tmp");
      t->Creer("C:\\Projets\\b" + n + ".bak");
    }
    (*t)->createKey(kAdresses).setString("url1", "http://x");
  }
  plan.TableDossiers[4] = temp;
  plan.TableMotifs[0] = "*.tmp";
  plan.TableRegistre[1] = kAdresses;
  plan.OptionsValidees = true;
  plan2.TableMotifs[0] = "*.bak";
  plan2.OptionsValidees = true;

  // Each run waits in its first drain until the other has reached its own: both are under way.
  std::atomic<int> arrives{0};
  const auto rendezVous = [&arrives] {
    return [&arrives, premier = true]() mutable {
      if (!std::exchange(premier, false)) return;
      ++arrives;
      const auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(30);
      while (arrives < 2 && std::chrono::steady_clock::now() < limite) std::this_thread::yield();
    };
  };
  scrute.TraiterMessages = rendezVous();
  scrute2.TraiterMessages = rendezVous();
  std::string erreur, erreur2;
  const auto lancer = [](TMenage& m, std::string& e) {
    try {
      m.Lancer();
    } catch (const std::exception& x) {
      e = x.what();
    }
  };
  std::thread fil([&] { lancer(menage2, erreur2); });
  lancer(menage, erreur);
  fil.join();
  EXPECT_EQ(erreur, "");
  EXPECT_EQ(erreur2, "");
  EXPECT_EQ(arrives, 2) << "the runs were never under way at once";

  // How many files of `dossier` end in `extension`.
  const auto restants = [](const LecteurTemporaire& t, const std::string& dossier,
                           const char* extension) {
    int n = 0;
    for (const auto& e : std::filesystem::directory_iterator(t.Hote(dossier))) {
      n += e.path().extension() == extension ? 1 : 0;
    }
    return n;
  };
  EXPECT_EQ(menage.NbFichiers, 2u * kNombre);
  EXPECT_EQ(restants(temporaire, temp, ".txt"), 0);
  EXPECT_EQ(restants(temporaire, "C:\\Projets", ".tmp"), 0);
  EXPECT_EQ(restants(temporaire, "C:\\Projets", ".bak"), kNombre);
  EXPECT_THAT(Valeurs(kAdresses), ElementsAre());
  EXPECT_EQ(menage2.NbFichiers, 1u * kNombre);
  EXPECT_EQ(restants(autre, temp, ".txt"), kNombre);
  EXPECT_EQ(restants(autre, "C:\\Projets", ".tmp"), kNombre);
  EXPECT_EQ(restants(autre, "C:\\Projets", ".bak"), 0);
  EXPECT_THAT(autre->openKey(kAdresses)->valueNames(), ElementsAre("url1"));
}

}  // namespace
