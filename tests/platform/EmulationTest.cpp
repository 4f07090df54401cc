// What only the Linux emulation does: attributes kept in an extended attribute, the host's
// file-size limit seen as a full disk, pipes in place of files, mounts in the prefix.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <sys/xattr.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <string>
#include <vector>
#include <filesystem>

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
using namespace os::attr;

namespace {

using EmulationTest = TempPrefix;

std::uint32_t createError(std::string_view path) {
  try {
    os::File::create(path);
  } catch (const os::SystemError& e) {
    return e.code();
  }
  return 0;
}

TEST_F(EmulationTest, HiddenAndSystemLiveInDosAttrib_Linux) {
  const fs::path file = makeFile("docs/a.txt");
  os::setFileAttributes("C:\\docs\\a.txt", ReadOnly | Hidden | System);
  char text[16] = {};
  ASSERT_GT(getxattr(file.c_str(), "user.DOSATTRIB", text, sizeof text - 1), 0);
  EXPECT_STREQ(text, "0x6");
  os::setFileAttributes("C:\\docs\\a.txt", 0);
  EXPECT_LT(getxattr(file.c_str(), "user.DOSATTRIB", text, sizeof text), 0);

  // The convention other tools write: "0x22" is hidden + archive.
  ASSERT_EQ(setxattr(file.c_str(), "user.DOSATTRIB", "0x22", 4, 0), 0);
  EXPECT_EQ(os::fileAttributes("C:\\docs\\a.txt"), Hidden | Archive);
}

TEST_F(EmulationTest, AWriteBeyondTheSizeLimitIsAFullDisk_Linux) {
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
TEST_F(EmulationTest, PipesInPlaceOfFilesAreRefusedWithoutBlocking_Linux) {
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
TEST_F(EmulationTest, FailuresSayInFrenchWhatFailedWhereAndWhy_Linux) {
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

// A prefix used as it stands: it is read and listed, and nothing of a profile is ever created in
// it; a folder without a real drive C or a user hive is no such prefix, and is left untouched.
TEST_F(EmulationTest, AnExistingPrefixIsUsedAsItStands_Linux) {
  const fs::path wine = prefix_ / "wine";
  fs::create_directories(wine / "drive_c/windows/temp");
  std::ofstream(wine / "user.reg") << "WINE REGISTRY Version 2\n\n[Software\\\\Cle]\n\"v\"=\"x\"\n";
  std::ofstream(wine / "drive_c/windows/temp/a.tmp") << "a";
  const auto state = [](const fs::path& folder) {
    std::vector<std::string> entries;
    for (const auto& e : fs::recursive_directory_iterator(folder)) entries.push_back(e.path().string());
    std::sort(entries.begin(), entries.end());
    return entries;
  };
  const std::vector<std::string> before = state(wine);
  os::useExistingPrefix(wine);
  EXPECT_EQ(os::windowsDirectory(), "C:\\windows");
  EXPECT_TRUE(os::fileAttributes("C:\\windows\\temp\\a.tmp"));
  const auto key = os::RegistryKey::open("\\Software\\Cle");
  ASSERT_TRUE(key);
  EXPECT_EQ(key->valueNames(), std::vector<std::string>{"v"});
  EXPECT_FALSE(os::RegistryKey::open("\\Software\\Microsoft\\Internet Explorer\\TypedURLs"));
  EXPECT_FALSE(os::freshProfilePending());
  EXPECT_EQ(state(wine), before);

  const auto refusal = [](const fs::path& folder) -> std::string {
    try {
      os::useExistingPrefix(folder);
    } catch (const os::SystemError& e) {
      return e.what();
    }
    return "(accepté)";
  };
  fs::create_directories(prefix_ / "no-hive/drive_c");
  EXPECT_EQ(refusal(prefix_ / "no-hive"),
            "Le dossier " + (prefix_ / "no-hive").string() +
                " n'est pas un préfixe Wine : il n'a pas de fichier user.reg (le registre de "
                "l'utilisateur)");
  fs::create_directories(prefix_ / "linked");
  fs::create_directory_symlink(wine / "drive_c", prefix_ / "linked/drive_c");
  std::ofstream(prefix_ / "linked/user.reg") << "WINE REGISTRY Version 2\n";
  EXPECT_EQ(refusal(prefix_ / "linked"),
            "Le dossier " + (prefix_ / "linked").string() +
                " n'est pas un préfixe Wine : il n'a pas de vrai dossier drive_c (le lecteur C)");
  EXPECT_EQ(refusal(prefix_ / "missing"), "Le dossier " + (prefix_ / "missing").string() +
                                               " n'est pas un préfixe Wine : il n'existe pas");
  EXPECT_NE(refusal(prefix_ / "wine/drive_c").find("ne peut servir de préfixe"), std::string::npos);
  EXPECT_FALSE(fs::exists(prefix_ / "missing"));
  EXPECT_EQ(state(prefix_ / "no-hive"), std::vector<std::string>{(prefix_ / "no-hive/drive_c").string()});
  // A prefix pointed at the usual way gets its profile again.
  os::setPrefixFolder(prefix_ / "fresh");
  os::ensureProfile();
  EXPECT_TRUE(fs::exists(prefix_ / "fresh/user.reg"));
}

}  // namespace
