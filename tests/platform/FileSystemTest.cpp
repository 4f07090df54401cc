// Attributes, deletion and the other file operations on drive C.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/Attributes.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "platform/Folder.h"
#include "platform/SystemError.h"
#include "tests/support/LecteurTemporaire.h"
#include "tests/support/Plateforme.h"

namespace fs = std::filesystem;
using namespace os::attr;

namespace {

void clearAttributes(const os::Drive& drive, std::string_view path) {
  os::testing::setFileAttributes(drive, path, 0);
}

class FileSystemTest : public AvecLecteur {
 protected:
  fs::path drive() const { return temporaire.LecteurC(); }
  // The Windows error code `f` throws for `path`, whose message names it; 0 when it succeeds.
  std::uint32_t errorOf(void (*f)(const os::Drive&, std::string_view), std::string_view path) {
    try {
      f(lecteur, path);
    } catch (const os::SystemError& e) {
      EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
      return e.code();
    }
    return 0;
  }
};

TEST_F(FileSystemTest, AttributesRoundTrip) {
  const fs::path file = temporaire.Creer("C:\\docs\\a.txt");
  EXPECT_EQ(os::fileAttributes(lecteur, "C:\\docs\\A.TXT"), Archive);
  EXPECT_EQ(os::fileAttributes(lecteur, "C:\\docs"), Directory);
  EXPECT_FALSE(os::fileAttributes(lecteur, "C:\\docs\\none.txt").has_value());

  os::testing::setFileAttributes(lecteur, "C:\\docs\\a.txt",
                                 ReadOnly | Hidden | System | Directory | Archive);
  EXPECT_EQ(os::fileAttributes(lecteur, "C:\\docs\\a.txt"), ReadOnly | Hidden | System | Archive);
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::owner_write, fs::perms::none);

  os::testing::setFileAttributes(lecteur, "C:\\docs\\a.txt", Hidden);
  EXPECT_EQ(os::fileAttributes(lecteur, "C:\\docs\\a.txt"), Hidden | Archive);
  os::testing::setFileAttributes(lecteur, "C:\\docs\\a.txt", 0);
  EXPECT_EQ(os::fileAttributes(lecteur, "C:\\docs\\a.txt"), Archive);

  EXPECT_EQ(errorOf(clearAttributes, "C:\\docs\\no.txt"), os::error::FileNotFound);
  EXPECT_EQ(errorOf(clearAttributes, "C:\\no\\no.txt"), os::error::PathNotFound);
}

TEST_F(FileSystemTest, DotNamesAreHidden) {
  temporaire.Creer("C:\\home\\.profile");
  temporaire.CreerDossier("C:\\home\\.cache");
  EXPECT_EQ(os::fileAttributes(lecteur, "C:\\home\\.profile"), Hidden | Archive);
  EXPECT_EQ(os::fileAttributes(lecteur, "C:\\home\\.cache"), Hidden | Directory);
}

TEST_F(FileSystemTest, LinksAreReparsePointsAndAreNeverFollowed_Linux) {
  const fs::path target = temporaire.Creer("C:\\target\\file.txt");
  fs::create_symlink(target, drive() / "file-link");
  fs::create_directory_symlink(drive() / "target", drive() / "dir-link");
  EXPECT_EQ(os::fileAttributes(lecteur, "C:\\file-link"), ReparsePoint | Archive);
  EXPECT_EQ(os::fileAttributes(lecteur, "C:\\dir-link"), ReparsePoint | Directory);

  // Clearing what a link cannot carry is fine; read-only never reaches the target.
  os::testing::setFileAttributes(lecteur, "C:\\file-link", 0);
  try {
    os::testing::setFileAttributes(lecteur, "C:\\file-link",
                                   Hidden);  // no extended attributes on a link
    ADD_FAILURE() << "hidden set on a link";
  } catch (const os::SystemError& e) {
    EXPECT_EQ(e.code(), os::error::NotSupported);
  }
  EXPECT_THROW(os::testing::setFileAttributes(lecteur, "C:\\file-link", ReadOnly), os::SystemError);
  EXPECT_NE(fs::status(target).permissions() & fs::perms::owner_write, fs::perms::none);

  os::testing::deleteFile(lecteur, "C:\\file-link");
  os::testing::deleteFile(lecteur, "C:\\dir-link");
  EXPECT_FALSE(fs::exists(fs::symlink_status(drive() / "file-link")));
  EXPECT_FALSE(fs::exists(fs::symlink_status(drive() / "dir-link")));
  EXPECT_TRUE(fs::exists(target));
}

