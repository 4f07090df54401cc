// A prefix is in use while any process of the user works in it, whatever shows it: Wine's
// server, Proton's lock, an open or mapped file, a working folder, the environment.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <functional>

#include "FauxFoyer.h"
#include "tests/support/Enfant.h"
#include "platform/PrefixUse.h"
#include "platform/SystemError.h"
#include "tests/platform/FakeWineServer.h"

namespace fs = std::filesystem;

namespace {

class OccupationTest : public FauxFoyer {
 protected:
  void SetUp() override {
    FauxFoyer::SetUp();
    pfx_ = FairePrefixe(racine_ / "compatdata/1001/pfx");
    Ecrire(pfx_ / "drive_c/jeu/jeu.exe", std::string(8192, 'x'));
  }
  void ExpectUtilisePar(pid_t pid, const std::string& programme) {
    const std::optional<os::PrefixUser> u = os::prefixUser(pfx_);
    ASSERT_TRUE(u.has_value());
    EXPECT_EQ(u->pid, pid);
    EXPECT_EQ(u->program, programme);
  }
  fs::path pfx_;
};

TEST_F(OccupationTest, FreeUntilAProcessHoldsAFileOpenInside) {
  EXPECT_FALSE(os::prefixUser(pfx_));
  EXPECT_NO_THROW(os::checkPrefixFree(pfx_));
  // This process's own open files never count.
  const int fd = ::open((pfx_ / "drive_c/jeu/jeu.exe").c_str(), O_RDONLY);
  EXPECT_FALSE(os::prefixUser(pfx_));
  {
    const std::string fichier = (pfx_ / "drive_c/jeu/jeu.exe").string();
    Enfant jeu("jeu.exe", [&] { return ::open(fichier.c_str(), O_RDONLY) >= 0; });
    ASSERT_TRUE(jeu.pret());
    ExpectUtilisePar(jeu.pid(), "jeu.exe");
    // Reached through a link to it, too.
    ASSERT_TRUE(LienDossier(pfx_, racine_ / "lien"));
    const std::vector<std::optional<os::PrefixUser>> u =
        os::prefixUsers({racine_ / "lien", racine_ / "compatdata", racine_ / "absent"});
    ASSERT_EQ(u.size(), 3u);
    EXPECT_TRUE(u[0] && u[0]->pid == jeu.pid());
    EXPECT_TRUE(u[1]);  // the folder holding it
    EXPECT_FALSE(u[2]);
    try {
      os::checkPrefixFree(pfx_);
      ADD_FAILURE() << "no error";
    } catch (const os::SystemError& e) {
      EXPECT_EQ(e.code(), os::error::SharingViolation);
      EXPECT_EQ(std::string(e.what()),
                "Le préfixe " + pfx_.string() + " est utilisé par jeu.exe (processus " +
                    std::to_string(jeu.pid()) +
                    ") : rien n'y a été effacé ; fermez ce programme, puis recommencez");
    }
  }
  EXPECT_FALSE(os::prefixUser(pfx_));
  ::close(fd);
}

TEST_F(OccupationTest, AWorkingFolderOrAMappedFileInside) {
  const std::string dossier = (pfx_ / "drive_c/jeu").string();
  {
    Enfant dedans("dedans", [&] { return ::chdir(dossier.c_str()) == 0; });
    ASSERT_TRUE(dedans.pret());
    ExpectUtilisePar(dedans.pid(), "dedans");
  }
  const std::string fichier = dossier + "/jeu.exe";
  Enfant mappe("mappe", [&] {
    const int fd = ::open(fichier.c_str(), O_RDONLY);
    const bool ok = fd >= 0 && ::mmap(nullptr, 4096, PROT_READ, MAP_PRIVATE, fd, 0) != MAP_FAILED;
    ::close(fd);  // the mapping stays
    return ok;
  });
  ASSERT_TRUE(mappe.pret());
  ExpectUtilisePar(mappe.pid(), "mappe");
}

TEST_F(OccupationTest, TheEnvironmentNamesThePrefixOrItsCompatData) {
  ASSERT_TRUE(LienDossier(pfx_, racine_ / "lien"));
  {
    Enfant wine("/bin/sleep", {"WINEPREFIX=" + (racine_ / "lien").string() + "/"});
    ASSERT_TRUE(wine.pret());
    ExpectUtilisePar(wine.pid(), "sleep");
  }
  {
    Enfant proton("/bin/sleep", {"STEAM_COMPAT_DATA_PATH=" + (racine_ / "compatdata/1001").string()});
    ASSERT_TRUE(proton.pret());
    ExpectUtilisePar(proton.pid(), "sleep");
  }
  // Another prefix beside it is no reason.
  Enfant autre("/bin/sleep", {"WINEPREFIX=" + (racine_ / "compatdata/1002/pfx").string(),
                              "STEAM_COMPAT_DATA_PATH=" + (racine_ / "compatdata/1002").string()});
  ASSERT_TRUE(autre.pret());
  EXPECT_FALSE(os::prefixUser(pfx_));
}

TEST_F(OccupationTest, WinesServerAndProtonsLock) {
  {
    FakeWineServer serveur(pfx_);
    ASSERT_TRUE(serveur.started());
    const std::optional<os::PrefixUser> u = os::prefixUser(pfx_);
    ASSERT_TRUE(u);
    EXPECT_EQ(u->pid, serveur.pid());
  }
  fs::remove(pfx_ / "wineserver");
  Ecrire(racine_ / "compatdata/1001/pfx.lock", "");
  const std::string verrou = (racine_ / "compatdata/1001/pfx.lock").string();
  {
    Enfant proton("proton", [&] {
      const int fd = ::open(verrou.c_str(), O_RDWR);
      return fd >= 0 && ::flock(fd, LOCK_EX) == 0;
    });
    ASSERT_TRUE(proton.pret());
    const std::optional<os::PrefixUser> u = os::prefixUser(pfx_);
    ASSERT_TRUE(u);
    EXPECT_EQ(u->program, "Proton");  // a flock does not say whose it is
  }
  {
    Enfant proton("python3", [&] {
      const int fd = ::open(verrou.c_str(), O_RDWR);
      return fd >= 0 && ::lockf(fd, F_LOCK, 0) == 0;
    });
    ASSERT_TRUE(proton.pret());
    ExpectUtilisePar(proton.pid(), "python3");
  }
  EXPECT_FALSE(os::prefixUser(pfx_));
}

}  // namespace
