// Windows paths mapped into the prefix.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "platform/FileSystem.h"
#include "tests/support/LecteurTemporaire.h"
#include "tests/support/Plateforme.h"

namespace fs = std::filesystem;

namespace {

class PathTest : public AvecLecteur {
 protected:
  fs::path drive() const { return temporaire.LecteurC(); }
  // Makes the folder `relative` ("a/b") of drive_c as spelled, whatever is there already.
  void makeFolder(const std::string& relative) const { fs::create_directories(drive() / relative); }
  std::optional<fs::path> hostPath(std::string_view windowsPath) const {
    return os::testing::hostPath(lecteur, windowsPath);
  }
};

TEST_F(PathTest, MapsDriveCOnlyAndNeverClimbsAboveIt) {
  EXPECT_EQ(hostPath("C:\\windows\\TEMP\\a.tmp"), drive() / "windows/temp/a.tmp");
  EXPECT_EQ(hostPath("c:/windows/./TEMP//a.tmp"), drive() / "windows/temp/a.tmp");
  EXPECT_EQ(hostPath("C:\\"), drive());
  EXPECT_EQ(hostPath("C:"), drive());
  EXPECT_EQ(hostPath("C:\\..\\..\\etc\\passwd"), drive() / "etc/passwd");
  EXPECT_EQ(hostPath("C:\\windows\\..\\..\\..\\x"), drive() / "x");
  EXPECT_EQ(hostPath("C:\\windows\\TEMP\\..\\SYSBCKUP"), drive() / "windows/SYSBCKUP");

  for (const char* elsewhere : {"D:\\windows", "windows\\TEMP", "\\windows", "\\\\server\\share\\x",
                                "C:windows", "", "C", "/etc/passwd"}) {
    EXPECT_FALSE(hostPath(elsewhere).has_value()) << elsewhere;
    EXPECT_FALSE(os::fileAttributes(lecteur, elsewhere).has_value()) << elsewhere;
  }
  EXPECT_FALSE(hostPath(std::string_view("C:\\a\0b", 6)).has_value());
}

TEST_F(PathTest, MatchesCaseInsensitivelyPreferringTheExactSpelling) {
  makeFolder("Data/Sub");
  makeFolder("data");
  EXPECT_EQ(hostPath("C:\\Data\\Sub"), drive() / "Data/Sub");
  EXPECT_EQ(hostPath("C:\\data"), drive() / "data");
  EXPECT_EQ(hostPath("C:\\WINDOWS\\temp\\New File.TMP"), drive() / "windows/temp/New File.TMP");
  EXPECT_EQ(hostPath("C:\\Missing\\Deeper"), drive() / "Missing/Deeper");
  EXPECT_TRUE(os::fileAttributes(lecteur, "c:\\WINDOWS\\Temp").has_value());

  // Every cased letter, not only ASCII; bytes outside valid UTF-8 only match themselves.
  makeFolder("users/\u00e9lodie/Cache");
  makeFolder("\u03b1\u03b8\u03ae\u03bd\u03b1/\u043c\u043e\u0441\u043a\u0432\u0430");
  makeFolder("\xe9t\xe9");
  EXPECT_EQ(hostPath("C:\\USERS\\\u00c9LODIE\\CACHE"), drive() / "users/\u00e9lodie/Cache");
  EXPECT_EQ(hostPath("C:\\\u0391\u0398\u0389\u039d\u0391\\\u041c\u041e\u0421\u041a\u0412\u0410"),
            drive() / "\u03b1\u03b8\u03ae\u03bd\u03b1/\u043c\u043e\u0441\u043a\u0432\u0430");
  EXPECT_EQ(hostPath("C:\\\xc9T\xc9"), drive() / "\xc9T\xc9");  // missing: kept as spelled
  EXPECT_EQ(hostPath("C:\\\xe9T\xe9"), drive() / "\xe9t\xe9");
}

}  // namespace
