// Our readings against the system's own on the same files (Windows only): the profile-string
// reader against GetPrivateProfileStringA, and the mask matching against a plain
// FindFirstFileW on masks the system also matches through generated 8.3 names.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "platform/Folder.h"
#include "platform/Mask.h"
#include "platform/Profile.h"
#include "tests/support/LecteurTemporaire.h"

namespace {

using SystemComparisonTest = AvecLecteur;

std::string systemReading(const std::string& section, const std::string& key,
                          const std::string& file) {
  std::vector<char> buffer(1024);
  const DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), "<défaut>", buffer.data(),
                                           static_cast<DWORD>(buffer.size()), file.c_str());
  return std::string(buffer.data(), n);
}

// Where the two disagree on a plain ASCII file, ours is wrong.
TEST_F(SystemComparisonTest, ProfileReaderReadsAsGetPrivateProfileStringA_Windows) {
  const std::string longue(1500, 'v');
  const std::vector<std::string> fichiers = {
      // quotes
      "[S]\r\nd=\"double\"\r\ns='simple'\r\nu=\"unbalanced\r\nv=\"\"\r\nm=\"a\"b\"\r\n"
      "q= \" spaced \" \r\nmix=\"a'\r\none=\"\r\n",
      // blanks and tabs around names and values, inner blanks kept
      "  [ S ]  \r\n  k  =  v a  l  \r\n\tt\t=\tx\ty\t\r\nempty=\r\nblank=   \r\n",
      // case of sections and keys; duplicates: the first wins
      "[section]\nKEY=first\nkey=second\n[SECTION]\nkey=third\nother=4\n",
      // long values, a missing final line end
      "[S]\nlong=" + longue + "\nk=last",
      // lines without "=", keys before any section, ";" lines, a "]" inside a section line
      "k=outside\n[S]\nnoequals\n;c=comment\nk=in\n[T]x\nk=t\n[a]b]\nk=ab\n",
      // an empty section, a section with no end bracket, "=" in the value
      "[]\nk=empty section\n[S\nk=open\n[S]\nk=a=b\n",
      // CR alone, blank lines, a space inside a key
      "[S]\r\rk=cr\r\n\r\n\r\nmy key = spaced\r\n",
  };
  const std::vector<std::pair<std::string, std::string>> requetes = {
      {"S", "d"},           {"S", "s"},      {"S", "u"},        {"S", "v"},     {"S", "m"},
      {"S", "q"},           {"S", "mix"},    {"S", "one"},      {"S", "k"},     {"s", "K"},
      {" S ", " k "},       {"S", "t"},      {"S", "empty"},    {"S", "blank"}, {"section", "key"},
      {"Section", "other"}, {"S", "long"},   {"S", "noequals"}, {"S", ";c"},    {"T", "k"},
      {"T]x", "k"},         {"a", "k"},      {"a]b", "k"},      {"", "k"},      {"S", "my key"},
      {"S", "absent"},      {"absent", "k"},
  };
  int numero = 0;
  for (const std::string& texte : fichiers) {
    const std::string nom = "p" + std::to_string(++numero) + ".ini";
    std::ofstream(temporaire.LecteurC() / nom, std::ios::binary) << texte;
    const std::string chemin = (temporaire.LecteurC() / nom).string();
    for (const auto& [section, cle] : requetes) {
      EXPECT_EQ(os::getPrivateProfileString(lecteur, section, cle, "<défaut>", "C:\\" + nom),
                systemReading(section, cle, chemin))
          << "file " << numero << ", [" << section << "] " << cle;
    }
  }
}

// The system matches "*.tmp" against generated 8.3 names too; ours matches only names that
// match themselves.
TEST_F(SystemComparisonTest, ShortNamesNeverMakeAMatch_Windows) {
  temporaire.Creer("C:\\m\\a.tmpx");
  temporaire.Creer("C:\\m\\b.tmp");
  temporaire.Creer("C:\\m\\long name.tmp.old");
  std::set<std::string> systeme;
  WIN32_FIND_DATAW donnees;
  const std::wstring motif = (temporaire.LecteurC() / "m" / "*.tmp").wstring();
  const HANDLE h = FindFirstFileW(motif.c_str(), &donnees);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  do {
    systeme.insert(std::filesystem::path(donnees.cFileName).string());
  } while (FindNextFileW(h, &donnees));
  FindClose(h);
  std::set<std::string> nous;
  std::optional<os::Folder> m = lecteur.openFolder("C:\\m");
  ASSERT_TRUE(m);
  for (std::size_t i = 0; i < m->count(); ++i) {
    if (os::matchesMask(m->name(i), "*.tmp")) nous.insert(std::string(m->name(i)));
  }
  EXPECT_EQ(nous, (std::set<std::string>{"b.tmp"}));
  EXPECT_TRUE(systeme.count("a.tmpx")) << "the system no longer matches short names";
}

}  // namespace
