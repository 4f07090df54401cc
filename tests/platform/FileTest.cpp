// Files written on drive C.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "TempPrefix.h"
#include "platform/Attributes.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "platform/Prefix.h"
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "platform/SystemError.h"
#include "tests/Montages.h"

namespace fs = std::filesystem;

namespace {

using FileTest = TempPrefix;

std::string contents(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::uint32_t createError(std::string_view path) {
  try {
    os::File::create(path);
  } catch (const os::SystemError& e) {
    return e.code();
  }
  return 0;
}

TEST_F(FileTest, CreatesOrTruncatesAndWritesEverything) {
  const fs::path p = makeFile("Program Files/Tidora 2000/options.ini", "old and longer");
  os::File f = os::File::create("C:\\PROGRAM FILES\\tidora 2000\\Options.ini");
  f.write("[Options]\n");
  f.write(std::string(100000, 'x'));
  f.flush();
  os::File moved = std::move(f);
  moved.close();
  EXPECT_EQ(contents(p), "[Options]\n" + std::string(100000, 'x'));

  os::File::create("C:\\new.txt").write("n");
  EXPECT_EQ(contents(drive() / "new.txt"), "n");
}

TEST_F(FileTest, RefusesFoldersReadOnlyFilesAndMissingFolders) {
  makeFile("ro.txt", "keep");
  os::setFileAttributes("C:\\ro.txt", os::attr::ReadOnly);
  EXPECT_EQ(createError("C:\\ro.txt"), os::error::AccessDenied);
  EXPECT_EQ(contents(drive() / "ro.txt"), "keep");
  EXPECT_EQ(createError("C:\\windows"), os::error::AccessDenied);
  EXPECT_EQ(createError("C:\\none\\a.txt"), os::error::PathNotFound);
  EXPECT_EQ(createError("D:\\a.txt"), os::error::PathNotFound);
}

TEST_F(FileTest, AWriteBeyondTheSizeLimitIsAFullDisk) {
  os::File f = os::File::create("C:\\big.bin");
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
TEST_F(FileTest, PipesInPlaceOfFilesAreRefusedWithoutBlocking) {
  os::ensureProfile();
  const fs::path pipe = drive() / "options.ini";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0666), 0);
  fs::remove(prefix_ / "user.reg");
  ASSERT_EQ(mkfifo((prefix_ / "user.reg").c_str(), 0666), 0);
  alarm(30);  // a blocked call ends the test program
  EXPECT_EQ(createError("C:\\options.ini"), os::error::AccessDenied);
  EXPECT_THROW(os::readFile("C:\\options.ini"), os::SystemError);
  EXPECT_EQ(os::getPrivateProfileString("S", "k", "<absent>", "C:\\options.ini"), "<absent>");
  EXPECT_THROW(os::RegistryKey::open("\\Software"), os::SystemError);
  alarm(0);
  EXPECT_TRUE(fs::is_fifo(pipe));
}

// What failed, where and why, in French: a full disk, a read-only prefix, a profile.
TEST_F(FileTest, FailuresSayInFrenchWhatFailedWhereAndWhy) {
  const fs::path petit = prefix_ / "petit";
  fs::create_directory(petit);
  Montages montages;
  if (!montages.Tmpfs(petit, "size=64k")) GTEST_SKIP() << "mounting refused here";
  os::setPrefixFolder(petit);
  const auto message = [](auto action) {
    try {
      action();
    } catch (const os::SystemError& e) {
      return std::string(e.what());
    }
    return std::string("no failure");
  };
  EXPECT_EQ(message([] { os::File::create("C:\\big.bin").write(std::string(1 << 20, 'x')); }),
            "Erreur d'écriture dans le fichier C:\\big.bin : disque plein");
  fs::remove(petit / "drive_c" / "big.bin");
  EXPECT_EQ(message([] { os::deleteFile("C:\\none.txt"); }),
            "Ne peut supprimer le fichier C:\\none.txt : fichier introuvable");
  ASSERT_TRUE(Montages::Remonter(petit, MS_RDONLY, nullptr));
  EXPECT_EQ(message([] { os::createDirectory("C:\\Nouveau"); }),
            "Ne peut créer le dossier C:\\Nouveau : disque en lecture seule");
  os::setPrefixFolder(petit / "autre");
  EXPECT_EQ(message([] { os::ensureProfile(); }),
            "Ne peut créer le profil " + (petit / "autre").string() + " : disque en lecture seule");
  os::setPrefixFolder(prefix_);
}

}  // namespace