TEST_F(FileSystemTest, DeleteRefusesReadOnlyFoldersAndMissingFiles) {
  const fs::path file = temporaire.Creer("C:\\windows\\temp\\a.tmp");
  temporaire.Creer("C:\\windows\\temp\\hidden.tmp");
  os::testing::setFileAttributes(lecteur, "C:\\windows\\TEMP\\a.tmp", ReadOnly);
  EXPECT_EQ(errorOf(os::testing::deleteFile, "C:\\windows\\TEMP\\a.tmp"), os::error::AccessDenied);
  EXPECT_TRUE(fs::exists(file));
  EXPECT_EQ(errorOf(os::testing::deleteFile, "C:\\windows\\TEMP"), os::error::AccessDenied);
  EXPECT_EQ(errorOf(os::testing::deleteFile, "C:\\windows\\TEMP\\none.tmp"),
            os::error::FileNotFound);
  EXPECT_EQ(errorOf(os::testing::deleteFile, "C:\\windows\\NONE\\a.tmp"), os::error::PathNotFound);
  EXPECT_EQ(errorOf(os::testing::deleteFile, "D:\\a.tmp"), os::error::PathNotFound);

  os::testing::setFileAttributes(lecteur, "C:\\WINDOWS\\temp\\A.tmp", 0);
  os::testing::deleteFile(lecteur, "C:\\WINDOWS\\temp\\A.tmp");
  EXPECT_FALSE(fs::exists(file));
  os::testing::setFileAttributes(lecteur, "C:\\windows\\TEMP\\hidden.tmp", Hidden | System);
  os::testing::deleteFile(lecteur, "C:\\windows\\TEMP\\hidden.tmp");
  EXPECT_TRUE(fs::is_empty(drive() / "windows/temp"));
}

TEST_F(FileSystemTest, FoldersCreatedAndRemoved) {
  os::createDirectory(lecteur, "C:\\Work");
  EXPECT_EQ(errorOf(os::createDirectory, "C:\\WORK"), os::error::AlreadyExists);
  EXPECT_EQ(errorOf(os::createDirectory, "C:\\none\\Work"), os::error::PathNotFound);
  temporaire.Creer("C:\\Work\\a.txt", "new");
  temporaire.Creer("C:\\Work\\b.txt", "old");
  EXPECT_EQ(errorOf(os::testing::removeDirectory, "C:\\work"), os::error::DirNotEmpty);
  EXPECT_EQ(errorOf(os::testing::removeDirectory, "C:\\work\\a.txt"), os::error::DirectoryInvalid);

  os::testing::deleteFile(lecteur, "C:\\work\\A.txt");
  os::testing::deleteFile(lecteur, "C:\\WORK\\B.TXT");
  os::testing::removeDirectory(lecteur, "C:\\work");
  EXPECT_FALSE(fs::exists(drive() / "Work"));
}

TEST_F(FileSystemTest, LinksNeverLeadChangesOutOfDriveC_Linux) {
  const fs::path outside = temporaire.Dossier() / "outside";
  fs::create_directories(outside / "sub");
  std::ofstream(outside / "victim.txt") << "keep";
  fs::create_directory_symlink(outside, drive() / "abs");
  fs::create_directory_symlink("../outside", drive() / "rel");
  fs::create_symlink(outside / "victim.txt", drive() / "file-link");

  for (const char* p : {"C:\\abs\\victim.txt", "C:\\rel\\victim.txt"}) {
    EXPECT_THROW(os::testing::deleteFile(lecteur, p), os::SystemError) << p;
    EXPECT_THROW(os::testing::setFileAttributes(lecteur, p, os::attr::ReadOnly | os::attr::Hidden),
                 os::SystemError);
    EXPECT_THROW(os::File::create(lecteur, p), os::SystemError) << p;
    EXPECT_FALSE(lecteur.openFolder(std::string(p) + "\\..")) << p;
  }
  EXPECT_THROW(os::testing::removeDirectory(lecteur, "C:\\abs\\sub"), os::SystemError);
  EXPECT_THROW(os::File::create(lecteur, "C:\\file-link"), os::SystemError);

  EXPECT_EQ(fs::file_size(outside / "victim.txt"), 4u);
  EXPECT_NE(fs::status(outside / "victim.txt").permissions() & fs::perms::owner_write,
            fs::perms::none);
  EXPECT_TRUE(fs::is_directory(outside / "sub"));
}

TEST_F(FileSystemTest, ARemadeFolderIsTheOneActedOn) {
  temporaire.Creer("C:\\w\\a.txt");
  temporaire.Creer("C:\\w\\b.txt");
  os::testing::deleteFile(lecteur, "C:\\w\\a.txt");
  // Replaced by another program: same name, new folder.
  fs::remove_all(drive() / "w");
  temporaire.Creer("C:\\w\\b.txt");
  os::testing::deleteFile(lecteur, "C:\\w\\b.txt");
  EXPECT_FALSE(fs::exists(drive() / "w/b.txt"));
  // Renamed away, with a file of the same name left in the old one.
  temporaire.Creer("C:\\w\\c.txt");
  os::testing::deleteFile(lecteur, "C:\\w\\c.txt");
  temporaire.Creer("C:\\w\\c.txt");
  fs::rename(drive() / "w", drive() / "old");
  temporaire.Creer("C:\\w\\c.txt");
  os::testing::deleteFile(lecteur, "C:\\w\\c.txt");
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
  temporaire.CreerDossier("C:\\Existe");
  EXPECT_EQ(message([&] { os::testing::deleteFile(lecteur, "C:\\none.txt"); }),
            "Ne peut supprimer le fichier C:\\none.txt : fichier introuvable");
  EXPECT_EQ(message([&] { os::createDirectory(lecteur, "C:\\Existe"); }),
            "Ne peut créer le dossier C:\\Existe : existe déjà");
  EXPECT_EQ(message([&] {
              os::testing::deleteFile(lecteur, "C:\\Existe");
            }).rfind("Ne peut supprimer le fichier C:\\Existe : ", 0),
            0u);
}

}  // namespace
