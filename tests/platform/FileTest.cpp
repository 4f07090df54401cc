// Files written on drive C.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "HeldLock.h"
#include "platform/linux/StoredFile.h"
#endif

#include "platform/Attributes.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "platform/StoredFile.h"
#include "platform/SystemError.h"
#include "tests/support/LecteurTemporaire.h"
#include "tests/support/Plateforme.h"

namespace fs = std::filesystem;

namespace {

using os::testing::contents;

std::set<std::string> namesIn(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.insert(e.path().filename().string());
  return names;
}

class FileTest : public AvecLecteur {
 protected:
  fs::path drive() const { return temporaire.LecteurC(); }
  // The Windows error code `action` throws; 0 when it succeeds.
  template <typename Action>
  static std::uint32_t errorOf(Action action) {
    try {
      action();
    } catch (const os::SystemError& e) {
      return e.code();
    }
    return 0;
  }
  std::uint32_t createError(std::string_view path) {
    return errorOf([&] { os::File::create(lecteur, path); });
  }
  std::uint32_t saveError(std::string_view path) {
    return errorOf([&] { os::saveFile(lecteur, path, "x"); });
  }
};

TEST_F(FileTest, CreatesOrTruncatesAndWritesEverything) {
  const fs::path p =
      temporaire.Creer("C:\\Program Files\\Tidora 2000\\options.ini", "old and longer");
  os::File f = os::File::create(lecteur, "C:\\PROGRAM FILES\\tidora 2000\\Options.ini");
  f.write("[Options]\n");
  f.write(std::string(100000, 'x'));
  f.flush();
  os::File moved = std::move(f);
  moved.close();
  EXPECT_EQ(contents(p), "[Options]\n" + std::string(100000, 'x'));

  os::File::create(lecteur, "C:\\new.txt").write("n");
  EXPECT_EQ(contents(drive() / "new.txt"), "n");
}

TEST_F(FileTest, RefusesFoldersReadOnlyFilesAndMissingFolders) {
  temporaire.Creer("C:\\ro.txt", "keep");
  os::testing::setFileAttributes(lecteur, "C:\\ro.txt", os::attr::ReadOnly);
  EXPECT_EQ(createError("C:\\ro.txt"), os::error::AccessDenied);
  EXPECT_EQ(contents(drive() / "ro.txt"), "keep");
  EXPECT_EQ(createError("C:\\windows"), os::error::AccessDenied);
  EXPECT_EQ(createError("C:\\none\\a.txt"), os::error::PathNotFound);
  EXPECT_EQ(createError("D:\\a.txt"), os::error::PathNotFound);
}

// A saved file is the whole new text or the old one; a file that must stay is kept; nothing is
// left beside it, no lock file either (the lock is the folder's own).
TEST_F(FileTest, SaveFileReplacesWholeAndKeepsWhatMustStay) {
  const fs::path folder = temporaire.CreerDossier("C:\\Program Files\\Tidora 2000");
  const std::string options = "C:\\Program Files\\Tidora 2000\\options.ini";
  const std::string aide = "C:\\Program Files\\Tidora 2000\\aide.hlp";
  const fs::path p = temporaire.Creer(options, "old and longer");
  EXPECT_TRUE(os::saveFile(lecteur, options, std::string(100000, 'n')));
  EXPECT_EQ(contents(p), std::string(100000, 'n'));
  EXPECT_FALSE(os::saveFile(lecteur, options, "other", true));
  EXPECT_EQ(contents(p), std::string(100000, 'n'));
  EXPECT_TRUE(os::saveFile(lecteur, aide, "aide", true));
  EXPECT_EQ(contents(folder / "aide.hlp"), "aide");
  EXPECT_EQ(namesIn(folder), (std::set<std::string>{"aide.hlp", "options.ini"}));

  os::testing::setFileAttributes(lecteur, aide, os::attr::ReadOnly);
  EXPECT_EQ(saveError(aide), os::error::AccessDenied);
  EXPECT_EQ(contents(folder / "aide.hlp"), "aide");
  EXPECT_EQ(saveError("C:\\windows"), os::error::AccessDenied);
  EXPECT_TRUE(fs::is_directory(drive() / "windows"));
  EXPECT_EQ(saveError("C:\\none\\a.txt"), os::error::PathNotFound);
  EXPECT_EQ(saveError("D:\\a.txt"), os::error::PathNotFound);
  EXPECT_EQ(namesIn(folder), (std::set<std::string>{"aide.hlp", "options.ini"}));
}

// What a save cut short left beside the file goes with the next save of it; nothing else does.
TEST_F(FileTest, SaveFileRemovesTheLeftoversOfASaveCutShort) {
  const fs::path folder = temporaire.CreerDossier("C:\\Program Files\\Tidora 2000");
  const std::set<std::string> autres{"options.ini.tmp", "options.ini.0123456g.tmp",
                                     "options.ini.01234567.tmp.old", "aide.hlp.01234567.tmp",
                                     "options.ini.0123456789.tmp"};
  for (const std::string& nom : autres)
    temporaire.Creer("C:\\Program Files\\Tidora 2000\\" + nom, "x");
  temporaire.Creer("C:\\Program Files\\Tidora 2000\\options.ini.89abcdef.tmp", "cut short");
  EXPECT_TRUE(os::saveFile(lecteur, "C:\\Program Files\\Tidora 2000\\options.ini", "new"));
  std::set<std::string> attendu = autres;
  attendu.insert("options.ini");
  EXPECT_EQ(namesIn(folder), attendu);
}

#ifndef _WIN32
// A link or a FIFO in the file's place: never followed, never waited on. One where the lock file
// was once kept is nothing of the program's now: the save goes through and leaves it as it is.
TEST_F(FileTest, SaveFileNeverFollowsALinkNorWaitsOnAFifo_Linux) {
  const fs::path folder = temporaire.CreerDossier("C:\\Program Files\\Tidora 2000");
  const std::string options = "C:\\Program Files\\Tidora 2000\\options.ini";
  const fs::path outside = temporaire.Dossier() / "outside.txt";
  std::ofstream(outside) << "outside";
  alarm(30);  // a blocked call ends the test program
  for (const bool fifo : {true, false}) {
    for (const char* name : {"options.ini", "options.ini.lock"}) {
      const fs::path planted = folder / name;
      if (fifo) {
        ASSERT_EQ(mkfifo(planted.c_str(), 0600), 0);
      } else {
        fs::create_symlink(outside, planted);
      }
      if (std::string_view(name) == "options.ini") {
        EXPECT_THROW(os::saveFile(lecteur, options, "new"), os::SystemError)
            << (fifo ? " FIFO" : " link");
        EXPECT_FALSE(os::saveFile(lecteur, options, "new", true));
      } else {
        EXPECT_TRUE(os::saveFile(lecteur, options, "new"));
        EXPECT_EQ(contents(folder / "options.ini"), "new");
        fs::remove(folder / "options.ini");
      }
      EXPECT_EQ(fs::symlink_status(planted).type(),
                fifo ? fs::file_type::fifo : fs::file_type::symlink);
      fs::remove(planted);
    }
  }
  alarm(0);
  EXPECT_EQ(contents(outside), "outside");
  EXPECT_TRUE(namesIn(folder).empty());
}

// Another program holding the folder's lock: the save waits for it, then goes through.
TEST_F(FileTest, SaveFileWaitsForTheLockOfAnother_Linux) {
  const fs::path folder = temporaire.CreerDossier("C:\\Program Files\\Tidora 2000");
  ExpectToWaitForLock(folder, [&] {
    EXPECT_TRUE(os::saveFile(lecteur, "C:\\Program Files\\Tidora 2000\\options.ini", "new"));
  });
  EXPECT_EQ(contents(folder / "options.ini"), "new");
  EXPECT_EQ(namesIn(folder), (std::set<std::string>{"options.ini"}));
}

// Savers of two processes exclude each other through the folder's lock, with no file for it: a
// save waits while a saver of another process holds it, and turns of reading and saving a count,
// taken under it by two processes at once, lose no turn.
TEST_F(FileTest, SaversOfTwoProcessesExcludeEachOther_Linux) {
  const fs::path folder = temporaire.CreerDossier("C:\\Program Files\\Tidora 2000");
  const std::string shown = "C:\\Program Files\\Tidora 2000\\compte.txt";
  ASSERT_TRUE(os::saveFile(lecteur, shown, "0"));
  // In a child, `work` on the folder opened as another program opens it; its exit status tells.
  const auto child = [&](const std::function<bool(int)>& work) {
    const pid_t pid = fork();
    if (pid == 0) {
      alarm(60);
      const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      bool ok = false;
      try {
        ok = fd >= 0 && work(fd);
      } catch (...) {
      }
      _exit(ok ? 0 : 1);
    }
    return pid;
  };
  const auto succeeded = [](pid_t pid) {
    int status = -1;
    return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
  };

  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t holder = child([&](int fd) {
    const os::host::StoreLock lock(fd, shown);
    if (write(ready[1], "1", 1) != 1) return false;
    usleep(300000);
    return true;
  });
  char c = 0;
  ASSERT_EQ(read(ready[0], &c, 1), 1);
  close(ready[0]);
  close(ready[1]);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(os::saveFile(lecteur, shown, "0"));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(250));
  EXPECT_TRUE(succeeded(holder));

  constexpr int kTours = 200;
  const auto turns = [&](int fd) {
    for (int i = 0; i < kTours; ++i) {
      const os::host::StoreLock lock(fd, shown);
      const int n = std::stoi(contents(folder / "compte.txt"));
      os::host::replaceLocked(fd, "compte.txt", std::to_string(n + 1), shown);
    }
    return true;
  };
  const pid_t other = child(turns);
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  EXPECT_NO_THROW(turns(fd));
  ::close(fd);
  EXPECT_TRUE(succeeded(other));
  EXPECT_EQ(contents(folder / "compte.txt"), std::to_string(2 * kTours));
  EXPECT_EQ(namesIn(folder), (std::set<std::string>{"compte.txt"}));
}
#endif

}  // namespace
