// Directory searches: name masks, attribute masks, and handles that always get closed.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <thread>

#include "TempPrefix.h"
#include "platform/Attributes.h"
#include "platform/DirectorySearch.h"
#include "platform/FileSystem.h"
#include "tests/support/Systeme.h"

namespace fs = std::filesystem;
using namespace os::attr;

namespace {

std::set<std::string> listing(std::string_view pattern, std::uint32_t mask) {
  std::set<std::string> names;
  for (os::DirectorySearch s(pattern, mask); s.isOpen(); s.next()) names.insert(s.name());
  return names;
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
      {"\u03a3\u038a\u03a3\u03a5\u03a6\u039f\u03a3", "\u03c3\u03af\u03c3\u03c5\u03c6\u03bf\u03c2", true},
      {"\u041c\u043e\u0441\u043a\u0432\u0430.doc", "\u043c\u041e\u0421\u041a*.DOC", true},
      {"\u0150z.txt", "\u0151Z.*", true},         // Latin Extended-A
      {"\u01c5.x", "\u01c6.x", true},             // title case
      {"\u212a.x", "k.x", true},                  // Kelvin sign
      {"Stra\u00dfe", "STRASSE", false},           // one character never folds to two
      {"e\u0301.txt", "\u00e9.txt", false},        // no normalisation
      {"e\u0301.txt", "?.txt", false},
      {"\u0131", "i", false},                      // dotless i is a letter of its own
      // A byte outside valid UTF-8 is one character, equal only to itself.
      {"\xe9.dat", "?.dat", true},
      {"\xe9.dat", "\u00e9.dat", false},
      {"\xc3\xc3.dat", "??.dat", true},
      {"\xed\xa0\x80", "?", true},                // a lone surrogate is one character
      {"\xed\xa0\x80", "???", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(os::matchesMask(c.name, c.mask), c.matches) << c.name << " ~ " << c.mask;
  }
}

class DirectorySearchTest : public TempPrefix {
 protected:
  void SetUp() override {
    TempPrefix::SetUp();
    makeFile("data/plain.tmp");
    makeFile("data/hidden.tmp");
    makeFile("data/system.tmp");
    makeFile("data/.dot.tmp");
    makeFile("data/NOEXT");
    makeFolder("data/Sub.tmp");
    os::setFileAttributes("C:\\data\\hidden.tmp", Hidden);
    os::setFileAttributes("C:\\data\\system.tmp", System | ReadOnly);
  }
};

TEST_F(DirectorySearchTest, AttributeMaskExcludesOnlyWhatItLacks) {
  const std::set<std::string> all = {".",          "..",       "plain.tmp", "hidden.tmp",
                                     "system.tmp", ".dot.tmp", "NOEXT",     "Sub.tmp"};
  EXPECT_EQ(listing("C:\\data\\*.*", 63), all);
  EXPECT_EQ(listing("C:\\data\\*.*", Hidden | System | Directory), all);  // 22
  EXPECT_EQ(listing("C:\\data\\*.*", 0), (std::set<std::string>{"plain.tmp", "NOEXT"}));
  EXPECT_EQ(listing("C:\\data\\*.*", ReadOnly | Archive | VolumeLabel),
            (std::set<std::string>{"plain.tmp", "NOEXT"}));
  EXPECT_EQ(listing("C:\\data\\*.tmp", Hidden),
            (std::set<std::string>{"plain.tmp", "hidden.tmp", ".dot.tmp"}));
  EXPECT_EQ(listing("C:\\data\\*.tmp", System), (std::set<std::string>{"plain.tmp", "system.tmp"}));
  EXPECT_EQ(listing("C:\\data\\*.tmp", Directory), (std::set<std::string>{"plain.tmp", "Sub.tmp"}));
  EXPECT_EQ(listing("c:/DATA/noext.*", 0), (std::set<std::string>{"NOEXT"}));
  EXPECT_EQ(listing("C:\\data\\?????.tmp", 63), (std::set<std::string>{"plain.tmp"}));
}

TEST_F(DirectorySearchTest, ReportsAttributesAndSizesOfEntries) {
  makeFile("data/big.bin");
  fs::resize_file(drive() / "data/big.bin", 5'000'000'000ULL);  // sparse, beyond 32 bits
  ASSERT_TRUE(LienDossier(drive() / "data/Sub.tmp", drive() / "data/link"));
  for (os::DirectorySearch s("C:\\data\\*", 63); s.isOpen(); s.next()) {
    const std::string& n = s.name();
    if (n == "big.bin") {
      EXPECT_EQ(s.size(), 5'000'000'000ULL);
      EXPECT_EQ(s.attributes(), Archive);
    } else if (n == "system.tmp") {
      EXPECT_EQ(s.attributes(), System | ReadOnly | Archive);
    } else if (n == ".dot.tmp") {
      EXPECT_EQ(s.attributes(), Hidden | Archive);
    } else if (n == "Sub.tmp" || n == "." || n == "..") {
      EXPECT_TRUE(s.isDirectory());
      EXPECT_EQ(s.attributes(), Directory) << n;
      EXPECT_EQ(s.size(), 0u);
    } else if (n == "link") {
      EXPECT_TRUE(s.isDirectory());
      EXPECT_TRUE(s.isReparsePoint());
      EXPECT_EQ(s.attributes(), Directory | ReparsePoint);
    } else {
      EXPECT_FALSE(s.isDirectory()) << n;
      EXPECT_FALSE(s.isReparsePoint()) << n;
    }
  }
}

TEST_F(DirectorySearchTest, DriveRootHasNoDotEntries) {
  const std::set<std::string> root = listing("C:\\*.*", 63);
  EXPECT_EQ(root.count("."), 0u);
  EXPECT_EQ(root.count(".."), 0u);
  EXPECT_EQ(root.count("windows"), 1u);
  EXPECT_EQ(listing("C:\\..\\*.*", 63), root);
}

TEST_F(DirectorySearchTest, SearchesThatCannotStartAreClosed) {
  for (const char* pattern : {"C:\\none\\*.*", "C:\\data\\plain.tmp\\*.*", "C:\\data\\*.none",
                              "C:\\data\\", "D:\\*.*", "data\\*.*", "*.*"}) {
    os::DirectorySearch s(pattern, 63);
    EXPECT_FALSE(s.isOpen()) << pattern;
    EXPECT_TRUE(s.name().empty());
    EXPECT_FALSE(s.next());
  }
  fs::permissions(drive() / "data", fs::perms::none);
  std::error_code readable;
  fs::directory_iterator(drive() / "data", readable);
  if (readable) {  // not for a user who reads any folder whatever its permissions
    EXPECT_FALSE(os::DirectorySearch("C:\\data\\*.*", 63).isOpen());
  }
  fs::permissions(drive() / "data", fs::perms::owner_all);
  EXPECT_EQ(os::DirectorySearch::openCount(), 0);
}

TEST_F(DirectorySearchTest, EverySearchIsClosedWhicheverWayItEnds) {
  {
    os::DirectorySearch exhausted("C:\\data\\*.*", 63);
    os::DirectorySearch stopped("C:\\DATA\\*.tmp", 63);
    os::DirectorySearch dropped("C:\\data\\*.*", 63);
    EXPECT_EQ(os::DirectorySearch::openCount(), 3);
    while (exhausted.next()) {
    }
    EXPECT_FALSE(exhausted.isOpen());
    stopped.close();
    os::DirectorySearch moved = std::move(dropped);
    EXPECT_TRUE(moved.isOpen());
    EXPECT_EQ(os::DirectorySearch::openCount(), 1);
  }
  EXPECT_EQ(os::DirectorySearch::openCount(), 0);
}

TEST_F(DirectorySearchTest, DeletingDuringASearchIsSafe) {
  int deleted = 0;
  for (os::DirectorySearch s("C:\\data\\*.tmp", 0); s.isOpen(); s.next()) {
    os::deleteFile("C:\\data\\" + s.name());
    ++deleted;
  }
  EXPECT_EQ(deleted, 1);  // plain.tmp; the others are hidden, system or a folder
  EXPECT_FALSE(fs::exists(drive() / "data/plain.tmp"));
}

TEST_F(DirectorySearchTest, ASecondSearchSeesEveryChangeSinceTheFirst) {
  // Past the clock tick of the folder's last change, so that its listing may be kept.
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  const std::set<std::string> before = listing("C:\\data\\*.*", 63);
  EXPECT_EQ(listing("C:\\data\\*.*", 63), before);

  os::deleteFile("C:\\data\\plain.tmp");
  EXPECT_EQ(listing("C:\\data\\*.*", 63).count("plain.tmp"), 0u);

  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  listing("C:\\data\\*.*", 63);
  std::ofstream(drive() / "data/outside.tmp") << "made by another program";
  EXPECT_EQ(listing("C:\\data\\*.*", 63).count("outside.tmp"), 1u);

  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  listing("C:\\data\\*.*", 63);
  fs::rename(drive() / "data/NOEXT", drive() / "data/renamed");
  const std::set<std::string> after = listing("C:\\data\\*.*", 63);
  EXPECT_EQ(after.count("NOEXT"), 0u);
  EXPECT_EQ(after.count("renamed"), 1u);
}

// A folder untouched for over a second has its listing kept between two searches; every change
// made meanwhile by another program still shows.
TEST_F(DirectorySearchTest, AnOldFolderStillShowsEveryChange) {
  std::this_thread::sleep_for(std::chrono::milliseconds(1100));
  listing("C:\\data\\*.tmp", 63);
  std::ofstream(drive() / "data/outside.tmp") << "made by another program";
  EXPECT_EQ(listing("C:\\data\\*.*", 63).count("outside.tmp"), 1u);

  std::this_thread::sleep_for(std::chrono::milliseconds(1100));
  listing("C:\\data\\*.tmp", 63);
  fs::remove(drive() / "data/outside.tmp");
  EXPECT_EQ(listing("C:\\data\\*.*", 63).count("outside.tmp"), 0u);
}

}  // namespace
