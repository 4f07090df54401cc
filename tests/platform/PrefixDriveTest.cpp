// Which folders become a drive on Linux: the program's own prefix (Drive::own), whose fresh
// profile is made when missing, and a prefix used as it stands (Drive::existing). What either
// refuses is refused in French, with nothing created nor deleted.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <string>

#include "platform/Drive.h"
#include "platform/FileSystem.h"
#include "platform/Folder.h"
#include "platform/Registry.h"
#include "platform/SystemError.h"
#include "tests/Montages.h"
#include "tests/support/Etat.h"
#include "tests/support/LecteurTemporaire.h"

namespace fs = std::filesystem;

namespace {

std::set<std::string> namesIn(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.insert(e.path().filename().string());
  return names;
}

class PrefixDriveTest : public AvecLecteur {
 protected:
  fs::path folder(const std::string& name) const { return temporaire.Dossier() / name; }
  // A prefix as Wine leaves it: drive_c, and a user.reg holding `hive`.
  fs::path winePrefix(const std::string& name,
                      const std::string& hive = "WINE REGISTRY Version 2\n") const {
    const fs::path p = folder(name);
    fs::create_directories(p / "drive_c/windows/temp");
    std::ofstream(p / "user.reg") << hive;
    return p;
  }
  // The French message of the SystemError `action` throws; "(accepté)" when it throws none.
  template <typename Action>
  static std::string refusal(Action action) {
    try {
      action();
    } catch (const os::SystemError& e) {
      return e.what();
    }
    return "(accepté)";
  }
  static std::string notAPrefix(const fs::path& p, const std::string& why) {
    return "Le dossier " + p.string() + " n'est pas un préfixe Wine : " + why;
  }
};

TEST_F(PrefixDriveTest, OwnMakesAFreshProfileOnceInTheFolderItIsGiven_Linux) {
  const fs::path other = folder("other");
  bool created = false;
  const os::Drive drive = os::Drive::own(other, &created);
  EXPECT_TRUE(created);
  EXPECT_EQ(drive.prefix(), other);
  for (const char* f : {"windows/temp", "windows/SYSBCKUP", "Program Files/Tidora 2000"}) {
    EXPECT_TRUE(fs::is_directory(other / "drive_c" / f)) << f;
  }
  const fs::path users = other / "drive_c/users";
  ASSERT_EQ(std::distance(fs::directory_iterator(users), fs::directory_iterator()), 1);
  const fs::path user = fs::directory_iterator(users)->path();
  for (const char* f :
       {"AppData/Local/Microsoft/Windows/INetCache", "AppData/Local/Microsoft/Windows/History",
        "AppData/Roaming/Microsoft/Windows/Recent",
        "AppData/Local/Microsoft/Windows/INetCookies"}) {
    EXPECT_TRUE(fs::is_directory(user / f)) << f;
  }
  // The profile and its first start's marker, and no samples: the program's folder is empty.
  EXPECT_EQ(namesIn(other),
            (std::set<std::string>{".first-start", ".tidora2000", "drive_c", "user.reg"}));
  EXPECT_TRUE(drive.madeByProgram());
  EXPECT_EQ(namesIn(other / "drive_c"),
            (std::set<std::string>{"Program Files", "users", "windows"}));
  EXPECT_TRUE(fs::is_empty(other / "drive_c/Program Files/Tidora 2000"));
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(other / "user.reg")));
  EXPECT_TRUE(drive.freshProfilePending());
  EXPECT_EQ(drive.windowsDirectory(), "C:\\windows");
  EXPECT_EQ(drive.executablePath(), "C:\\Program Files\\Tidora 2000\\Tidora2000.exe");
  EXPECT_EQ(drive.executableFolder(), "C:\\Program Files\\Tidora 2000");

  // Made again, nothing is created; the first start, once done, stays done.
  drive.finishFreshProfile();
  EXPECT_FALSE(drive.freshProfilePending());
  const os::Drive again = os::Drive::own(other / "sub" / ".." / "", &created);
  EXPECT_FALSE(created);
  EXPECT_EQ(again.prefix(), other);
  EXPECT_FALSE(again.freshProfilePending());
  EXPECT_EQ(namesIn(other), (std::set<std::string>{".tidora2000", "drive_c", "user.reg"}));
}

