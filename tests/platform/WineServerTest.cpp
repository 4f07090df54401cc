// A running wineserver (or Proton setting a prefix up) keeps the program from saving the hive.
#include <gtest/gtest.h>
#include <sys/file.h>

#include "FakeWineServer.h"
#include "platform/SystemError.h"
#include "tests/support/LecteurTemporaire.h"

namespace {

using WineServerTest = AvecLecteur;

TEST_F(WineServerTest, ARunningServerIsFoundAndNoneCanStartWhileTheLockIsHeld) {
  const std::filesystem::path& dossier = temporaire.Dossier();
  const std::string prefix = dossier.string();
  const HeldFolder folder(dossier);
  {
    FakeWineServer server(dossier);
    ASSERT_TRUE(server.started());
    EXPECT_EQ(os::host::runningWineServer(folder.fd()), server.pid());
    try {
      os::host::WineLock lock(folder.fd(), prefix);
      FAIL() << "no error";
    } catch (const os::SystemError& e) {
      EXPECT_EQ(e.code(), os::error::SharingViolation);
      EXPECT_EQ(std::string(e.what()),
                "Registre du préfixe " + prefix +
                    " non modifié : Wine l'utilise (wineserver, processus " +
                    std::to_string(server.pid()) +
                    ") ; fermez les programmes Windows de ce préfixe ou lancez « wineserver -k »");
    }
    server.stop();
    EXPECT_EQ(os::host::runningWineServer(folder.fd()), 0);
    // Its lock and socket stay behind, as after a crash: nothing answers, the lock is ours.
    os::host::WineLock lock(folder.fd(), prefix);
    const pid_t child = ::fork();
    if (child == 0) {
      const int fd = ::open((server.folder() + "/lock").c_str(), O_WRONLY);
      struct flock fl {};
      fl.l_type = F_WRLCK;
      ::_exit(fd >= 0 && ::fcntl(fd, F_SETLK, &fl) != 0 ? 0 : 1);  // a starting server fails
    }
    int status = -1;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }

  // Proton setting the prefix up holds pfx.lock beside it.
  const std::filesystem::path pfx = dossier / "pfx";
  std::filesystem::create_directory(pfx);
  std::ofstream(dossier / "pfx.lock").close();
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t proton = ::fork();
  if (proton == 0) {
    const int fd = ::open((dossier / "pfx.lock").c_str(), O_RDWR);
    (void)!::write(ready[1], fd >= 0 && ::flock(fd, LOCK_EX) == 0 ? "1" : "0", 1);
    for (;;) ::pause();
  }
  char c = '0';
  ASSERT_EQ(::read(ready[0], &c, 1), 1);
  EXPECT_EQ(c, '1');
  const HeldFolder pfxFolder(pfx);
  try {
    os::host::WineLock lock(pfxFolder.fd(), pfx.string());
    ADD_FAILURE() << "no error";
  } catch (const os::SystemError& e) {
    EXPECT_NE(std::string(e.what()).find("Proton"), std::string::npos) << e.what();
  }
  ::kill(proton, SIGKILL);
  ::waitpid(proton, nullptr, 0);
  EXPECT_NO_THROW(os::host::WineLock lock(pfxFolder.fd(), pfx.string()));
}

}  // namespace
