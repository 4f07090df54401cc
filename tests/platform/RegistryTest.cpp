// HKEY_CURRENT_USER in user.reg: keys, values, the file format, reloads and failures.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "FakeWineServer.h"
#include "HeldLock.h"
#include "platform/Registry.h"
#include "platform/SystemError.h"
#include "tests/support/LecteurTemporaire.h"

namespace fs = std::filesystem;
using os::RegistryKey;
using os::RegistryValue;

namespace {

class RegistryTest : public AvecLecteur {
 protected:
  const fs::path& prefix_ = temporaire.Dossier();
  std::string hiveText() { return hiveText(prefix_ / "user.reg"); }
  static std::string hiveText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  // Replaces user.reg the way an editor saving a new file would.
  void writeHive(const std::string& text) {
    std::ofstream(prefix_ / "edited.tmp", std::ios::binary) << text;
    fs::rename(prefix_ / "edited.tmp", prefix_ / "user.reg");
  }
};

TEST_F(RegistryTest, FreshProfileHasTheShellFolders) {
  const auto key =
      lecteur.openKey("\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");
  ASSERT_TRUE(key.has_value());
  const auto cache = key->query("Cache");
  ASSERT_TRUE(cache.has_value());
  EXPECT_EQ(cache->type, os::reg::Sz);
  EXPECT_EQ(cache->data.rfind("C:\\users\\", 0), 0u);
  EXPECT_NE(cache->data.find("\\AppData\\Local\\Microsoft\\Windows\\INetCache"), std::string::npos);
  EXPECT_EQ(key->valueNames(), (std::vector<std::string>{"Cache", "History", "Recent", "Cookies"}));
}

TEST_F(RegistryTest, KeysAndValuesIgnoreCaseAndKeepTheirSpelling) {
  EXPECT_FALSE(lecteur.openKey("\\Software\\Microsoft\\Internet Explorer\\TypedURLs"));
  RegistryKey typed = lecteur.createKey("\\Software\\Microsoft\\Internet Explorer\\TypedURLs");
  typed.setString("url1", "http://a.example/");
  typed.setString("url2", "http://b.example/");
  typed.setString("Other", "kept");

  auto same = lecteur.openKey("software\\MICROSOFT\\internet explorer\\typedurls\\");
  ASSERT_TRUE(same.has_value());
  EXPECT_EQ(same->query("URL1")->data, std::string("http://a.example/\0", 18));
  same->setString("URL1", "replaced");
  EXPECT_EQ(typed.query("url1")->data, std::string("replaced\0", 9));  // one hive, shared
  EXPECT_EQ(typed.valueNames(), (std::vector<std::string>{"url1", "url2", "Other"}));

  EXPECT_TRUE(typed.deleteValue("URL2"));
  EXPECT_FALSE(typed.deleteValue("url2"));
  EXPECT_FALSE(typed.query("url2").has_value());
  EXPECT_TRUE(lecteur.openKey("Software\\Microsoft").has_value());  // parents exist too
  // Every cased letter, not only ASCII.
  lecteur.createKey("Software\\\u00c9diteur").setString("\u0421\u0447\u0451\u0442", "1");
  auto editeur = lecteur.openKey("SOFTWARE\\\u00e9DITEUR");
  ASSERT_TRUE(editeur.has_value());
  EXPECT_TRUE(editeur->query("\u0441\u0427\u0401\u0422").has_value());
  EXPECT_TRUE(editeur->deleteValue("\u0441\u0447\u0451\u0442"));
  const std::string text = hiveText();
  const std::size_t key = text.find("\n[Software\\\\Microsoft\\\\Internet Explorer\\\\TypedURLs] ");
  ASSERT_NE(key, std::string::npos) << text;
  EXPECT_NE(text.find("\n\"url1\"=\"replaced\"\n\"Other\"=\"kept\"\n", key), std::string::npos);
}

TEST_F(RegistryTest, EveryValueTypeSurvivesTheFile) {
  const std::vector<std::pair<std::string, RegistryValue>> values = {
      {"plain", {os::reg::Sz, std::string("C:\\dir \"quoted\"\0", 16)}},
      {"", {os::reg::Sz, std::string("default\0", 8)}},
      {"no nul", {os::reg::Sz, "abc"}},
      {"inner nul", {os::reg::Sz, std::string("a\0b\0", 4)}},
      {"two lines", {os::reg::Sz, std::string("a\nb\0", 4)}},
      {"empty", {os::reg::Sz, ""}},
      {"expand", {os::reg::ExpandSz, std::string("%TEMP%\\x\0", 9)}},
      {"multi", {os::reg::MultiSz, std::string("a\0b\0\0", 5)}},
      {"count", {os::reg::Dword, std::string("\x2a\0\0\x80", 4)}},
      {"short dword", {os::reg::Dword, std::string("\1\2", 2)}},
      {"qword", {11, std::string("\1\2\3\4\5\6\7\x8", 8)}},
      {"none", {os::reg::None, ""}},
      {"blob", {os::reg::Binary, std::string(100, '\xfe')}},
      {"name \\ \"odd\" = [x]", {os::reg::Binary, "\x01"}},
  };
  {
    RegistryKey key = lecteur.createKey("\\Software\\Test");
    for (const auto& [name, v] : values) key.setValue(name, v.type, v.data);
  }
  const std::string text = hiveText();
  EXPECT_EQ(text.rfind("WINE REGISTRY Version 2\n", 0), 0u);
  EXPECT_NE(text.find("\"plain\"=\"C:\\\\dir \\\"quoted\\\"\"\n"), std::string::npos);
  EXPECT_NE(text.find("@=\"default\"\n"), std::string::npos);
  EXPECT_NE(text.find("\"count\"=dword:8000002a\n"), std::string::npos);
  EXPECT_NE(text.find("\"inner nul\"=\"a\\0b\"\n"), std::string::npos);
  EXPECT_NE(text.find(",\\\n  fe,"), std::string::npos);  // long data continues on a new line

  // Another process starting on this file sees the same values.
  fs::create_directories(prefix_ / "copy");
  fs::copy(prefix_ / "drive_c", prefix_ / "copy/drive_c", fs::copy_options::recursive);
  fs::copy_file(prefix_ / "user.reg", prefix_ / "copy/user.reg");
  const os::Drive copy = os::Drive::existing(prefix_ / "copy");
  const auto key = copy.openKey("\\Software\\Test");
  ASSERT_TRUE(key.has_value());
  for (const auto& [name, v] : values) {
    const auto got = key->query(name);
    ASSERT_TRUE(got.has_value()) << name;
    EXPECT_EQ(got->type, v.type) << name;
    EXPECT_EQ(got->data, v.data) << name;
  }
  EXPECT_EQ(key->valueNames().size(), values.size());
}

TEST_F(RegistryTest, EditsOnDiskAreSeenAndSavesLeaveNoTemporaryFile) {
  RegistryKey key = lecteur.createKey("\\Software\\Test");
  key.setString("a", "1");
  writeHive(
      "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n\r\n"
      "; edited by hand\r\n"
      "[HKEY_CURRENT_USER\\Software\\Test]\r\n"
      "\"b\"=hex(7):61,00,\\\r\n"
      "   00\r\n"
      "\"B\"=dword:00000007\r\n");
  EXPECT_FALSE(key.query("a").has_value());
  EXPECT_EQ(key.query("b")->type, os::reg::Dword);  // the later line wins
  EXPECT_EQ(key.valueNames(), (std::vector<std::string>{"b"}));

  // The same file rewritten in place, same inode, different size.
  std::ofstream(prefix_ / "user.reg", std::ios::binary | std::ios::app) << "\"c\"=\"appended\"\n";
  EXPECT_TRUE(key.query("c").has_value());
  key.setString("d", "saved");

  lecteur.finishFreshProfile();  // no first start here: the profile is done
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(prefix_)) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  // No lock file either: the fresh profile's own mark only.
  EXPECT_EQ(names, (std::vector<std::string>{".tidora2000", "drive_c", "user.reg"}));
}

