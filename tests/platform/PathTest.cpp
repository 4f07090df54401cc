// Windows paths mapped into the prefix, and the fresh profile.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "TempPrefix.h"
#include "platform/FileSystem.h"
#include "platform/Prefix.h"
#include "platform/SystemError.h"

namespace fs = std::filesystem;

namespace {

using PathTest = TempPrefix;

TEST_F(PathTest, FreshProfileHasWindowsUserAndProgramFolders) {
  EXPECT_TRUE(os::ensureProfile());
  EXPECT_FALSE(os::ensureProfile());
  for (const char* folder : {"windows/temp", "windows/SYSBCKUP", "Program Files/Tidora 2000"}) {
    EXPECT_TRUE(fs::is_directory(drive() / folder)) << folder;
  }
  const fs::path users = drive() / "users";
  ASSERT_EQ(std::distance(fs::directory_iterator(users), fs::directory_iterator()), 1);
  const fs::path user = fs::directory_iterator(users)->path();
  for (const char* folder :
       {"AppData/Local/Microsoft/Windows/INetCache", "AppData/Local/Microsoft/Windows/History",
        "AppData/Roaming/Microsoft/Windows/Recent",
        "AppData/Local/Microsoft/Windows/INetCookies"}) {
    EXPECT_TRUE(fs::is_directory(user / folder)) << folder;
  }
  EXPECT_TRUE(fs::is_regular_file(prefix_ / "user.reg"));

  EXPECT_EQ(os::windowsDirectory(), "C:\\windows");
  EXPECT_EQ(os::executablePath(), "C:\\Program Files\\Tidora 2000\\Tidora2000.exe");
  EXPECT_EQ(os::executableFolder(), "C:\\Program Files\\Tidora 2000");
}

TEST_F(PathTest, MapsDriveCOnlyAndNeverClimbsAboveIt) {
  EXPECT_EQ(os::hostPath("C:\\windows\\TEMP\\a.tmp"), drive() / "windows/temp/a.tmp");
  EXPECT_EQ(os::hostPath("c:/windows/./TEMP//a.tmp"), drive() / "windows/temp/a.tmp");
  EXPECT_EQ(os::hostPath("C:\\"), drive());
  EXPECT_EQ(os::hostPath("C:"), drive());
  EXPECT_EQ(os::hostPath("C:\\..\\..\\etc\\passwd"), drive() / "etc/passwd");
  EXPECT_EQ(os::hostPath("C:\\windows\\..\\..\\..\\x"), drive() / "x");
  EXPECT_EQ(os::hostPath("C:\\windows\\TEMP\\..\\SYSBCKUP"), drive() / "windows/SYSBCKUP");

  for (const char* elsewhere : {"D:\\windows", "windows\\TEMP", "\\windows", "\\\\server\\share\\x",
                                "C:windows", "", "C", "/etc/passwd"}) {
    EXPECT_FALSE(os::hostPath(elsewhere).has_value()) << elsewhere;
    EXPECT_FALSE(os::fileAttributes(elsewhere).has_value()) << elsewhere;
  }
  EXPECT_FALSE(os::hostPath(std::string_view("C:\\a\0b", 6)).has_value());
}

TEST_F(PathTest, MatchesCaseInsensitivelyPreferringTheExactSpelling) {
  makeFolder("Data/Sub");
  makeFolder("data");
  EXPECT_EQ(os::hostPath("C:\\Data\\Sub"), drive() / "Data/Sub");
  EXPECT_EQ(os::hostPath("C:\\data"), drive() / "data");
  EXPECT_EQ(os::hostPath("C:\\WINDOWS\\temp\\New File.TMP"), drive() / "windows/temp/New File.TMP");
  EXPECT_EQ(os::hostPath("C:\\Missing\\Deeper"), drive() / "Missing/Deeper");
  EXPECT_TRUE(os::fileAttributes("c:\\WINDOWS\\Temp").has_value());

  // Every cased letter, not only ASCII; bytes outside valid UTF-8 only match themselves.
  makeFolder("users/\u00e9lodie/Cache");
  makeFolder("\u03b1\u03b8\u03ae\u03bd\u03b1/\u043c\u043e\u0441\u043a\u0432\u0430");
  makeFolder("\xe9t\xe9");
  EXPECT_EQ(os::hostPath("C:\\USERS\\\u00c9LODIE\\CACHE"), drive() / "users/\u00e9lodie/Cache");
  EXPECT_EQ(os::hostPath("C:\\\u0391\u0398\u0389\u039d\u0391\\\u041c\u041e\u0421\u041a\u0412\u0410"),
            drive() / "\u03b1\u03b8\u03ae\u03bd\u03b1/\u043c\u043e\u0441\u043a\u0432\u0430");
  EXPECT_EQ(os::hostPath("C:\\\xc9T\xc9"), drive() / "\xc9T\xc9");  // missing: kept as spelled
  EXPECT_EQ(os::hostPath("C:\\\xe9T\xe9"), drive() / "\xe9t\xe9");
}

TEST_F(PathTest, OverrideChoosesThePrefix) {
  EXPECT_EQ(os::prefixFolder(), prefix_);
  os::setPrefixFolder(prefix_ / "other");
  EXPECT_TRUE(os::ensureProfile());
  EXPECT_TRUE(fs::is_directory(prefix_ / "other/drive_c/windows"));
}

TEST_F(PathTest, RefusesADriveCThatIsALink) {
  fs::create_directories(prefix_ / "evil");
  fs::create_directory_symlink("/", prefix_ / "evil/drive_c");
  os::setPrefixFolder(prefix_ / "evil");
  EXPECT_THROW(os::ensureProfile(), os::SystemError);
  EXPECT_THROW(os::deleteFile("C:\\etc\\hostname"), os::SystemError);
  EXPECT_TRUE(fs::exists("/etc/hostname"));
}

}  // namespace
