// Attributes, deletion and the other file operations on drive C.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "TempPrefix.h"
#include "platform/Attributes.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "platform/Folder.h"
#include "platform/SystemError.h"

namespace fs = std::filesystem;
using namespace os::attr;

namespace {

using FileSystemTest = TempPrefix;

std::uint32_t errorOf(void (*f)(std::string_view), std::string_view path) {
  try {
    f(path);
  } catch (const os::SystemError& e) {
    EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
    return e.code();
  }
  return 0;
}

TEST_F(FileSystemTest, AttributesRoundTrip) {
  const fs::path file = makeFile("docs/a.txt");
  EXPECT_EQ(os::fileAttributes("C:\\docs\\A.TXT"), Archive);
  EXPECT_EQ(os::fileAttributes("C:\\docs"), Directory);
  EXPECT_FALSE(os::fileAttributes("C:\\docs\\none.txt").has_value());

  os::setFileAttributes("C:\\docs\\a.txt", ReadOnly | Hidden | System | Directory | Archive);
  EXPECT_EQ(os::fileAttributes("C:\\docs\\a.txt"), ReadOnly | Hidden | System | Archive);
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::owner_write, fs::perms::none);

  os::setFileAttributes("C:\\docs\\a.txt", Hidden);
  EXPECT_EQ(os::fileAttributes("C:\\docs\\a.txt"), Hidden | Archive);
  os::setFileAttributes("C:\\docs\\a.txt", 0);
  EXPECT_EQ(os::fileAttributes("C:\\docs\\a.txt"), Archive);

  EXPECT_EQ(errorOf([](std::string_view p) { os::setFileAttributes(p, 0); }, "C:\\docs\\no.txt"),
            os::error::FileNotFound);
  EXPECT_EQ(errorOf([](std::string_view p) { os::setFileAttributes(p, 0); }, "C:\\no\\no.txt"),
            os::error::PathNotFound);
}

TEST_F(FileSystemTest, DotNamesAreHidden) {
  makeFile("home/.profile");
  makeFolder("home/.cache");
  EXPECT_EQ(os::fileAttributes("C:\\home\\.profile"), Hidden | Archive);
  EXPECT_EQ(os::fileAttributes("C:\\home\\.cache"), Hidden | Directory);
}

TEST_F(FileSystemTest, LinksAreReparsePointsAndAreNeverFollowed_Linux) {
  const fs::path target = makeFile("target/file.txt");
  fs::create_symlink(target, drive() / "file-link");
  fs::create_directory_symlink(drive() / "target", drive() / "dir-link");
  EXPECT_EQ(os::fileAttributes("C:\\file-link"), ReparsePoint | Archive);
  EXPECT_EQ(os::fileAttributes("C:\\dir-link"), ReparsePoint | Directory);

  // Clearing what a link cannot carry is fine; read-only never reaches the target.
  os::setFileAttributes("C:\\file-link", 0);
  try {
    os::setFileAttributes("C:\\file-link", Hidden);  // no extended attributes on a link
    ADD_FAILURE() << "hidden set on a link";
  } catch (const os::SystemError& e) {
    EXPECT_EQ(e.code(), os::error::NotSupported);
  }
  EXPECT_THROW(os::setFileAttributes("C:\\file-link", ReadOnly), os::SystemError);
  EXPECT_NE(fs::status(target).permissions() & fs::perms::owner_write, fs::perms::none);

  os::deleteFile("C:\\file-link");
  os::deleteFile("C:\\dir-link");
  EXPECT_FALSE(fs::exists(fs::symlink_status(drive() / "file-link")));
  EXPECT_FALSE(fs::exists(fs::symlink_status(drive() / "dir-link")));
  EXPECT_TRUE(fs::exists(target));
}

TEST_F(FileSystemTest, DeleteRefusesReadOnlyFoldersAndMissingFiles) {
  const fs::path file = makeFile("windows/temp/a.tmp");
  makeFile("windows/temp/hidden.tmp");
  os::setFileAttributes("C:\\windows\\TEMP\\a.tmp", ReadOnly);
  EXPECT_EQ(errorOf(os::deleteFile, "C:\\windows\\TEMP\\a.tmp"), os::error::AccessDenied);
  EXPECT_TRUE(fs::exists(file));
  EXPECT_EQ(errorOf(os::deleteFile, "C:\\windows\\TEMP"), os::error::AccessDenied);
  EXPECT_EQ(errorOf(os::deleteFile, "C:\\windows\\TEMP\\none.tmp"), os::error::FileNotFound);
  EXPECT_EQ(errorOf(os::deleteFile, "C:\\windows\\NONE\\a.tmp"), os::error::PathNotFound);
  EXPECT_EQ(errorOf(os::deleteFile, "D:\\a.tmp"), os::error::PathNotFound);

  os::setFileAttributes("C:\\WINDOWS\\temp\\A.tmp", 0);
  os::deleteFile("C:\\WINDOWS\\temp\\A.tmp");
  EXPECT_FALSE(fs::exists(file));
  os::setFileAttributes("C:\\windows\\TEMP\\hidden.tmp", Hidden | System);
  os::deleteFile("C:\\windows\\TEMP\\hidden.tmp");
  EXPECT_TRUE(fs::is_empty(drive() / "windows/temp"));
}

