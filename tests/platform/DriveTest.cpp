// Drives as values: two drives of two prefixes, used together or from two threads, each reach
// only their own files and keys; and what the program leaves in a prefix: a save, a refused save
// or a change of the registry leaves no file of its own there.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <thread>

#include "platform/Attributes.h"
#include "platform/Drive.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "platform/Folder.h"
#include "platform/Registry.h"
#include "platform/StoredFile.h"
#include "platform/SystemError.h"
#include "tests/support/LecteurTemporaire.h"
#include "tests/support/Plateforme.h"

namespace fs = std::filesystem;

namespace {

using os::testing::contents;

// The names of the folder `path` of `drive`, as a listing through it gives them.
std::set<std::string> listing(const os::Drive& drive, std::string_view path) {
  std::set<std::string> names;
  std::optional<os::Folder> f = drive.openFolder(path);
  if (!f) return {"(no folder)"};
  for (std::size_t i = 0; i < f->count(); ++i) names.insert(std::string(f->name(i)));
  return names;
}

// Every entry under `folder`, as "a/b" relative to it; links are not entered.
std::set<std::string> namesUnder(const fs::path& folder) {
  std::set<std::string> names;
  for (fs::recursive_directory_iterator it(folder), end; it != end; ++it) {
    names.insert(it->path().lexically_relative(folder).generic_string());
  }
  return names;
}

std::string text(const char* s) {
  return std::string(s) + '\0';  // as a REG_SZ value holds it
}

TEST(TwoDrivesTest, EachReachesOnlyItsOwnPrefix) {
  const LecteurTemporaire un("tidora-un"), deux("tidora-deux");
  const std::string cle = "Software\\Tidora Test";
  un->createKey(cle).setString("qui", "un");
  deux->createKey(cle).setString("qui", "deux");
  un->createKey("Software\\Seulement un");
  os::File::create(*un, "C:\\qui.txt").write("un");
  os::File::create(*deux, "C:\\qui.txt").write("deux");
  os::createDirectory(*un, "C:\\Seulement un");
  EXPECT_TRUE(os::saveFile(*deux, "C:\\Program Files\\Tidora 2000\\options.ini", "deux"));

  EXPECT_EQ(un->openKey(cle)->query("qui")->data, text("un"));
  EXPECT_EQ(deux->openKey(cle)->query("qui")->data, text("deux"));
  EXPECT_TRUE(un->openKey("Software\\Seulement un"));
  EXPECT_FALSE(deux->openKey("Software\\Seulement un"));
  EXPECT_EQ(os::readFile(*un, "C:\\qui.txt"), "un");
  EXPECT_EQ(os::readFile(*deux, "C:\\qui.txt"), "deux");
  EXPECT_EQ(contents(un.LecteurC() / "qui.txt"), "un");
  EXPECT_EQ(contents(deux.LecteurC() / "qui.txt"), "deux");
  EXPECT_TRUE(os::fileAttributes(*un, "C:\\Seulement un"));
  EXPECT_FALSE(os::fileAttributes(*deux, "C:\\Seulement un"));
  EXPECT_EQ(listing(*un, "C:\\").count("Seulement un"), 1u);
  EXPECT_EQ(listing(*deux, "C:\\").count("Seulement un"), 0u);
  EXPECT_TRUE(fs::exists(deux.LecteurC() / "Program Files/Tidora 2000/options.ini"));
  EXPECT_FALSE(fs::exists(un.LecteurC() / "Program Files/Tidora 2000/options.ini"));
  EXPECT_NE(un->prefix(), deux->prefix());
}

TEST(TwoDrivesTest, UsedFromTwoThreadsEachReachesOnlyItsOwnPrefix) {
  const LecteurTemporaire un("tidora-un"), deux("tidora-deux");
  constexpr int kTours = 40;
  // Keys, a stored file and new files of one drive, turn after turn; the first failure is kept.
  const auto travail = [](const os::Drive& d, const std::string& qui, std::string& echec) {
    try {
      for (int i = 0; i < kTours; ++i) {
        const std::string n = std::to_string(i);
        d.createKey("Software\\Fil").setString("v" + n, qui);
        os::saveFile(d, "C:\\Program Files\\Tidora 2000\\fil.txt", qui + n);
        os::File::create(d, "C:\\windows\\temp\\" + qui + n + ".tmp").write(qui);
      }
    } catch (const std::exception& e) {
      echec = e.what();
    }
  };
  std::string echecUn, echecDeux;
  std::thread a(travail, std::cref(*un), "un", std::ref(echecUn));
  std::thread b(travail, std::cref(*deux), "deux", std::ref(echecDeux));
  a.join();
  b.join();
  EXPECT_EQ(echecUn, "");
  EXPECT_EQ(echecDeux, "");

  for (const auto* t : {&un, &deux}) {
    const std::string qui = t == &un ? "un" : "deux";
    const std::optional<os::RegistryKey> fil = (*t)->openKey("Software\\Fil");
    ASSERT_TRUE(fil) << qui;
    EXPECT_EQ(fil->valueNames().size(), static_cast<std::size_t>(kTours)) << qui;
    for (const std::string& nom : fil->valueNames()) {
      EXPECT_EQ(fil->query(nom)->data, qui + '\0') << qui << " " << nom;
    }
    EXPECT_EQ(contents(t->LecteurC() / "Program Files/Tidora 2000/fil.txt"),
              qui + std::to_string(kTours - 1));
    std::set<std::string> attendu;
    for (int i = 0; i < kTours; ++i) attendu.insert(qui + std::to_string(i) + ".tmp");
    EXPECT_EQ(listing(**t, "C:\\windows\\temp"), attendu) << qui;
  }
}

using NothingLeftTest = AvecLecteur;

// A save (new file, then replaced), a save refused by a read-only file, and keys and values
// created and deleted: the prefix holds the same entries before and after, but the saved file.
TEST_F(NothingLeftTest, NoFileOfTheProgramStaysInThePrefix) {
  const fs::path& prefixe = temporaire.Dossier();
  const std::string options = "C:\\Program Files\\Tidora 2000\\options.ini";
  std::set<std::string> attendu = namesUnder(prefixe);
  EXPECT_TRUE(os::saveFile(lecteur, options, "[Options]\n"));
  attendu.insert("drive_c/Program Files/Tidora 2000/options.ini");
  EXPECT_EQ(namesUnder(prefixe), attendu);
  EXPECT_TRUE(os::saveFile(lecteur, options, "[Options]\nx=1\n"));
  EXPECT_EQ(namesUnder(prefixe), attendu);

  os::testing::setFileAttributes(lecteur, options, os::attr::ReadOnly);
  EXPECT_THROW(os::saveFile(lecteur, options, "refusé"), os::SystemError);
  EXPECT_EQ(contents(temporaire.Hote(options)), "[Options]\nx=1\n");
  EXPECT_EQ(namesUnder(prefixe), attendu);

  os::RegistryKey cle = lecteur.createKey("Software\\Tidora Test\\Sous-cl\xc3\xa9");
  cle.setString("a", "1");
  cle.setString("b", "2");
  EXPECT_EQ(cle.deleteValues({"a", "absent", "b"}), 2u);
  EXPECT_EQ(namesUnder(prefixe), attendu);
}

}  // namespace
