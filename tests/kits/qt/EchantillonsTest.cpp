// What start-up puts into a fresh profile: the sample traces and the help file.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <csignal>
#include <fstream>

#include "app/Echantillons.h"
#include "app/FichierAide.h"
#include "kits/qt/Demarrage.h"
#include "platform/Registry.h"
#include "platform/SystemError.h"
#include "tests/Montages.h"
#include "tests/kits/qt/Environnement.h"
#include "tests/support/Plateforme.h"

namespace {

using EchantillonsTest = FenetresTest;

// Installs the help text the program carries on `lecteur`, as start-up does.
bool InstallerAide(const os::Drive& lecteur) {
  QFile aide(QStringLiteral(":/skins/Tidora2000.hlp"));
  if (!aide.open(QIODevice::ReadOnly)) throw std::runtime_error("aide absente des ressources");
  return InstallerFichierAide(lecteur, aide.readAll().toStdString());
}

TEST_F(EchantillonsTest, FullRunRemovesTheTracesAndKeepsTheRest) {
  DeposerEchantillons(lecteur);
  const std::vector<Echantillon> liste = ListeEchantillons(lecteur);
  ASSERT_GE(liste.size(), 20u);
  for (const Echantillon& e : liste) {
    ASSERT_TRUE(Existe(e.chemin)) << e.chemin;
    EXPECT_TRUE(os::testing::hostPath(lecteur, e.chemin)) << e.chemin;  // inside drive C
  }
  const std::optional<os::RegistryKey> adresses =
      lecteur.openKey("\\Software\\Microsoft\\Internet Explorer\\TypedURLs");
  ASSERT_TRUE(adresses.has_value());
  EXPECT_TRUE(adresses->query("url3").has_value());

  Valider({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17});
  ASSERT_TRUE(PlanMenage.OptionsValidees);
  Cliquer(form, kLancer);
  int supprimes = 0;
  for (const Echantillon& e : liste) {
    EXPECT_EQ(Existe(e.chemin), e.resteApresMenage) << e.chemin;
    supprimes += e.resteApresMenage ? 0 : 1;
  }
  EXPECT_FALSE(adresses->query("url1").has_value());
  EXPECT_FALSE(adresses->query("url3").has_value());
  ASSERT_EQ(boites.size(), 1u);
  EXPECT_TRUE(boites[0].texte.startsWith(QString::number(supprimes) + " fichiers pour"));
}

TEST_F(EchantillonsTest, HelpFileIsInstalledBesideTheExecutableOnlyWhenMissing) {
  const std::string chemin = CheminFichierAide(lecteur);
  EXPECT_EQ(chemin, "C:\\Program Files\\Tidora 2000\\Tidora2000.hlp");
  QFile embarque(QStringLiteral(":/skins/Tidora2000.hlp"));
  if (!embarque.exists()) GTEST_SKIP() << "help text not embedded in this build";

  ASSERT_FALSE(Existe(chemin));
  EXPECT_TRUE(InstallerAide(lecteur));
  ASSERT_TRUE(Existe(chemin));
  QFile installe(temporaire.Hote(chemin));
  ASSERT_TRUE(installe.open(QIODevice::ReadOnly));
  ASSERT_TRUE(embarque.open(QIODevice::ReadOnly));
  EXPECT_EQ(installe.readAll(), embarque.readAll());
  installe.close();

  // A help file of the user's own is left alone.
  Creer(chemin, 3);
  EXPECT_FALSE(InstallerAide(lecteur));
  EXPECT_EQ(QFile(temporaire.Hote(chemin)).size(), 3);
}

// A prefix made by another program (a Wine prefix) has neither the program's folder nor, at
// times, "Program Files": the help file makes its way there all the same.
TEST_F(EchantillonsTest, HelpFileIsInstalledWhereTheProgramsFolderIsMissing) {
  if (!QFile::exists(QStringLiteral(":/skins/Tidora2000.hlp")))
    GTEST_SKIP() << "help text not embedded in this build";
  os::testing::removeDirectory(lecteur, "C:\\Program Files\\Tidora 2000");
  os::testing::removeDirectory(lecteur, "C:\\Program Files");
  EXPECT_TRUE(InstallerAide(lecteur));
  EXPECT_TRUE(Existe(CheminFichierAide(lecteur)));
}

// A write that fails half-way (a full disk) leaves no truncated help file behind, so the next
// start installs the whole one.
TEST_F(EchantillonsTest, HelpFileWriteFailureLeavesNothingBehind) {
  const std::string chemin = CheminFichierAide(lecteur);
  if (!QFile::exists(QStringLiteral(":/skins/Tidora2000.hlp")))
    GTEST_SKIP() << "help text not embedded in this build";
  const pid_t fils = fork();
  ASSERT_GE(fils, 0);
  if (fils == 0) {
    // In a child of its own, so that the size limit holds even for root and ends with it.
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limite{16, 16};
    setrlimit(RLIMIT_FSIZE, &limite);
    bool echec = false;
    try {
      InstallerAide(lecteur);
    } catch (const os::SystemError& e) {
      echec = std::string(e.what()) == "Ne peut installer le fichier d'aide " + chemin + " : disque plein";
    }
    _exit(echec ? 0 : 1);
  }
  int statut = 0;
  ASSERT_EQ(waitpid(fils, &statut, 0), fils);
  ASSERT_TRUE(WIFEXITED(statut));
  EXPECT_EQ(WEXITSTATUS(statut), 0);
  EXPECT_FALSE(Existe(chemin));
  // Nothing at all: the writer's lock is the folder's own.
  EXPECT_EQ(Noms(temporaire.Hote(lecteur.executableFolder())), "");
  EXPECT_TRUE(InstallerAide(lecteur));
}

// A first start cut short by a full disk leaves the samples half made; the next one completes them.
TEST_F(EchantillonsTest, AFirstStartFailingHalfWayIsCompletedByTheNext) {
  QTemporaryDir dossier;
  const std::filesystem::path petit = dossier.path().toStdString();
  Montages montages;
  if (!montages.Tmpfs(petit, "nr_inodes=48")) GTEST_SKIP() << "mounting refused here";
  int deposes = 0;
  {
    const os::Drive plein = os::Drive::own(petit / "p");
    EXPECT_THROW(PreparerProfil(plein), os::SystemError);
    for (const Echantillon& e : ListeEchantillons(plein)) {
      deposes += os::fileAttributes(plein, e.chemin).has_value();
    }
    EXPECT_LT(deposes, static_cast<int>(ListeEchantillons(plein).size()));
  }
  EXPECT_GT(deposes, 0);

  ASSERT_TRUE(Montages::Remonter(petit, 0, "nr_inodes=1000"));
  const os::Drive suivant = os::Drive::own(petit / "p");  // the next start
  PreparerProfil(suivant);
  for (const Echantillon& e : ListeEchantillons(suivant)) {
    EXPECT_TRUE(os::fileAttributes(suivant, e.chemin).has_value()) << e.chemin;
  }
  EXPECT_FALSE(suivant.freshProfilePending());
}

// The first start on the program's own prefix makes the profile and puts in the samples and the
// help file: the program's folder then holds the help file alone, and the options besides once
// validated; no lock file is left anywhere in the prefix.
TEST_F(EchantillonsTest, AFirstStartLeavesTheHelpFileAloneThenTheOptions) {
  if (!QFile::exists(QStringLiteral(":/skins/Tidora2000.hlp")))
    GTEST_SKIP() << "help text not embedded in this build";
  Arreter();
  const std::filesystem::path neuf = temporaire.Dossier() / "neuf";
  Prendre(OuvrirFenetres({.lecteur = os::Drive::own(neuf)}));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form));
  EXPECT_TRUE(boites.empty());
  const os::Drive& ouvert = fenetres->lecteur;
  EXPECT_FALSE(ouvert.freshProfilePending());
  EXPECT_TRUE(os::fileAttributes(ouvert, ListeEchantillons(ouvert).front().chemin));
  const std::filesystem::path programme = neuf / "drive_c/Program Files/Tidora 2000";
  EXPECT_EQ(Noms(programme), "Tidora2000.hlp ");
  Valider({9});
  ASSERT_TRUE(PlanMenage.OptionsValidees);
  EXPECT_EQ(Noms(programme), "Tidora2000.hlp options.ini ");
  EXPECT_EQ(Verrous(neuf), std::vector<std::string>{});
}

// On a prefix the program did not make the windows write nothing before VALIDER, which puts
// the help file beside the options.
TEST_F(EchantillonsTest, OnAPrefixTheProgramDidNotMakeNothingIsWrittenBeforeValidation) {
  if (!QFile::exists(QStringLiteral(":/skins/Tidora2000.hlp"))) GTEST_SKIP() << "no help text";
  Arreter();
  const std::filesystem::path wine = temporaire.Dossier() / "wine";
  std::filesystem::create_directories(wine / "drive_c/windows");
  for (const char* ruche : {"user.reg", "system.reg"}) {
    std::ofstream(wine / ruche) << "WINE REGISTRY Version 2\n";
  }
  Prendre(OuvrirFenetres({.lecteur = os::Drive::existing(wine), .etranger = true}));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form));
  EXPECT_EQ(Noms(wine / "drive_c"), "windows ");
  Valider({9});
  EXPECT_EQ(Noms(wine / "drive_c/Program Files/Tidora 2000"), "Tidora2000.hlp options.ini ");
}

}  // namespace
