// Every file the program opens in a prefix folder (user.reg, .first-start, system.reg,
// wineserver, the server folder's lock and socket), and the names it writes beside them, with a
// FIFO or a link planted in its place: nothing waits for ever, nothing is written through the
// link, the change is refused or goes on as if the file were not there. Each scene runs in a child
// process with an alarm, so that a hang fails the test instead of holding the test run.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "FakeWineServer.h"
#include "platform/Drive.h"
#include "platform/Registry.h"
#include "platform/SystemError.h"
#include "tests/support/LecteurTemporaire.h"
#include "tests/support/Plateforme.h"

namespace fs = std::filesystem;

namespace {

using os::testing::contents;

enum class Attendu { Reussite, Echec };

class PrefixFilesTest : public AvecLecteur {
 protected:
  void SetUp() override {
    dehors_ = temporaire.Dossier() / "dehors.txt";
    std::ofstream(dehors_) << "dehors";
  }

  // A fresh prefix folder of its own, with the program's profile made when `profil`.
  fs::path prefixe(const std::string& nom, bool profil) {
    const fs::path p = temporaire.Dossier() / nom;
    fs::create_directories(p);
    if (profil) os::Drive::own(p);
    return p;
  }
  // Plants a FIFO, or a link to the file outside every prefix, as `p`.
  void planter(const fs::path& p, bool fifo) {
    fs::remove(p);
    if (fifo) {
      ASSERT_EQ(mkfifo(p.c_str(), 0600), 0) << p;
    } else {
      fs::create_symlink(dehors_, p);
    }
  }
  // Runs `action` in a child: it must end within 20 seconds, succeed or throw SystemError as
  // `attendu` says; the file outside is never changed.
  void scene(const std::string& nom, Attendu attendu, const std::function<void()>& action) {
    const pid_t fils = fork();
    ASSERT_GE(fils, 0);
    if (fils == 0) {
      alarm(20);
      int code = 0;
      try {
        action();
        code = attendu == Attendu::Reussite ? 0 : 1;
      } catch (const os::SystemError&) {
        code = attendu == Attendu::Echec ? 0 : 2;
      } catch (...) {
        code = 3;
      }
      _exit(code);
    }
    int statut = 0;
    ASSERT_EQ(waitpid(fils, &statut, 0), fils);
    EXPECT_FALSE(WIFSIGNALED(statut)) << nom << " : bloqué (signal " << WTERMSIG(statut) << ")";
    EXPECT_TRUE(WIFEXITED(statut) && WEXITSTATUS(statut) == 0)
        << nom << " : code " << WEXITSTATUS(statut)
        << (attendu == Attendu::Reussite ? " (réussite attendue)" : " (échec attendu)");
    EXPECT_EQ(contents(dehors_), "dehors") << nom;
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(dehors_))) << nom;
  }

  static void changer(const os::Drive& d) { d.createKey("\\Software\\Test").setString("a", "b"); }

  fs::path dehors_;
};

TEST_F(PrefixFilesTest, TheHiveAndTheNamesBesideItAreNeverFollowedNorWaitedOn_Linux) {
  for (const bool fifo : {true, false}) {
    const std::string sorte = fifo ? "FIFO" : "lien";
    const auto type = fifo ? fs::file_type::fifo : fs::file_type::symlink;
    // user.reg: never read through a link, never waited on; refused and left as it is, by a
    // drive made before it was planted, and by a drive made now.
    fs::path p = prefixe("ruche-" + sorte, true);
    const os::Drive ruche = os::Drive::existing(p);
    planter(p / "user.reg", fifo);
    scene("user.reg " + sorte, Attendu::Echec, [&] { ruche.openKey("\\Software"); });
    scene("user.reg " + sorte, Attendu::Echec, [&] { changer(ruche); });
    scene("user.reg " + sorte, Attendu::Echec, [&] { os::Drive::existing(p); });
    EXPECT_EQ(fs::symlink_status(p / "user.reg").type(), type);

    // Where its lock file was once kept: nothing of the program's now, the change goes on.
    p = prefixe("verrou-" + sorte, true);
    const os::Drive verrou = os::Drive::existing(p);
    planter(p / "user.reg.lock", fifo);
    scene("user.reg.lock " + sorte, Attendu::Reussite, [&] { changer(verrou); });
    EXPECT_EQ(fs::symlink_status(p / "user.reg.lock").type(), type);

    // user.reg.new is a name the program never uses: the start that writes user.reg (here, a
    // profile that lost it) writes it beside.
    p = prefixe("nouvelle-" + sorte, true);
    fs::remove(p / "user.reg");
    planter(p / "user.reg.new", fifo);
    scene("user.reg.new " + sorte, Attendu::Reussite, [&] { os::Drive::own(p); });
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(p / "user.reg")));
    EXPECT_EQ(fs::symlink_status(p / "user.reg.new").type(), type);
  }
}