TEST_F(RegistryTest, ACorruptHiveIsReportedAndNeverOverwritten) {
  const std::string corrupt =
      "Windows Registry Editor Version 5.00\n\n"
      "[HKEY_CURRENT_USER\\Software\\Test]\n"
      "\"a\"=dword:zz\n";
  writeHive(corrupt);
  try {
    lecteur.createKey("\\Software\\Test").setString("b", "x");
    FAIL() << "no error";
  } catch (const os::SystemError& e) {
    EXPECT_EQ(e.code(), os::error::BadRegistryHive);
    EXPECT_EQ(std::string(e.what()),
              "Base de registre illisible : " + (prefix_ / "user.reg").string() +
                  ", ligne 4 : dword incorrect");
  }
  EXPECT_THROW(lecteur.openKey("\\Software"), os::SystemError);
  EXPECT_EQ(hiveText(), corrupt);

  const struct {
    const char* text;
    const char* where;  // line and problem
  } bad[] = {
      {"", "ligne 0 : fichier vide"},
      {"REGEDIT4\n", "ligne 1 : ce n'est pas un fichier de registre"},
      {"Windows Registry Editor Version 5.00\n\"a\"=\"b\"\n", "ligne 2 : valeur hors"},
      {"Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\X]\n", "ligne 2 : clé hors"},
      {"Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\X]\n\"a\"=\"b\n",
       "ligne 3 : chaîne sans"},
      {"Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\X]\n\"a\"=hex:1,2\n",
       "ligne 3 : octet hexadécimal incorrect"},
  };
  for (const auto& b : bad) {
    writeHive(b.text);
    try {
      lecteur.openKey("\\X");
      ADD_FAILURE() << "no error: " << b.text;
    } catch (const os::SystemError& e) {
      EXPECT_NE(std::string(e.what()).find("user.reg, " + std::string(b.where)), std::string::npos)
          << e.what();
    }
  }

  // Never read through a link, never wait on a pipe: both are refused, and left as they are.
  const std::string elsewhere = "Windows Registry Editor Version 5.00\n";
  std::ofstream(prefix_ / "elsewhere.reg") << elsewhere;
  fs::remove(prefix_ / "user.reg");
  fs::create_symlink(prefix_ / "elsewhere.reg", prefix_ / "user.reg");
  EXPECT_THROW(lecteur.createKey("\\X").setString("a", "b"), os::SystemError);
  EXPECT_TRUE(fs::is_symlink(prefix_ / "user.reg"));
  fs::remove(prefix_ / "user.reg");
  ASSERT_EQ(mkfifo((prefix_ / "user.reg").c_str(), 0600), 0);
  EXPECT_THROW(lecteur.openKey("\\X"), os::SystemError);
  // Where the hive's lock file was once kept, a link is nothing of the program's now: the change
  // goes through, and the link and its target are left as they are.
  fs::remove(prefix_ / "user.reg");
  fs::create_symlink(prefix_ / "elsewhere.reg", prefix_ / "user.reg.lock");
  writeHive(elsewhere);
  EXPECT_NO_THROW(lecteur.createKey("\\X"));
  EXPECT_TRUE(fs::is_symlink(prefix_ / "user.reg.lock"));
  EXPECT_EQ(hiveText(prefix_ / "elsewhere.reg"), elsewhere);
  fs::remove(prefix_ / "user.reg.lock");

  // Unreadable: a folder where the file should be.
  fs::remove(prefix_ / "user.reg");
  fs::create_directory(prefix_ / "user.reg");
  try {
    lecteur.createKey("\\X");
    ADD_FAILURE() << "no error";
  } catch (const os::SystemError& e) {
    EXPECT_EQ(e.code(), os::error::BadRegistryHive);
  }
  EXPECT_TRUE(fs::is_directory(prefix_ / "user.reg"));
}

