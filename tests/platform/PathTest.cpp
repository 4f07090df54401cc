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
