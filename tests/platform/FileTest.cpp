// Files written on drive C.
#include <gtest/gtest.h>

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

}  // namespace