TEST_F(RegistryTest, AHiveInTheRegeditFormatIsConvertedWithEveryValue) {
  writeHive(
      "Windows Registry Editor Version "
      "5.00\n\n[HKEY_CURRENT_USER]\n\n[HKEY_CURRENT_USER\\Software]\n\n"
      "[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\TypedURLs]\n"
      "\"url1\"=\"http://caf\xc3\xa9.example/\\\"q\\\"\"\n"
      "\n[HKEY_CURRENT_USER\\Software\\Cl\xc3\xa9 \xe2\x82\xac]\n"
      "@=\"d\xc3\xa9"
      "faut\"\n"
      "\"multi\"=hex(7):61,00,62,00,00\n"
      "\"expand\"=hex(2):25,54,25,00\n"
      "\"lines\"=hex(1):61,0a,62,00\n"
      "\"n\"=dword:0000002a\n"
      "\"blob\"=hex:01,02\n");
  const std::vector<std::pair<std::string, std::string>> where = {
      {"\\Software\\Microsoft\\Internet Explorer\\TypedURLs", "url1"},
      {"\\Software\\Cl\xc3\xa9 \xe2\x82\xac", ""},
      {"\\Software\\Cl\xc3\xa9 \xe2\x82\xac", "multi"},
      {"\\Software\\Cl\xc3\xa9 \xe2\x82\xac", "expand"},
      {"\\Software\\Cl\xc3\xa9 \xe2\x82\xac", "lines"},
      {"\\Software\\Cl\xc3\xa9 \xe2\x82\xac", "n"},
      {"\\Software\\Cl\xc3\xa9 \xe2\x82\xac", "blob"}};
  std::vector<RegistryValue> before;
  for (const auto& [key, name] : where) before.push_back(*lecteur.openKey(key)->query(name));

  lecteur.createKey("\\Software\\Other").setString("x", "y");  // the first save converts it
  const std::string text = hiveText();
  EXPECT_EQ(text.rfind("WINE REGISTRY Version 2\n", 0), 0u) << text;
  EXPECT_NE(text.find("\n[Software\\\\Cl\\xe9 \\x20ac] "), std::string::npos) << text;
  EXPECT_NE(text.find("\n@=\"d\\x00e9faut\"\n\"multi\"=str(7):\"a\\0b\\0\"\n"), std::string::npos);
  EXPECT_NE(text.find("\n\"lines\"=\"a\\nb\"\n"), std::string::npos);
  EXPECT_EQ(text.find("[Software] "), std::string::npos);  // implied by its sub-keys
  for (std::size_t i = 0; i < where.size(); ++i) {
    const auto v = lecteur.openKey(where[i].first)->query(where[i].second);
    ASSERT_TRUE(v.has_value()) << where[i].second;
    EXPECT_EQ(v->type, before[i].type) << where[i].second;
    EXPECT_EQ(v->data, before[i].data) << where[i].second;
  }
}