// A folder that may not serve as the program's prefix is refused before anything is made in it:
// a folder of something else, the home folder, anything but a folder, a drive_c that is a link.
TEST_F(PrefixDriveTest, OwnRefusesWhatMayNotBeItsPrefixAndCreatesNothing_Linux) {
  const fs::path other = folder("other");
  fs::create_directories(other);
  std::ofstream(other / "notes.txt") << "notes";
  const fs::path home = folder("home");
  fs::create_directories(home);
  std::ofstream(folder("file")) << "file";
  const fs::path linked = folder("linked");
  fs::create_directories(linked);
  fs::create_directories(folder("target/windows"));
  fs::create_directory_symlink(folder("target"), linked / "drive_c");
  const auto before = Etat(temporaire.Dossier());

  const std::string end = " ; rien n'y a été créé";
  EXPECT_EQ(refusal([&] { os::Drive::own(other); }),
            "Le dossier " + other.string() +
                " ne peut servir de préfixe : il ne contient ni drive_c ni registre (system.reg, "
                "user.reg)" +
                end);
  const char* const savedHome = std::getenv("HOME");
  const std::optional<std::string> oldHome =
      savedHome ? std::optional<std::string>(savedHome) : std::nullopt;
  ::setenv("HOME", home.c_str(), 1);
  const std::string homeRefusal = refusal([&] { os::Drive::own(home); });
  if (oldHome) {
    ::setenv("HOME", oldHome->c_str(), 1);
  } else {
    ::unsetenv("HOME");
  }
  EXPECT_EQ(homeRefusal, "Le dossier " + home.string() +
                             " ne peut servir de préfixe : c'est le dossier personnel" + end);
  EXPECT_EQ(refusal([&] { os::Drive::own(folder("file")); }),
            "Le dossier " + folder("file").string() +
                " ne peut servir de préfixe : ce n'est pas un dossier" + end);
  EXPECT_EQ(refusal([&] { os::Drive::own(linked); }),
            "Le lecteur C doit être un vrai dossier : " + (linked / "drive_c").string());
  EXPECT_EQ(Etat(temporaire.Dossier()), before);
}