TEST_F(PrefixFilesTest, TheFirstStartMarkerAndSystemRegAreOnlyRegularFiles_Linux) {
  for (const bool fifo : {true, false}) {
    const std::string sorte = fifo ? "FIFO" : "lien";
    // .first-start in a profile to be completed (it has no user.reg): refused, nothing waits.
    fs::path p = prefixe("marque-" + sorte, true);
    fs::remove(p / "user.reg");
    planter(p / ".first-start", fifo);
    scene(".first-start " + sorte, Attendu::Echec, [&] { os::Drive::own(p); });
    // ... and in a profile already made.
    p = prefixe("marque-faite-" + sorte, true);
    const os::Drive faite = os::Drive::existing(p);
    faite.finishFreshProfile();
    planter(p / ".first-start", fifo);
    scene(".first-start fait " + sorte, Attendu::Echec, [&] { faite.freshProfilePending(); });
    scene(".first-start fait " + sorte, Attendu::Echec, [&] { os::Drive::own(p); });

    // system.reg of a Wine prefix without user.reg: not read, nothing written.
    p = prefixe("systeme-" + sorte, false);
    fs::create_directories(p / "drive_c/windows");
    planter(p / "system.reg", fifo);
    scene("system.reg " + sorte, Attendu::Echec, [&] { os::Drive::own(p); });
    EXPECT_FALSE(fs::exists(fs::symlink_status(p / "user.reg")));
  }
}

TEST_F(PrefixFilesTest, WineServerFilesAreNeverFollowedNorWaitedOn_Linux) {
  for (const bool fifo : {true, false}) {
    const std::string sorte = fifo ? "FIFO" : "lien";
    // <prefix>/wineserver, which names the server's folder: not read, the change goes on.
    fs::path p = prefixe("nom-serveur-" + sorte, true);
    const os::Drive nom = os::Drive::existing(p);
    planter(p / "wineserver", fifo);
    scene("wineserver " + sorte, Attendu::Reussite, [&] { changer(nom); });

    // The server folder's lock: it cannot be taken, so nothing is written.
    p = prefixe("verrou-serveur-" + sorte, true);
    const os::Drive verrou = os::Drive::existing(p);
    std::string dossier;
    {
      FakeWineServer serveur(p);
      dossier = serveur.folder();
    }
    fs::create_directories(dossier);
    planter(fs::path(dossier) / "lock", fifo);
    const std::string avant = contents(p / "user.reg");
    scene("lock " + sorte, Attendu::Echec, [&] { changer(verrou); });
    EXPECT_EQ(contents(p / "user.reg"), avant);
    fs::remove_all(fs::path(dossier).parent_path());
  }

  // The server's socket as a link to a server of another prefix: never followed. The server
  // folder is named as the stand-in names its own, in /tmp, and goes with it.
  const fs::path autre = prefixe("autre", true);
  FakeWineServer serveurAutre(autre);
  ASSERT_TRUE(serveurAutre.started());
  const fs::path p = prefixe("socket-lien", true);
  const os::Drive lien = os::Drive::existing(p);
  std::ofstream(p / "wineserver") << contents(autre / "wineserver");
  const std::string dossier = serverFolders(p).back();
  ASSERT_EQ(fs::path(dossier).parent_path(), fs::path(serveurAutre.folder()).parent_path());
  fs::create_directories(dossier);
  fs::create_symlink(serveurAutre.folder() + "/socket", dossier + "/socket");
  scene("socket lien", Attendu::Reussite, [&] { changer(lien); });
}

}  // namespace