// A change is refused while a server runs; one that would change nothing (a key that exists, a
// value set as it is, values that are not there) writes nothing and is not refused.
TEST_F(RegistryTest, NothingIsWrittenWhileAWineServerOfThePrefixRuns) {
  RegistryKey key = lecteur.createKey("\\Software\\Test");
  key.setString("a", "1");
  const std::string saved = hiveText();
  FakeWineServer server(prefix_);
  ASSERT_TRUE(server.started());
  const std::string message =
      "Registre du préfixe " + prefix_.string() +
      " non modifié : Wine l'utilise (wineserver, processus " + std::to_string(server.pid()) +
      ") ; fermez les programmes Windows de ce préfixe ou lancez « wineserver -k »";
  const std::vector<std::function<void()>> changes = {
      [&] { key.setString("b", "2"); },
      [&] { key.setValue("a", os::reg::Sz, std::string("1", 1)); },  // no final NUL: another value
      [&] { key.deleteValue("a"); },
      [&] {
        key.deleteValues({"missing", "A"});
      },
      [&] { lecteur.createKey("\\Software\\New"); },
  };
  for (std::size_t i = 0; i < changes.size(); ++i) {
    try {
      changes[i]();
      ADD_FAILURE() << "change " << i << " accepted";
    } catch (const os::SystemError& e) {
      EXPECT_EQ(e.code(), os::error::SharingViolation);
      EXPECT_EQ(e.what(), message);
    }
  }
  const std::vector<std::function<void()>> noChanges = {
      [&] { EXPECT_FALSE(key.deleteValue("missing")); },
      [&] {
        EXPECT_EQ(key.deleteValues({"missing", "other"}), 0u);
      },
      [&] { key.setString("A", "1"); },
      [&] { lecteur.createKey("\\Software\\Test"); },
      [&] { lecteur.createKey("software\\TEST\\"); },
      [&] { lecteur.createKey("\\Software"); },  // implied by its sub-key: not written either
  };
  for (std::size_t i = 0; i < noChanges.size(); ++i) {
    EXPECT_NO_THROW(noChanges[i]()) << "no change " << i;
  }
  EXPECT_EQ(hiveText(), saved);
  // Reading is fine meanwhile; once the server is gone, changes go through again.
  EXPECT_EQ(key.query("a")->data, std::string("1\0", 2));
  server.stop();
  key.setString("b", "2");
  EXPECT_TRUE(key.query("b").has_value());
}

