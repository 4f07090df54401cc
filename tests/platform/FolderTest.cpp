// Folders opened once and listed once: their entries, what is done through them, and handles
// that always get closed.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <stdexcept>
#include <string>

#include "platform/Attributes.h"
#include "platform/FileSystem.h"
#include "platform/Folder.h"
#include "platform/Mask.h"
#include "platform/SystemError.h"
#include "tests/support/LecteurTemporaire.h"
#include "tests/support/Plateforme.h"
#include "tests/support/Systeme.h"
#ifndef _WIN32
#include "tests/Montages.h"
#endif

namespace fs = std::filesystem;
using namespace os::attr;

namespace {

std::set<std::string> names(os::Folder& f) {
  std::set<std::string> all;
  for (std::size_t i = 0; i < f.count(); ++i) all.insert(std::string(f.name(i)));
  return all;
}

// The Windows error code of what `action` throws; 0 when it throws nothing.
template <typename Action>
std::uint32_t errorOf(Action action) {
  try {
    action();
  } catch (const os::SystemError& e) {
    return e.code();
  }
  return 0;
}

TEST(MatchesMask, WildcardsCaseAndTrailingDotStar) {
  struct Case {
    const char* name;
    const char* mask;
    bool matches;
  };
  const Case cases[] = {
      {"a.tmp", "*.tmp", true},
      {"A.TMP", "*.tmp", true},
      {"a.tmp.bak", "*.tmp", false},
      {"tmp", "*.tmp", false},
      {".tmp", "*.tmp", true},
      {"TEMP", "*.*", true},
      {"a.b.c", "*.*", true},
      {".", "*.*", true},
      {"x", "*", true},
      {"ab", "a?", true},
      {"a", "a?", false},
      {"abc", "a?", false},
      {"~WRL0001.tmp", "~*.tmp", true},
      {"readme", "readme.*", true},
      {"readme.txt", "readme.*", true},
      {"readme2", "readme.*", false},
      {"Index.DAT", "index.dat", true},
      {"aXbXc", "a*b*c", true},
      {"aXbX", "a*b*c", false},
      {"", "*", false},
      {"x", "", false},
      {"a*b", "a*", true},  // a "*" in a host name is a character like any other
      // "?" is one character, not one byte of UTF-8; case is ignored for every cased letter.
      {"\u00e9.dat", "??.dat", false},
      {"\u00e9.dat", "?.dat", true},
      {"rapport\u00e9.doc", "rapport?.doc", true},
      {"\u00c9t\u00e9.txt", "\u00e9t\u00e9*.txt", true},
      {"\u00c9T\u00c9", "\u00e9t\u00e9", true},
      {"\u03a3\u038a\u03a3\u03a5\u03a6\u039f\u03a3", "\u03c3\u03af\u03c3\u03c5\u03c6\u03bf\u03c2",
       true},
      {"\u041c\u043e\u0441\u043a\u0432\u0430.doc", "\u043c\u041e\u0421\u041a*.DOC", true},
      {"\u0150z.txt", "\u0151Z.*", true},    // Latin Extended-A
      {"\u01c5.x", "\u01c6.x", true},        // title case
      {"\u212a.x", "k.x", true},             // Kelvin sign
      {"Stra\u00dfe", "STRASSE", false},     // one character never folds to two
      {"e\u0301.txt", "\u00e9.txt", false},  // no normalisation
      {"e\u0301.txt", "?.txt", false},
      {"\u0131", "i", false},  // dotless i is a letter of its own
      // A byte outside valid UTF-8 is one character, equal only to itself.
      {"\xe9.dat", "?.dat", true},
      {"\xe9.dat", "\u00e9.dat", false},
      {"\xc3\xc3.dat", "??.dat", true},
      {"\xed\xa0\x80", "?", true},  // a lone surrogate is one character
      {"\xed\xa0\x80", "???", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(os::matchesMask(c.name, c.mask), c.matches) << c.name << " ~ " << c.mask;
  }
}

class FolderTest : public AvecLecteur {
 protected:
  void SetUp() override {
    temporaire.Creer("C:\\data\\plain.tmp", "12345");
    temporaire.Creer("C:\\data\\hidden.tmp");
    temporaire.Creer("C:\\data\\system.tmp");
    temporaire.Creer("C:\\data\\.dot.tmp");
    temporaire.Creer("C:\\data\\NOEXT");
    temporaire.CreerDossier("C:\\data\\Sub.tmp");
    os::testing::setFileAttributes(lecteur, "C:\\data\\hidden.tmp", Hidden);
    os::testing::setFileAttributes(lecteur, "C:\\data\\system.tmp", System | ReadOnly);
  }
  fs::path drive() const { return temporaire.LecteurC(); }
  os::Folder data() {
    std::optional<os::Folder> f = lecteur.openFolder("C:\\data");
    if (!f) throw std::runtime_error("C:\\data does not open");
    return std::move(*f);
  }
};

// A folder's own path names it as the disk does, whatever spelling reached it; a file or a
// missing folder has none.
TEST_F(FolderTest, OwnPathSpellsTheFolderAsTheDiskDoes) {
  EXPECT_EQ(lecteur.folderPath("c:/DATA/./sub.TMP/x/.."), "C:\\data\\Sub.tmp");
  EXPECT_EQ(lecteur.folderPath("C:"), "C:\\");
  EXPECT_FALSE(lecteur.folderPath("C:\\data\\plain.tmp"));
  EXPECT_FALSE(lecteur.folderPath("C:\\absent"));
}

TEST_F(FolderTest, ListsEveryEntryOnceAndNeverTheDotEntries) {
  const std::set<std::string> all = {"plain.tmp", "hidden.tmp", "system.tmp",
                                     ".dot.tmp",  "NOEXT",      "Sub.tmp"};
  std::optional<os::Folder> f = lecteur.openFolder("c:/DATA\\");
  ASSERT_TRUE(f);
  EXPECT_EQ(f->path(), "c:/DATA");
  EXPECT_EQ(names(*f), all);
  temporaire.Creer("C:\\data\\later.tmp");
  EXPECT_EQ(names(*f), all);  // read once

  std::optional<os::Folder> root = lecteur.openFolder("C:\\");
  ASSERT_TRUE(root);
  EXPECT_EQ(root->path(), "C:");
  const std::set<std::string> rootNames = names(*root);
  EXPECT_EQ(rootNames.count("windows"), 1u);
  EXPECT_EQ(rootNames.count("."), 0u);
  EXPECT_EQ(rootNames.count(".."), 0u);
  std::optional<os::Folder> above = lecteur.openFolder("C:\\..");
  ASSERT_TRUE(above);
  EXPECT_EQ(names(*above), rootNames);
}

TEST_F(FolderTest, ReportsAttributesAndSizesOfEntries) {
  temporaire.Creer("C:\\data\\big.bin");
  fs::resize_file(drive() / "data/big.bin", 5'000'000'000ULL);  // sparse, beyond 32 bits
  ASSERT_TRUE(LienDossier(drive() / "data/Sub.tmp", drive() / "data/link"));
  os::Folder f = data();
  std::set<std::string> seen;
  for (std::size_t i = 0; i < f.count(); ++i) {
    const std::string n(f.name(i));
    seen.insert(n);
    if (n == "big.bin") {
      EXPECT_EQ(f.fileSize(i), 5'000'000'000ULL);
      EXPECT_EQ(f.attributes(i), Archive);
    } else if (n == "plain.tmp") {
      EXPECT_EQ(f.fileSize(i), 5u);
    } else if (n == "system.tmp") {
      EXPECT_EQ(f.attributes(i), System | ReadOnly | Archive);
    } else if (n == ".dot.tmp" || n == "hidden.tmp") {
      EXPECT_EQ(f.attributes(i), Hidden | Archive) << n;
    } else if (n == "Sub.tmp") {
      EXPECT_TRUE(f.isFolder(i));
      EXPECT_FALSE(f.isReparsePoint(i));
      EXPECT_EQ(f.attributes(i), Directory);
      EXPECT_EQ(f.fileSize(i), 0u);
    } else if (n == "link") {
      EXPECT_TRUE(f.isFolder(i));
      EXPECT_TRUE(f.isReparsePoint(i));
      EXPECT_EQ(f.attributes(i), Directory | ReparsePoint);
      EXPECT_EQ(f.fileSize(i), 0u);
    } else {
      EXPECT_FALSE(f.isFolder(i)) << n;
      EXPECT_FALSE(f.isReparsePoint(i)) << n;
    }
  }
  EXPECT_EQ(seen.size(), 8u);
}

// A folder opens only when it is one, by its path or relative to its parent; every handle goes
// with its object, moved or not.
TEST_F(FolderTest, OpensOnlyFoldersAndClosesEveryHandle) {
  ASSERT_TRUE(LienDossier(drive() / "data/Sub.tmp", drive() / "data/link"));
  // The handles this process holds beyond those at the start; Wine counts none (0): there,
  // nothing is checked of them.
  const int handles = os::testing::openHandles();
  const auto expectHandles = [handles](int more) {
    if (handles > 0) {
      EXPECT_EQ(os::testing::openHandles(), handles + more);
    }
  };
  for (const char* p : {"C:\\none", "C:\\data\\plain.tmp", "C:\\data\\link", "C:\\none\\deeper",
                        "D:\\data", "data", "\\data", ""}) {
    EXPECT_FALSE(lecteur.openFolder(p)) << p;
  }
  {
    os::Folder f = data();
    ASSERT_EQ(f.count(), 7u);
    std::optional<os::Folder> sub = f.openChild("Sub.tmp");
    ASSERT_TRUE(sub);
    EXPECT_EQ(sub->path(), "C:\\data\\Sub.tmp");
    for (const char* n :
         {"plain.tmp", "none", "link", ".", "..", "", "Sub.tmp\\..", "Sub.tmp/..", "Sub.tmp\\"}) {
      EXPECT_FALSE(f.openChild(n)) << n;
    }
    EXPECT_FALSE(f.openChild(std::string_view("Sub.tmp\0x", 9)));
    expectHandles(2);
    os::Folder moved = std::move(*sub);
    sub.reset();
    expectHandles(2);
    EXPECT_EQ(moved.path(), "C:\\data\\Sub.tmp");
    moved = data();
    expectHandles(2);
  }
  expectHandles(0);

  fs::permissions(drive() / "data", fs::perms::none);
  std::error_code readable;
  fs::directory_iterator(drive() / "data", readable);
  if (readable) {  // not for a user who reads any folder whatever its permissions
    EXPECT_FALSE(lecteur.openFolder("C:\\data"));
  }
  fs::permissions(drive() / "data", fs::perms::owner_all);
  expectHandles(0);
}

// The run's deletion: read-only, hidden and system go with the file; a folder, a name that
// would leave the folder, or a missing file is refused with what and where.
TEST_F(FolderTest, DeleteFileClearsAttributesAndRefusesWhatIsNoFile) {
  os::Folder f = data();
  f.deleteFile("system.tmp");
  f.deleteFile("hidden.tmp");
  f.deleteFile(".dot.tmp");
  EXPECT_FALSE(fs::exists(drive() / "data/system.tmp"));
  EXPECT_FALSE(fs::exists(drive() / "data/hidden.tmp"));
  EXPECT_FALSE(fs::exists(drive() / "data/.dot.tmp"));

  EXPECT_EQ(errorOf([&] { f.deleteFile("Sub.tmp"); }), os::error::AccessDenied);
  EXPECT_TRUE(fs::is_directory(drive() / "data/Sub.tmp"));
  for (const char* n : {"..", ".", "", "Sub.tmp\\..\\plain.tmp", "Sub.tmp/../plain.tmp"}) {
    EXPECT_EQ(errorOf([&] { f.deleteFile(n); }), os::error::InvalidName) << n;
  }
  EXPECT_TRUE(fs::exists(drive() / "data/plain.tmp"));
  try {
    f.deleteFile("none.tmp");
    ADD_FAILURE() << "a missing file deleted";
  } catch (const os::SystemError& e) {
    EXPECT_EQ(e.code(), os::error::FileNotFound);
    EXPECT_EQ(std::string(e.what()),
              "Ne peut supprimer le fichier C:\\data\\none.tmp : fichier introuvable");
  }
}

TEST_F(FolderTest, RemoveFolderTakesOnlyEmptyFolders) {
  temporaire.CreerDossier("C:\\data\\empty");
  temporaire.Creer("C:\\data\\full\\x.txt");
  os::Folder f = data();
  f.removeFolder("empty");
  EXPECT_FALSE(fs::exists(drive() / "data/empty"));
  EXPECT_EQ(errorOf([&] { f.removeFolder("full"); }), os::error::DirNotEmpty);
  EXPECT_EQ(errorOf([&] { f.removeFolder("plain.tmp"); }), os::error::DirectoryInvalid);
  EXPECT_NE(errorOf([&] { f.removeFolder("none"); }), 0u);
  EXPECT_EQ(errorOf([&] { f.removeFolder(".."); }), os::error::InvalidName);
  EXPECT_TRUE(fs::exists(drive() / "data/full/x.txt"));
  EXPECT_TRUE(fs::exists(drive() / "data/plain.tmp"));
}

// Whether an entry may go is asked without changing anything, and agrees with what deleting it
// then does: protective attributes are no obstacle (a deletion clears them), an undeletable file
// (or on Linux, one in an undeletable folder) is, and so is anything gone or outside the folder.
TEST_F(FolderTest, MayRemoveTellsWhatADeletionWouldMeetAndChangesNothing) {
  temporaire.CreerDossier("C:\\data\\empty");
  temporaire.Creer("C:\\data\\locked.tmp");
  os::Folder f = data();
  for (const char* name : {"plain.tmp", "hidden.tmp", "system.tmp", ".dot.tmp", "empty"}) {
    EXPECT_TRUE(f.mayRemove(name)) << name;
  }
  for (const char* name : {"none", "..", ".", "", "a\b", "../data/plain.tmp"}) {
    EXPECT_FALSE(f.mayRemove(name)) << name;
  }
  EXPECT_EQ(os::fileAttributes(lecteur, "C:\\data\\system.tmp"), System | ReadOnly | Archive);
  if (!RendreIndelebile(drive() / "data/locked.tmp")) GTEST_SKIP() << "no undeletable files here";
  EXPECT_FALSE(f.mayRemove("locked.tmp"));
  EXPECT_NE(errorOf([&] { f.deleteFile("locked.tmp"); }), 0u);
  Liberer(drive() / "data/locked.tmp");
  EXPECT_TRUE(f.mayRemove("locked.tmp"));
  f.deleteFile("locked.tmp");
  f.deleteFile("system.tmp");
  EXPECT_FALSE(f.mayRemove("system.tmp"));
}

#ifndef _WIN32
TEST_F(FolderTest, MayRemoveNothingFromAnUndeletableFolder_Linux) {
  temporaire.Creer("C:\\fixed\\inside.tmp");
  temporaire.CreerDossier("C:\\fixed\\sub");
  std::optional<os::Folder> f = lecteur.openFolder("C:\\fixed");
  ASSERT_TRUE(f);
  if (!RendreIndelebile(drive() / "fixed")) GTEST_SKIP() << "no undeletable folders here";
  EXPECT_FALSE(f->mayRemove("inside.tmp"));
  EXPECT_FALSE(f->mayRemove("sub"));
  EXPECT_NE(errorOf([&] { f->deleteFile("inside.tmp"); }), 0u);
  EXPECT_NE(errorOf([&] { f->removeFolder("sub"); }), 0u);
  Liberer(drive() / "fixed");
  EXPECT_TRUE(f->mayRemove("inside.tmp"));
}

// A name holding "\" is no Windows name: left out of the listing, but counted, so that its
// folder is not taken for empty.
TEST_F(FolderTest, NamesHoldingABackslashAreCountedApart_Linux) {
  temporaire.Creer("C:\\odd\\plain.tmp");
  std::ofstream(drive() / "odd" / "a\\b.tmp") << "x";  // one host name
  std::optional<os::Folder> f = lecteur.openFolder("C:\\odd");
  ASSERT_TRUE(f);
  EXPECT_EQ(names(*f), (std::set<std::string>{"plain.tmp"}));
  EXPECT_EQ(f->unlisted(), 1u);
  EXPECT_EQ(data().unlisted(), 0u);
}
#endif

// Identities tell files apart whatever their names: another file differs, another name of the
// same file (a hard link) does not, and a sub-folder opened is the entry its parent lists.
TEST_F(FolderTest, IdentitiesTellFilesApart) {
  fs::create_hard_link(drive() / "data/plain.tmp", drive() / "data/second name");
  os::Folder f = data();
  const std::optional<os::FileId> plain = f.entryId("plain.tmp");
  ASSERT_TRUE(plain);
  EXPECT_EQ(f.entryId("second name"), plain);
  EXPECT_NE(f.entryId("NOEXT"), plain);
  EXPECT_FALSE(f.entryId("none"));
  EXPECT_FALSE(f.entryId(".."));
  std::optional<os::Folder> sub = f.openChild("Sub.tmp");
  ASSERT_TRUE(sub);
  EXPECT_EQ(f.entryId("Sub.tmp"), sub->id());
  EXPECT_NE(f.id(), sub->id());
}

// A file with several names loses only the one deleted: the attributes it shares stay.
TEST_F(FolderTest, AFileWithSeveralNamesLosesOnlyThisName) {
  const fs::path other = temporaire.Creer("C:\\keep\\other name.txt");
  os::testing::setFileAttributes(lecteur, "C:\\keep\\other name.txt", Hidden | System);
  fs::create_hard_link(other, drive() / "data/link.tmp");
  os::Folder f = data();
  f.deleteFile("link.tmp");
  EXPECT_FALSE(fs::exists(drive() / "data/link.tmp"));
  EXPECT_EQ(os::fileAttributes(lecteur, "C:\\keep\\other name.txt"), Hidden | System | Archive);
}

// What was listed is acted on in the folder that listed it: moved away and replaced by another
// folder, or by a link out of the drive, the path now leads elsewhere, the folder does not.
TEST_F(FolderTest, ActsInTheFolderItOpenedWhereverItsPathLeadsNow_Linux) {
  temporaire.Creer("C:\\w\\a.txt", "listed");
  temporaire.Creer("C:\\w\\b.txt", "listed");
  temporaire.CreerDossier("C:\\w\\sub");
  const fs::path outside = temporaire.Dossier() / "outside";
  fs::create_directories(outside / "sub");
  std::ofstream(outside / "a.txt") << "outside";
  std::ofstream(outside / "b.txt") << "outside";
  std::optional<os::Folder> w = lecteur.openFolder("C:\\w");
  ASSERT_TRUE(w);
  ASSERT_EQ(w->count(), 3u);

  fs::rename(drive() / "w", drive() / "moved");
  temporaire.Creer("C:\\w\\a.txt", "another");
  w->deleteFile("a.txt");
  EXPECT_FALSE(fs::exists(drive() / "moved/a.txt"));
  EXPECT_TRUE(fs::exists(drive() / "w/a.txt"));

  fs::remove_all(drive() / "w");
  fs::create_directory_symlink(outside, drive() / "w");
  w->deleteFile("b.txt");
  w->removeFolder("sub");
  EXPECT_FALSE(fs::exists(drive() / "moved/b.txt"));
  EXPECT_FALSE(fs::exists(drive() / "moved/sub"));
  EXPECT_TRUE(fs::exists(outside / "a.txt"));
  EXPECT_TRUE(fs::exists(outside / "b.txt"));
  EXPECT_TRUE(fs::exists(outside / "sub"));

  // A sub-folder swapped for a link is no longer opened; nor is one reached through a link.
  fs::create_directory_symlink(outside, drive() / "moved/sub");
  EXPECT_FALSE(w->openChild("sub"));
  EXPECT_EQ(errorOf([&] { w->removeFolder("sub"); }), os::error::DirectoryInvalid);
  EXPECT_TRUE(fs::exists(outside / "sub"));
  EXPECT_FALSE(lecteur.openFolder("C:\\w\\sub"));
  EXPECT_FALSE(lecteur.openFolder("C:\\moved\\sub"));
}

// Links go as links, their targets untouched; a folder link is no folder to remove.
TEST_F(FolderTest, LinksGoAsLinks_Linux) {
  const fs::path target = temporaire.Creer("C:\\target\\t.txt");
  fs::create_symlink(target, drive() / "data/file-link");
  fs::create_directory_symlink(drive() / "target", drive() / "data/dir-link");
  os::Folder f = data();
  EXPECT_EQ(errorOf([&] { f.removeFolder("dir-link"); }), os::error::DirectoryInvalid);
  f.deleteFile("file-link");
  f.deleteFile("dir-link");
  EXPECT_FALSE(fs::exists(fs::symlink_status(drive() / "data/file-link")));
  EXPECT_FALSE(fs::exists(fs::symlink_status(drive() / "data/dir-link")));
  EXPECT_TRUE(fs::exists(target));
}

#ifndef _WIN32
// A mount point is a reparse point: never opened, changed nor removed, a folder or a file.
TEST_F(FolderTest, MountPointsAreNeverOpenedChangedNorRemoved_Linux) {
  const fs::path host = temporaire.Dossier() / "host";
  fs::create_directories(host / "inside");
  std::ofstream(temporaire.Dossier() / "host-file") << "keep";
  temporaire.CreerDossier("C:\\data\\mnt");
  temporaire.Creer("C:\\data\\mounted.tmp");
  Montages mounts;
  if (!mounts.Lier(host, drive() / "data/mnt") ||
      !mounts.Lier(temporaire.Dossier() / "host-file", drive() / "data/mounted.tmp")) {
    GTEST_SKIP() << "bind mounts refused here (" << std::strerror(errno) << ")";
  }
  os::Folder f = data();
  for (std::size_t i = 0; i < f.count(); ++i) {
    if (f.name(i) == "mnt") {
      EXPECT_TRUE(f.isFolder(i));
      EXPECT_TRUE(f.isReparsePoint(i));
      EXPECT_EQ(f.attributes(i), Directory | ReparsePoint);
    } else if (f.name(i) == "mounted.tmp") {
      EXPECT_TRUE(f.isReparsePoint(i));
    }
  }
  EXPECT_FALSE(f.openChild("mnt"));
  EXPECT_FALSE(lecteur.openFolder("C:\\data\\mnt"));
  EXPECT_EQ(errorOf([&] { f.removeFolder("mnt"); }), os::error::AccessDenied);
  EXPECT_EQ(errorOf([&] { f.deleteFile("mnt"); }), os::error::AccessDenied);
  EXPECT_EQ(errorOf([&] { f.deleteFile("mounted.tmp"); }), os::error::AccessDenied);
  EXPECT_FALSE(f.mayRemove("mnt"));
  EXPECT_FALSE(f.mayRemove("mounted.tmp"));
  EXPECT_TRUE(fs::is_directory(host / "inside"));
  EXPECT_TRUE(fs::exists(temporaire.Dossier() / "host-file"));
}
#endif

}  // namespace
