// What only the Linux emulation does: attributes kept in an extended attribute, the host's
// file-size limit seen as a full disk, pipes in place of files, mounts in the prefix.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/Attributes.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "platform/StoredFile.h"
#include "platform/SystemError.h"
#include "tests/Montages.h"
#include "tests/support/LecteurTemporaire.h"
#include "tests/support/Plateforme.h"

namespace fs = std::filesystem;
using namespace os::attr;

namespace {

class EmulationTest : public AvecLecteur {
 protected:
  fs::path drive() const { return temporaire.LecteurC(); }
  std::uint32_t createError(std::string_view path) {
    try {
      os::File::create(lecteur, path);
    } catch (const os::SystemError& e) {
      return e.code();
    }
    return 0;
  }
};

TEST_F(EmulationTest, HiddenAndSystemLiveInDosAttrib_Linux) {
  const fs::path file = temporaire.Creer("C:\\docs\\a.txt");
  os::testing::setFileAttributes(lecteur, "C:\\docs\\a.txt", ReadOnly | Hidden | System);
  char text[16] = {};
  ASSERT_GT(getxattr(file.c_str(), "user.DOSATTRIB", text, sizeof text - 1), 0);
  EXPECT_STREQ(text, "0x6");
  os::testing::setFileAttributes(lecteur, "C:\\docs\\a.txt", 0);
  EXPECT_LT(getxattr(file.c_str(), "user.DOSATTRIB", text, sizeof text), 0);

  // The convention other tools write: "0x22" is hidden + archive.
  ASSERT_EQ(setxattr(file.c_str(), "user.DOSATTRIB", "0x22", 4, 0), 0);
  EXPECT_EQ(os::fileAttributes(lecteur, "C:\\docs\\a.txt"), Hidden | Archive);
}

TEST_F(EmulationTest, AWriteBeyondTheSizeLimitIsAFullDisk_Linux) {
  os::File f = os::File::create(lecteur, "C:\\big.bin");
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
  rlimit small = old;
  small.rlim_cur = 1000;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  std::uint32_t code = 0;
  std::string what;
  try {
    f.write(std::string(4000, 'x'));
  } catch (const os::SystemError& e) {
    code = e.code();
    what = e.what();
  }
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(code, os::error::DiskFull);
  EXPECT_NE(what.find("C:\\big.bin"), std::string::npos) << what;
}

// A pipe where a file is expected is refused at once: opened, it would block the program.
TEST_F(EmulationTest, PipesInPlaceOfFilesAreRefusedWithoutBlocking_Linux) {
  const fs::path pipe = drive() / "options.ini";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0666), 0);
  fs::remove(temporaire.Dossier() / "user.reg");
  ASSERT_EQ(mkfifo((temporaire.Dossier() / "user.reg").c_str(), 0666), 0);
  alarm(30);  // a blocked call ends the test program
  EXPECT_EQ(createError("C:\\options.ini"), os::error::AccessDenied);
  EXPECT_THROW(os::readFile(lecteur, "C:\\options.ini"), os::SystemError);
  EXPECT_EQ(os::getPrivateProfileString(lecteur, "S", "k", "<absent>", "C:\\options.ini"),
            "<absent>");
  EXPECT_THROW(lecteur.openKey("\\Software"), os::SystemError);
  alarm(0);
  EXPECT_TRUE(fs::is_fifo(pipe));
}

// What failed, where and why, in French: a full disk, a read-only prefix, a profile.
TEST_F(EmulationTest, FailuresSayInFrenchWhatFailedWhereAndWhy_Linux) {
  const fs::path petit = temporaire.Dossier() / "petit";
  fs::create_directory(petit);
  Montages montages;
  if (!montages.Tmpfs(petit, "size=64k")) GTEST_SKIP() << "mounting refused here";
  const os::Drive disque = os::Drive::own(petit);
  const auto message = [](auto action) {
    try {
      action();
    } catch (const os::SystemError& e) {
      return std::string(e.what());
    }
    return std::string("no failure");
  };
  EXPECT_EQ(
      message([&] { os::File::create(disque, "C:\\big.bin").write(std::string(1 << 20, 'x')); }),
      "Erreur d'écriture dans le fichier C:\\big.bin : disque plein");
  fs::remove(petit / "drive_c" / "big.bin");
  // A save that fills the disk leaves nothing beside the file.
  const auto entrees = [&] {
    return std::distance(fs::directory_iterator(petit / "drive_c"), fs::directory_iterator());
  };
  const auto avant = entrees();
  EXPECT_THROW(os::saveFile(disque, "C:\\big.bin", std::string(1 << 20, 'x')), os::WriteError);
  EXPECT_EQ(message([&] { os::saveFile(disque, "C:\\big.bin", std::string(1 << 20, 'x')); }),
            "Erreur d'écriture dans le fichier C:\\big.bin : disque plein");
  EXPECT_EQ(entrees(), avant);
  EXPECT_EQ(message([&] { os::testing::deleteFile(disque, "C:\\none.txt"); }),
            "Ne peut supprimer le fichier C:\\none.txt : fichier introuvable");
  ASSERT_TRUE(Montages::Remonter(petit, MS_RDONLY, nullptr));
  EXPECT_EQ(message([&] { os::createDirectory(disque, "C:\\Nouveau"); }),
            "Ne peut créer le dossier C:\\Nouveau : disque en lecture seule");
  EXPECT_EQ(message([&] { os::Drive::own(petit / "autre"); }),
            "Ne peut créer le profil " + (petit / "autre").string() + " : disque en lecture seule");
}

}  // namespace