// A prefix Wine made, without user.reg (Proton setting it up): the program adds its own folder,
// and a hive Wine accepts, of the prefix's architecture; it is not a fresh profile of its own.
TEST_F(RegistryTest, AWinePrefixGetsTheProgramFolderAndAHiveOfItsArchitecture) {
  const fs::path wine = prefix_ / "wine";
  fs::create_directories(wine / "drive_c/windows/temp");
  std::ofstream(wine / "system.reg", std::ios::binary)
      << "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win32\n";
  bool created = true;
  const os::Drive wineDrive = os::Drive::own(wine, &created);
  EXPECT_FALSE(created);
  EXPECT_FALSE(wineDrive.freshProfilePending());
  EXPECT_FALSE(fs::exists(wine / "drive_c/users"));
  EXPECT_TRUE(fs::is_directory(wine / "drive_c/Program Files/Tidora 2000"));
  const std::string text = hiveText(wine / "user.reg");
  EXPECT_EQ(
      text.substr(0, text.find("#arch=win32\n") + 12),
      "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n\n"
      "#arch=win32\n");
  EXPECT_TRUE(
      wineDrive.openKey("\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders")
          ->query("Cache")
          .has_value());
}

// A key of 100,000 values as Wine writes it (its time lines, then its values sorted by name),
// among other keys: read, purged and saved, with every line outside it as it was.
TEST_F(RegistryTest, AKeyOfAHundredThousandValuesIsPurgedAndEveryOtherLineKept) {
  constexpr int kNombre = 100000;
  std::vector<std::string> urls;
  for (int n = 1; n <= kNombre; ++n) urls.push_back("url" + std::to_string(n));
  std::vector<std::string> tries = urls;
  tries.push_back("zz garde");
  std::sort(tries.begin(), tries.end());
  const std::string avant =
      "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n\n"
      "#arch=win64\n\n[Software\\\\Microsoft\\\\Avant] 1796641470\n#time=1dd863abdab8c00\n"
      "\"a\"=\"caf\\xe9\"\n\n";
  const std::string cle =
      "[Software\\\\Microsoft\\\\Internet Explorer\\\\TypedURLs] "
      "1796641473\n#time=1dd863abdab8c9c\n";
  const std::string apres =
      "\n[Software\\\\Microsoft\\\\Windows] 1796641475\n#time=1dd863abdab8d00\n;; note\n"
      "\"b\"=hex:00,01\n";
  std::string texte = avant + cle;
  for (const std::string& nom : tries)
    texte += "\"" + nom + "\"=\"http://exemple.test/" + nom + "\"\n";
  writeHive(texte + apres);

  auto typed = lecteur.openKey("\\Software\\Microsoft\\Internet Explorer\\TypedURLs");
  ASSERT_TRUE(typed.has_value());
  EXPECT_EQ(typed->valueNames().size(), urls.size() + 1);
  EXPECT_EQ(typed->deleteValues(urls), urls.size());
  const std::string lu = hiveText();
  ASSERT_EQ(lu.substr(0, avant.size()), avant);
  ASSERT_GE(lu.size(), apres.size());
  EXPECT_EQ(lu.substr(lu.size() - apres.size()), apres);
  const std::string nouvelle = lu.substr(avant.size(), lu.size() - avant.size() - apres.size());
  EXPECT_EQ(nouvelle.substr(0, nouvelle.find(']') + 1), cle.substr(0, cle.find(']') + 1));
  EXPECT_NE(nouvelle.find("\n#time="), std::string::npos);
  EXPECT_EQ(nouvelle.substr(nouvelle.find('\n', nouvelle.find("#time=")) + 1),
            "\"zz garde\"=\"http://exemple.test/zz garde\"\n");
}

