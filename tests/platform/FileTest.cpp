// Files written on drive C.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <set>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>

#include "HeldLock.h"
#endif

#include "TempPrefix.h"
#include "platform/Attributes.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "platform/Prefix.h"
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "platform/StoredFile.h"
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

std::uint32_t saveError(std::string_view path) {
  try {
    os::saveFile(path, "x");
  } catch (const os::SystemError& e) {
    return e.code();
  }
  return 0;
}

std::set<std::string> namesIn(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.insert(e.path().filename().string());
  return names;
}

// A saved file is the whole new text or the old one; a file that must stay is kept; beside it,
// only its lock remains.
TEST_F(FileTest, SaveFileReplacesWholeAndKeepsWhatMustStay) {
  const fs::path folder = makeFolder("Program Files/Tidora 2000");
  const fs::path p = makeFile("Program Files/Tidora 2000/options.ini", "old and longer");
  EXPECT_TRUE(os::saveFile("C:\\Program Files\\Tidora 2000\\options.ini", std::string(100000, 'n')));
  EXPECT_EQ(contents(p), std::string(100000, 'n'));
  EXPECT_FALSE(os::saveFile("C:\\Program Files\\Tidora 2000\\options.ini", "other", true));
  EXPECT_EQ(contents(p), std::string(100000, 'n'));
  EXPECT_TRUE(os::saveFile("C:\\Program Files\\Tidora 2000\\aide.hlp", "aide", true));
  EXPECT_EQ(contents(folder / "aide.hlp"), "aide");
  EXPECT_EQ(namesIn(folder),
            (std::set<std::string>{"aide.hlp", "aide.hlp.lock", "options.ini", "options.ini.lock"}));

  os::setFileAttributes("C:\\Program Files\\Tidora 2000\\aide.hlp", os::attr::ReadOnly);
  EXPECT_EQ(saveError("C:\\Program Files\\Tidora 2000\\aide.hlp"), os::error::AccessDenied);
  EXPECT_EQ(contents(folder / "aide.hlp"), "aide");
  EXPECT_EQ(saveError("C:\\windows"), os::error::AccessDenied);
  EXPECT_TRUE(fs::is_directory(drive() / "windows"));
  EXPECT_EQ(saveError("C:\\none\\a.txt"), os::error::PathNotFound);
  EXPECT_EQ(saveError("D:\\a.txt"), os::error::PathNotFound);
  EXPECT_EQ(namesIn(folder),
            (std::set<std::string>{"aide.hlp", "aide.hlp.lock", "options.ini", "options.ini.lock"}));
}

#ifndef _WIN32
// A link or a FIFO in the file's place or its lock's: never followed, never waited on.
TEST_F(FileTest, SaveFileNeverFollowsALinkNorWaitsOnAFifo_Linux) {
  const fs::path folder = makeFolder("Program Files/Tidora 2000");
  const fs::path outside = prefix_ / "outside.txt";
  std::ofstream(outside) << "outside";
  alarm(30);  // a blocked call ends the test program
  for (const char* name : {"options.ini", "options.ini.lock"}) {
    for (const bool fifo : {true, false}) {
      const fs::path planted = folder / name;
      fs::remove(planted);
      if (fifo) {
        ASSERT_EQ(mkfifo(planted.c_str(), 0600), 0);
      } else {
        fs::create_symlink(outside, planted);
      }
      EXPECT_THROW(os::saveFile("C:\\Program Files\\Tidora 2000\\options.ini", "new"), os::SystemError)
          << name << (fifo ? " FIFO" : " link");
      if (std::string_view(name) == "options.ini") {
        EXPECT_FALSE(os::saveFile("C:\\Program Files\\Tidora 2000\\options.ini", "new", true));
      }
      EXPECT_EQ(fs::symlink_status(planted).type(), fifo ? fs::file_type::fifo : fs::file_type::symlink);
      fs::remove(planted);
    }
  }
  alarm(0);
  EXPECT_EQ(contents(outside), "outside");
  EXPECT_TRUE(namesIn(folder).empty());
}

// Another program holding the lock: the save waits for it, then goes through.
TEST_F(FileTest, SaveFileWaitsForTheLockOfAnother_Linux) {
  const fs::path folder = makeFolder("Program Files/Tidora 2000");
  ExpectToWaitForLock(folder / "options.ini.lock", [] {
    EXPECT_TRUE(os::saveFile("C:\\Program Files\\Tidora 2000\\options.ini", "new"));
  });
  EXPECT_EQ(contents(folder / "options.ini"), "new");
}
#endif

}  // namespace