// A prefix used as it stands: it is read and listed, and nothing of a profile is ever created in
// it; a folder without a real drive C or a regular user hive is no such prefix, and is left as
// it is; a missing folder stays missing.
TEST_F(PrefixDriveTest, ExistingUsesAPrefixAsItStandsAndRefusesWhatIsNone_Linux) {
  const fs::path wine =
      winePrefix("wine", "WINE REGISTRY Version 2\n\n[Software\\\\Cle]\n\"v\"=\"x\"\n");
  std::ofstream(wine / "drive_c/windows/temp/a.tmp") << "a";
  const auto before = Etat(wine);
  {
    const os::Drive drive = os::Drive::existing(wine);
    EXPECT_EQ(drive.prefix(), wine);
    EXPECT_EQ(drive.windowsDirectory(), "C:\\windows");
    EXPECT_TRUE(os::fileAttributes(drive, "C:\\windows\\temp\\a.tmp"));
    std::optional<os::Folder> temp = drive.openFolder("C:\\Windows\\Temp");
    ASSERT_TRUE(temp);
    EXPECT_EQ(temp->count(), 1u);
    const auto key = drive.openKey("\\Software\\Cle");
    ASSERT_TRUE(key);
    EXPECT_EQ(key->valueNames(), std::vector<std::string>{"v"});
    EXPECT_FALSE(drive.openKey("\\Software\\Microsoft\\Internet Explorer\\TypedURLs"));
    EXPECT_FALSE(drive.freshProfilePending());
    EXPECT_FALSE(drive.madeByProgram());
  }
  EXPECT_EQ(Etat(wine), before);

  fs::create_directories(folder("no-hive/drive_c"));
  winePrefix("hive-link");
  fs::remove(folder("hive-link/user.reg"));
  fs::create_symlink(wine / "user.reg", folder("hive-link/user.reg"));
  winePrefix("hive-folder");
  fs::remove(folder("hive-folder/user.reg"));
  fs::create_directory(folder("hive-folder/user.reg"));
  fs::create_directories(folder("linked"));
  fs::create_directory_symlink(wine / "drive_c", folder("linked/drive_c"));
  std::ofstream(folder("linked/user.reg")) << "WINE REGISTRY Version 2\n";
  fs::create_directories(folder("drive-file"));
  std::ofstream(folder("drive-file/drive_c")) << "C";
  std::ofstream(folder("drive-file/user.reg")) << "WINE REGISTRY Version 2\n";
  const auto all = Etat(temporaire.Dossier());

  const std::string noHive = "il n'a pas de fichier user.reg (le registre de l'utilisateur)";
  const std::string noDrive = "son dossier drive_c (le lecteur C) n'est pas un vrai dossier";
  const struct {
    const char* name;
    std::string why;
  } refused[] = {
      {"no-hive", noHive},
      {"hive-link", noHive},
      {"hive-folder", noHive},
      {"linked", noDrive},
      {"drive-file", noDrive},
      {"missing", "il n'existe pas"},
      {"wine/drive_c", "il n'a pas de dossier drive_c (le lecteur C)"},
  };
  for (const auto& r : refused) {
    EXPECT_EQ(refusal([&] { os::Drive::existing(folder(r.name)); }),
              notAPrefix(folder(r.name), r.why));
  }
  EXPECT_EQ(Etat(temporaire.Dossier()), all);
}

// A drive_c that is a mount point (a folder bound there) or on another file system (a tmpfs
// mounted there) is refused as it stands and as the program's own prefix: a run would delete
// files of another file system. Nothing is created in it nor beside it.
TEST_F(PrefixDriveTest, ADriveCThatIsAMountPointOrOnAnotherFileSystemIsRefused_Linux) {
  const fs::path source = folder("source");
  fs::create_directories(source / "inside");
  std::ofstream(source / "keep.txt") << "keep";
  const fs::path bound = winePrefix("bound");
  const fs::path other = winePrefix("tmpfs");
  Montages mounts;
  if (!mounts.Lier(source, bound / "drive_c")) {
    if (errno == EPERM) GTEST_SKIP() << "mounting refused here";
    FAIL() << "bind mount: " << std::strerror(errno);
  }
  if (!mounts.Tmpfs(other / "drive_c", "size=64k")) {
    if (errno == EPERM) GTEST_SKIP() << "mounting refused here";
    FAIL() << "tmpfs: " << std::strerror(errno);
  }
  fs::create_directories(other / "drive_c/windows");

  for (const fs::path& p : {bound, other}) {
    const std::string message =
        "Le lecteur C " + (p / "drive_c").string() +
        " est un point de montage (un autre système de fichiers y est monté) : il n'est pas "
        "nettoyé, pour ne rien effacer hors du préfixe";
    for (const bool hive : {true, false}) {  // without one, own() would make a whole profile
      if (!hive) fs::remove(p / "user.reg");
      const auto before = Etat(temporaire.Dossier());
      if (hive) {
        EXPECT_EQ(refusal([&] { os::Drive::existing(p); }), message) << p;
      }
      EXPECT_EQ(refusal([&] { os::Drive::own(p); }), message) << p;
      EXPECT_EQ(Etat(temporaire.Dossier()), before) << p << (hive ? "" : " without user.reg");
    }
  }
  EXPECT_EQ(namesIn(source), (std::set<std::string>{"inside", "keep.txt"}));
}

}  // namespace