// The fresh hive of a prefix is written as every change is: under the hive's lock, and never
// while a wineserver of the prefix runs.
TEST_F(RegistryTest, AFreshHiveIsWrittenUnderTheHiveLockAndNeverWhileWineRuns) {
  const fs::path wine = prefix_ / "wine";
  fs::create_directories(wine / "drive_c/windows/temp");
  std::ofstream(wine / "system.reg", std::ios::binary)
      << "WINE REGISTRY Version 2\n\n#arch=win64\n";
  {
    FakeWineServer server(wine);
    ASSERT_TRUE(server.started());
    try {
      os::Drive::own(wine);
      ADD_FAILURE() << "no error";
    } catch (const os::SystemError& e) {
      EXPECT_EQ(e.code(), os::error::SharingViolation) << e.what();
    }
    EXPECT_FALSE(fs::exists(wine / "user.reg"));
  }
  ExpectToWaitForLock(wine, [&] {
    bool created = true;
    os::Drive::own(wine, &created);
    EXPECT_FALSE(created);
  });
  EXPECT_EQ(hiveText(wine / "user.reg").rfind("WINE REGISTRY Version 2\n", 0), 0u);
}

// Two processes changing the hive at once: every value either one sets is kept, and values one
// deletes meanwhile do not come back from the other's copy.
TEST_F(RegistryTest, TwoProcessesChangingTheHiveLoseNothing) {
  std::vector<std::string> urls;
  {
    RegistryKey typed = lecteur.createKey("\\Software\\Typed");
    for (int n = 1; n <= 50; ++n) {
      urls.push_back("url" + std::to_string(n));
      typed.setString(urls.back(), "http://x");
    }
  }
  auto write = [&](const char* prefix) {
    RegistryKey key = lecteur.createKey("\\Software\\Race");
    for (int n = 1; n <= 150; ++n) key.setString(prefix + std::to_string(n), "v");
  };
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    try {
      write("b");
    } catch (...) {
      _exit(1);
    }
    _exit(0);
  }
  write("a");
  // A writer finding the hive locked waits for it, and does not fail.
  ExpectToWaitForLock(prefix_, [&] {
    EXPECT_NO_THROW(lecteur.createKey("\\Software\\Race").setString("a1", "w"));
  });
  EXPECT_EQ(lecteur.createKey("\\Software\\Typed").deleteValues(urls), urls.size());
  write("c");
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

  EXPECT_EQ(lecteur.openKey("\\Software\\Race")->valueNames().size(), 450u);
  EXPECT_TRUE(lecteur.openKey("\\Software\\Typed")->valueNames().empty());
}

}  // namespace
