// What start-up puts into a fresh profile: the sample traces and the help file.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <csignal>

#include "app/Echantillons.h"
#include "app/FichierAide.h"
#include "platform/Registry.h"
#include "platform/SystemError.h"
#include "tests/Montages.h"
#include "tests/kits/qt/Environnement.h"

namespace {

using EchantillonsTest = FenetresTest;

// Installs the help text the program carries, as start-up does.
bool InstallerAide() {
  QFile aide(QStringLiteral(":/skins/Tidora2000.hlp"));
  if (!aide.open(QIODevice::ReadOnly)) throw std::runtime_error("aide absente des ressources");
  return InstallerFichierAide(aide.readAll().toStdString());
}

TEST_F(EchantillonsTest, FullRunRemovesTheTracesAndKeepsTheRest) {
  DeposerEchantillons();
  const std::vector<Echantillon> liste = ListeEchantillons();
  ASSERT_GE(liste.size(), 20u);
  for (const Echantillon& e : liste) {
    ASSERT_TRUE(Existe(e.chemin)) << e.chemin;
    EXPECT_TRUE(os::hostPath(e.chemin).has_value()) << e.chemin;  // inside drive C
  }
  const std::optional<os::RegistryKey> adresses =
      os::RegistryKey::open("\\Software\\Microsoft\\Internet Explorer\\TypedURLs");
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
  const std::string chemin = CheminFichierAide();
  EXPECT_EQ(chemin, "C:\\Program Files\\Tidora 2000\\Tidora2000.hlp");
  QFile embarque(QStringLiteral(":/skins/Tidora2000.hlp"));
  if (!embarque.exists()) GTEST_SKIP() << "help text not embedded in this build";

  ASSERT_FALSE(Existe(chemin));
  EXPECT_TRUE(InstallerAide());
  ASSERT_TRUE(Existe(chemin));
  QFile installe(*os::hostPath(chemin));
  ASSERT_TRUE(installe.open(QIODevice::ReadOnly));
  ASSERT_TRUE(embarque.open(QIODevice::ReadOnly));
  EXPECT_EQ(installe.readAll(), embarque.readAll());
  installe.close();

  // A help file of the user's own is left alone.
  Creer(chemin, 3);
  EXPECT_FALSE(InstallerAide());
  EXPECT_EQ(QFile(*os::hostPath(chemin)).size(), 3);
}

// A prefix made by another program (a Wine prefix) has neither the program's folder nor, at
// times, "Program Files": the help file makes its way there all the same.
TEST_F(EchantillonsTest, HelpFileIsInstalledWhereTheProgramsFolderIsMissing) {
  if (!QFile::exists(QStringLiteral(":/skins/Tidora2000.hlp")))
    GTEST_SKIP() << "help text not embedded in this build";
  os::removeDirectory("C:\\Program Files\\Tidora 2000");
  os::removeDirectory("C:\\Program Files");
  EXPECT_TRUE(InstallerAide());
  EXPECT_TRUE(Existe(CheminFichierAide()));
}

// A write that fails half-way (a full disk) leaves no truncated help file behind, so the next
// start installs the whole one.
TEST_F(EchantillonsTest, HelpFileWriteFailureLeavesNothingBehind) {
  const std::string chemin = CheminFichierAide();
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
      InstallerAide();
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
  // Only the lock the writer keeps beside the file.
  EXPECT_EQ(QDir(QString::fromStdString(*os::hostPath(os::executableFolder())))
                .entryList(QDir::Files),
            QStringList{QStringLiteral("Tidora2000.hlp.lock")});
  EXPECT_TRUE(InstallerAide());
}

// A first start cut short by a full disk leaves the samples half made; the next one completes them.
TEST_F(EchantillonsTest, AFirstStartFailingHalfWayIsCompletedByTheNext) {
  QTemporaryDir dossier;
  const std::filesystem::path petit = dossier.path().toStdString();
  Montages montages;
  if (!montages.Tmpfs(petit, "nr_inodes=48")) GTEST_SKIP() << "mounting refused here";
  os::setPrefixFolder(petit / "p");
  EXPECT_THROW(PreparerProfil(), os::SystemError);
  int deposes = 0;
  for (const Echantillon& e : ListeEchantillons()) deposes += Existe(e.chemin);
  EXPECT_GT(deposes, 0);
  EXPECT_LT(deposes, static_cast<int>(ListeEchantillons().size()));

  ASSERT_TRUE(Montages::Remonter(petit, 0, "nr_inodes=1000"));
  os::setPrefixFolder(petit / "p");  // the next start
  PreparerProfil();
  for (const Echantillon& e : ListeEchantillons()) EXPECT_TRUE(Existe(e.chemin)) << e.chemin;
  EXPECT_FALSE(os::freshProfilePending());
}

}  // namespace