TEST_F(FileSystemTest, FoldersCreatedAndRemoved) {
  os::createDirectory("C:\\Work");
  EXPECT_EQ(errorOf(os::createDirectory, "C:\\WORK"), os::error::AlreadyExists);
  EXPECT_EQ(errorOf(os::createDirectory, "C:\\none\\Work"), os::error::PathNotFound);
  makeFile("Work/a.txt", "new");
  makeFile("Work/b.txt", "old");
  EXPECT_EQ(errorOf(os::removeDirectory, "C:\\work"), os::error::DirNotEmpty);
  EXPECT_EQ(errorOf(os::removeDirectory, "C:\\work\\a.txt"), os::error::DirectoryInvalid);

  os::deleteFile("C:\\work\\A.txt");
  os::deleteFile("C:\\WORK\\B.TXT");
  os::removeDirectory("C:\\work");
  EXPECT_FALSE(fs::exists(drive() / "Work"));
}

TEST_F(FileSystemTest, LinksNeverLeadChangesOutOfDriveC_Linux) {
  os::ensureProfile();  // first: a prefix folder holding only "outside" is no prefix
  const fs::path outside = prefix_ / "outside";
  fs::create_directories(outside / "sub");
  std::ofstream(outside / "victim.txt") << "keep";
  fs::create_directory_symlink(outside, drive() / "abs");
  fs::create_directory_symlink("../outside", drive() / "rel");
  fs::create_symlink(outside / "victim.txt", drive() / "file-link");

  for (const char* p : {"C:\\abs\\victim.txt", "C:\\rel\\victim.txt"}) {
    EXPECT_THROW(os::deleteFile(p), os::SystemError) << p;
    EXPECT_THROW(os::setFileAttributes(p, os::attr::ReadOnly | os::attr::Hidden), os::SystemError);
    EXPECT_THROW(os::File::create(p), os::SystemError) << p;
    EXPECT_FALSE(os::Folder::open(std::string(p) + "\\..")) << p;
  }
  EXPECT_THROW(os::removeDirectory("C:\\abs\\sub"), os::SystemError);
  EXPECT_THROW(os::File::create("C:\\file-link"), os::SystemError);

  EXPECT_EQ(fs::file_size(outside / "victim.txt"), 4u);
  EXPECT_NE(fs::status(outside / "victim.txt").permissions() & fs::perms::owner_write,
            fs::perms::none);
  EXPECT_TRUE(fs::is_directory(outside / "sub"));
}

TEST_F(FileSystemTest, ARemadeFolderIsTheOneActedOn) {
  makeFile("w/a.txt");
  makeFile("w/b.txt");
  os::deleteFile("C:\\w\\a.txt");
  // Replaced by another program: same name, new folder.
  fs::remove_all(drive() / "w");
  makeFile("w/b.txt");
  os::deleteFile("C:\\w\\b.txt");
  EXPECT_FALSE(fs::exists(drive() / "w/b.txt"));
  // Renamed away, with a file of the same name left in the old one.
  makeFile("w/c.txt");
  os::deleteFile("C:\\w\\c.txt");
  makeFile("w/c.txt");
  fs::rename(drive() / "w", drive() / "old");
  makeFile("w/c.txt");
  os::deleteFile("C:\\w\\c.txt");
  EXPECT_FALSE(fs::exists(drive() / "w/c.txt"));
  EXPECT_TRUE(fs::exists(drive() / "old/c.txt"));
}

// What failed, where and why, in French, the same words on both systems.
TEST_F(FileSystemTest, FailuresSayInFrenchWhatWhereAndWhy) {
  const auto message = [](auto action) {
    try {
      action();
    } catch (const os::SystemError& e) {
      return std::string(e.what());
    }
    return std::string("no failure");
  };
  makeFolder("Existe");
  EXPECT_EQ(message([] { os::deleteFile("C:\\none.txt"); }),
            "Ne peut supprimer le fichier C:\\none.txt : fichier introuvable");
  EXPECT_EQ(message([] { os::createDirectory("C:\\Existe"); }),
            "Ne peut créer le dossier C:\\Existe : existe déjà");
  EXPECT_EQ(message([] { os::deleteFile("C:\\Existe"); }).rfind("Ne peut supprimer le fichier C:\\Existe : ", 0),
            0u);
}

}  // namespace
