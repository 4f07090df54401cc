// Registry values as the core uses them, the same on both systems: every type comes back as it
// went in, text in UTF-8 whatever the code page, names without regard to case, and a leading
// "\" meaning the root.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Registry.h"
#include "platform/SystemError.h"
#include "tests/support/LecteurTemporaire.h"

using os::RegistryKey;
using os::RegistryValue;

namespace {

using RegistryValuesTest = AvecLecteur;

TEST_F(RegistryValuesTest, EveryTypeComesBackAsItWentIn) {
  const std::vector<std::pair<std::string, RegistryValue>> values = {
      {"plain", {os::reg::Sz, std::string("C:\\dir \"quoted\"\0", 16)}},
      {"", {os::reg::Sz, std::string("default\0", 8)}},
      {"accents é", {os::reg::Sz, std::string("C:\\Mes documents\\été € \U0001F600") + '\0'}},
      {"inner nul", {os::reg::Sz, std::string("a\0b\0", 4)}},
      {"empty", {os::reg::Sz, ""}},
      {"expand", {os::reg::ExpandSz, std::string("%TEMP%\\x\0", 9)}},
      {"multi", {os::reg::MultiSz, std::string("a\0b\0\0", 5)}},
      {"count", {os::reg::Dword, std::string("\x2a\0\0\x80", 4)}},
      {"qword", {11, std::string("\1\2\3\4\5\6\7\x8", 8)}},
      {"none", {os::reg::None, ""}},
      {"blob", {os::reg::Binary, std::string(3000, '\xfe')}},
  };
  RegistryKey key = lecteur.createKey("\\Software\\Tidora Test");
  for (const auto& [name, v] : values) key.setValue(name, v.type, v.data);
  const auto again = lecteur.openKey("software\\TIDORA TEST");
  ASSERT_TRUE(again.has_value());
  for (const auto& [name, v] : values) {
    const auto got = again->query(name);
    ASSERT_TRUE(got.has_value()) << name;
    EXPECT_EQ(got->type, v.type) << name;
    EXPECT_EQ(got->data, v.data) << name;
  }
  EXPECT_EQ(again->valueNames().size(), values.size());
}

TEST_F(RegistryValuesTest, NamesIgnoreCaseAndALeadingBackslashIsTheRoot) {
  EXPECT_FALSE(lecteur.openKey("\\Software\\Tidora Test\\Missing").has_value());
  RegistryKey typed = lecteur.createKey("\\Software\\Tidora Test\\TypedURLs");
  typed.setString("url1", "http://a.example/");
  typed.setString("url2", "http://b.example/");
  auto same = lecteur.openKey("Software\\tidora test\\typedurls");
  ASSERT_TRUE(same.has_value());
  EXPECT_EQ(same->query("URL1")->data, std::string("http://a.example/\0", 18));
  EXPECT_TRUE(same->deleteValue("URL2"));
  EXPECT_FALSE(typed.deleteValue("url2"));
  EXPECT_FALSE(typed.query("url2").has_value());
  EXPECT_EQ(typed.valueNames(), (std::vector<std::string>{"url1"}));
  EXPECT_TRUE(lecteur.openKey("\\Software").has_value());
  // Its path as it was opened, from the root.
  EXPECT_EQ(typed.path(), "Software\\Tidora Test\\TypedURLs");
  EXPECT_EQ(same->path(), "Software\\tidora test\\typedurls");
}

}  // namespace
