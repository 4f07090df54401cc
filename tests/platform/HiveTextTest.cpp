// Wine's registry format: escapes, value forms, and a hive written back as it was read.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <random>

#include "platform/SystemError.h"
#include "platform/linux/HiveText.h"
#include "platform/linux/WineText.h"

using os::RegistryValue;
using namespace std::string_literals;
using os::host::Hive;
using os::host::hiveText;
using os::host::readWineHive;

namespace {

// As Wine 8.0 wrote it, with a few lines Wine also writes or reads (#class, #link, comments).
const std::string kSample =
    "WINE REGISTRY Version 2\n"
    ";; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n"
    "\n"
    "#arch=win64\n"
    "\n"
    "[Software\\\\Microsoft\\\\Internet Explorer\\\\TypedURLs] 1796641473\n"
    "#time=1dd863abdab8c9c\n"
    "\"url1\"=\"http://www.exemple.fr/\"\n"
    "\"url2\"=\"http://journal.example/caf\\xe9?q=\\\"a b\\\"\"\n"
    "\"url4\"=\"http://garde.example/\"\n"
    "\n"
    "[Software\\\\Probe\\\\Sous cl\\xe9 \\xe9] 1796641474\n"
    "#time=1dd863abe493000\n"
    "#class=\"classe\"\n"
    "@=\"d\\x00e9faut\"\n"
    ";; a comment Wine never writes\n"
    "\"expand\"=str(2):\"%USERPROFILE%\\\\Temp\"\n"
    "\"multi\"=str(7):\"un\\0deux\\0\"\n"
    "\"nombre\"=dword:12345678\n"
    "\"octets\"=hex:00,ff,10,ab\n"
    "\"qword\"=hex(b):88,77,66,55,44,33,22,11\n"
    "\"long\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,\\\n"
    "  17,18,19\n"
    "\"brut\"=\"caf\xc3\xa9\"\n"
    "\n"
    "[Software\\\\Wine\\\\Link] 1796641475\n"
    "#time=1dd863abe493001\n"
    "#link\n"
    "\"SymbolicLinkValue\"=hex(6):5c,00\n";

std::string valueOf(Hive& hive, const char* key, const char* name) {
  const os::host::HiveKey* k = hive.find(key);
  if (k == nullptr) return "<no key>";
  const os::host::HiveValue* v = k->find(name);
  return v == nullptr ? "<no value>" : v->value.data;
}

TEST(HiveTextTest, EscapesAndValueFormsAreWineOwn) {
  using namespace std::string_literals;
  struct Case {
    const char* name;
    RegistryValue value;
    std::string line;
  };
  const Case cases[] = {
      {"", {os::reg::Sz, "d\xc3\xa9" "faut\0"s}, "@=\"d\\x00e9faut\"\n"},
      {"caf\xc3\xa9", {os::reg::Sz, "\xc3\xa9 \xe2\x82\xac!\0"s}, "\"caf\\xe9\"=\"\\xe9 \\x20ac!\"\n"},
      {"emoji", {os::reg::Sz, "\xf0\x9f\x98\x80\0"s}, "\"emoji\"=\"\\xd83d\\xde00\"\n"},
      {"q\"b\\", {os::reg::Sz, "a\\\"\t\r\n\0"s}, "\"q\\\"b\\\\\"=\"a\\\\\\\"\\t\\r\\n\"\n"},
      {"m", {os::reg::MultiSz, "a\0b\0\0"s}, "\"m\"=str(7):\"a\\0b\\0\"\n"},
      {"x", {os::reg::ExpandSz, "%T%\0"s}, "\"x\"=str(2):\"%T%\"\n"},
      {"nul7", {os::reg::Sz, "\0" "7\x01\0"s}, "\"nul7\"=\"\\0007\\1\"\n"},
      {"d", {os::reg::Dword, "\x2a\0\0\x80"s}, "\"d\"=dword:8000002a\n"},
      {"short", {os::reg::Dword, "\1\2"s}, "\"short\"=hex(4):01,02\n"},
      {"no nul", {os::reg::Sz, "ab"}, "\"no nul\"=hex(1):61,00,62,00\n"},
      {"bad utf8", {os::reg::Sz, "\xff\0"s}, "\"bad utf8\"=\"\\xdcff\"\n"},
      // A lone surrogate is one unit; the three bytes of U+DC80 would read back as the byte 0x80,
      // so they go as three bytes.
      {"lone \xed\xa0\x80", {os::reg::Sz, "\xed\xb3\xbf\0"s},
       "\"lone \\xd800\"=\"\\xdced\\xdcb3\\xdcbf\"\n"},
      {"b", {os::reg::Binary, "\x01\xfe"}, "\"b\"=hex:01,fe\n"},
      {"none", {os::reg::None, ""}, "\"none\"=hex(0):\n"},
  };
  std::string text(os::host::kWineHeader);
  text += "\n[Software\\\\T] 1\n";
  for (const Case& c : cases) {
    const std::string line = os::host::wineValueText(c.name, c.value);
    EXPECT_EQ(line, c.line) << c.name;
    text += line;
  }
  // 100 bytes: lines go on after ",\" like Wine's, and every value reads back the same.
  const std::string blob(100, '\xfe');
  const std::string blobText = os::host::wineValueText("blob", {os::reg::Binary, blob});
  EXPECT_EQ(blobText.substr(0, 83),
            "\"blob\"=hex:fe,fe,fe,fe,fe,fe,fe,fe,fe,fe,fe,fe,fe,fe,fe,fe,fe,fe,fe,fe,fe,fe,\\\n  fe");
  text += blobText;
  Hive hive = readWineHive(text, "user.reg");
  const os::host::HiveKey* key = hive.find("software\\t");
  ASSERT_NE(key, nullptr);
  for (const Case& c : cases) {
    const os::host::HiveValue* v = key->find(c.name);
    ASSERT_NE(v, nullptr) << c.name;
    EXPECT_EQ(v->value.type, c.value.type) << c.name;
    EXPECT_EQ(v->value.data, c.value.data) << c.name;
  }
  EXPECT_EQ(key->find("blob")->value.data, blob);
}

// Any bytes, as the UTF-16 of Wine's files and back, and through a hive's text: the very same
// bytes.
TEST(HiveTextTest, AnyBytesSurviveUtf16) {
  std::mt19937 random(2024);
  for (int round = 0; round < 5000; ++round) {
    std::string bytes(static_cast<std::size_t>(random() % 12), '\0');
    for (char& b : bytes) {
      // Mostly the lead and continuation bytes of surrogates, where the mapping is subtle.
      static constexpr unsigned char kOften[] = {0xED, 0xA0, 0xB2, 0xB3, 0x80, 0xBF, 0xF0, 0x90, 'a'};
      b = static_cast<char>(random() % 2 ? kOften[random() % std::size(kOften)] : random() % 256);
    }
    EXPECT_EQ(os::host::utf16ToUtf8(os::host::utf8ToUtf16(bytes)), bytes);
    // And through the escapes of a hive's text, as a name and as a string.
    const RegistryValue value{os::reg::Sz, bytes + '\0'};
    const std::string text = std::string(os::host::kWineHeader) + "\n[K] 1\n" +
                             os::host::wineValueText("n" + bytes, value);
    const Hive hive = readWineHive(text, "user.reg");
    ASSERT_EQ(hive.find("K")->values().size(), 1u) << text;
    EXPECT_EQ(hive.find("K")->values()[0].name, "n" + bytes);
    EXPECT_EQ(hive.find("K")->values()[0].value.data, value.data);
  }
}

TEST(HiveTextTest, AHiveReadAndSavedUnchangedIsByteIdentical) {
  Hive hive = readWineHive(kSample, "user.reg");
  EXPECT_EQ(hiveText(hive), kSample);
  EXPECT_EQ(valueOf(hive, "Software\\Microsoft\\Internet Explorer\\TypedURLs", "URL2"),
            "http://journal.example/caf\xc3\xa9?q=\"a b\"" + std::string(1, '\0'));
  EXPECT_EQ(valueOf(hive, "software\\probe\\sous cl\xc3\xa9 \xc3\xa9", ""),
            std::string("d\xc3\xa9" "faut\0", 8));
  EXPECT_EQ(valueOf(hive, "Software\\Probe\\Sous cl\xc3\xa9 \xc3\xa9", "multi"),
            std::string("un\0deux\0\0", 9));
  EXPECT_EQ(valueOf(hive, "Software\\Probe\\Sous cl\xc3\xa9 \xc3\xa9", "brut"),
            std::string("caf\xc3\xa9\0", 6));  // raw UTF-8, as Wine also reads it
  EXPECT_NE(hive.find("Software\\Probe"), nullptr);  // implied by its sub-key

  // A fresh key goes in tree order and its implied parent is not written.
  bool created = false;
  hive.create("Software\\Probe\\Neuve\\Feuille", created).set("v", {os::reg::Dword, "\1\0\0\0"s});
  EXPECT_TRUE(created);
  const std::string text = hiveText(hive);
  const std::size_t fresh = text.find("[Software\\\\Probe\\\\Neuve\\\\Feuille] ");
  ASSERT_NE(fresh, std::string::npos);
  EXPECT_GT(fresh, text.find("\"brut\""));
  EXPECT_LT(fresh, text.find("[Software\\\\Wine\\\\Link]"));
  EXPECT_EQ(text.find("[Software\\\\Probe\\\\Neuve]"), std::string::npos);
  EXPECT_NE(text.find("\"v\"=dword:00000001\n\n[Software\\\\Wine"), std::string::npos) << text;
  EXPECT_EQ(hiveText(readWineHive(text, "user.reg")), text);
}

// The lines of `text` between the line starting with `from` and the next key line.
std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(pos, end - pos));
    pos = end + 1;
  }
  return lines;
}

TEST(HiveTextTest, AChangeRewritesOnlyItsKey) {
  Hive hive = readWineHive(kSample, "user.reg");
  os::host::HiveKey* typed = hive.find("Software\\Microsoft\\Internet Explorer\\TypedURLs");
  ASSERT_NE(typed, nullptr);
  EXPECT_EQ(typed->erase({"URL1"}), 1u);
  EXPECT_EQ(typed->erase({"url1"}), 0u);
  const std::vector<std::string> before = linesOf(kSample);
  const std::vector<std::string> after = linesOf(hiveText(hive));
  ASSERT_EQ(after.size() + 1, before.size());
  // Only the key's time lines changed, and url1's line went.
  EXPECT_EQ(after[5].rfind("[Software\\\\Microsoft\\\\Internet Explorer\\\\TypedURLs] ", 0), 0u);
  EXPECT_NE(after[5], before[5]);
  EXPECT_EQ(after[6].rfind("#time=", 0), 0u);
  EXPECT_NE(after[6], before[6]);
  EXPECT_EQ(std::vector(after.begin() + 7, after.end()),
            std::vector(before.begin() + 8, before.end()));
  EXPECT_EQ(std::vector(after.begin(), after.begin() + 5),
            std::vector(before.begin(), before.begin() + 5));
  // The written time is the key's: seconds since 1970 and the FILETIME agree.
  const unsigned long long ft = std::stoull(after[6].substr(6), nullptr, 16);
  EXPECT_EQ(after[5].substr(after[5].rfind(' ') + 1),
            std::to_string((ft - 116444736000000000ULL) / 10000000));

  // A change in a key with comment and #class lines keeps them, and the other values' lines;
  // the comment before a removed value stays in its place.
  Hive again = readWineHive(kSample, "user.reg");
  os::host::HiveKey* probe = again.find("Software\\Probe\\Sous cl\xc3\xa9 \xc3\xa9");
  EXPECT_EQ(probe->erase({"", "EXPAND", "absent"}), 2u);
  probe->set("nombre", {os::reg::Dword, std::string("\x10\0\0\0", 4)});
  const std::string text = hiveText(again);
  EXPECT_NE(text.find("#class=\"classe\"\n;; a comment Wine never writes\n\"multi\"=str(7):\"un\\0deux\\0\"\n"
                      "\"nombre\"=dword:00000010\n\"octets\""),
            std::string::npos)
      << text;
  EXPECT_EQ(text.find("d\\x00e9faut"), std::string::npos);
}

TEST(HiveTextTest, AKeyOrValueGivenTwiceIsMergedAsWineDoes) {
  const std::string text =
      "WINE REGISTRY Version 2\n\n[A] 1\n\"x\"=\"1\"\n\"X\"=\"2\"\n;c\n\n[B] 1\n\"b\"=\"b\"\n\n"
      "[a] 1\n\"y\"=\"3\"\n\n[C] 1\n\"c\"=\"c\"\n";
  Hive hive = readWineHive(text, "user.reg");
  EXPECT_EQ(valueOf(hive, "A", "x"), std::string("2\0", 2));  // the later line wins
  EXPECT_EQ(valueOf(hive, "A", "y"), std::string("3\0", 2));
  const std::string saved = hiveText(hive);
  EXPECT_EQ(saved.find("[a]"), std::string::npos) << saved;
  EXPECT_NE(saved.find("\"X\"=\"2\"\n\"y\"=\"3\"\n;c\n\n[B] 1\n\"b\"=\"b\"\n\n[C] 1\n\"c\"=\"c\"\n"),
            std::string::npos)
      << saved;
  EXPECT_EQ(saved.find("\"x\"=\"1\""), std::string::npos);

  // A name given twice in a key of many values, with its own time: the key keeps it, and every
  // line of it but the earlier one.
  std::string many = "WINE REGISTRY Version 2\n\n[K] 1796641473\n#time=1dd863abdab8c9c\n#class=\"c\"\n";
  for (int n = 0; n < 20; ++n) many += "\"v" + std::to_string(n) + "\"=dword:00000001\n";
  many += "\"V7\"=\"later\"\n;end\n";
  Hive big = readWineHive(many, "user.reg");
  EXPECT_EQ(valueOf(big, "k", "v7"), std::string("later\0", 6));
  EXPECT_EQ(big.find("K")->values().size(), 20u);
  std::string expected = many;
  expected.erase(expected.find("\"v7\"=dword:00000001\n"), 20);
  EXPECT_EQ(hiveText(big), expected);
}

// Keys read in any order, however deep: a sub-key before its parent, a key 100,000 levels deep
// (one name per level: memory grows with the text, not with the depth squared).
TEST(HiveTextTest, KeysInAnyOrderAndOfAnyDepthAreKeptAsRead) {
  const std::string order =
      "WINE REGISTRY Version 2\n\n[A\\\\B\\\\C] 3\n\"c\"=\"c\"\n\n[A] 1\n\"a\"=\"a\"\n\n"
      "[] 0\n\"racine\"=\"r\"\n\n[A\\\\B] 2\n\"b\"=\"b\"\n";
  Hive hive = readWineHive(order, "user.reg");
  EXPECT_EQ(hiveText(hive), order);
  bool created = false;
  hive.create("a\\b\\D", created).set("d", {os::reg::Dword, "\1\0\0\0"s});
  EXPECT_TRUE(created);
  const std::string text = hiveText(hive);
  EXPECT_EQ(text.substr(0, order.size()), order);  // after the parent's other sub-keys
  EXPECT_EQ(text.find("[A\\\\B\\\\D] "), order.size() + 1) << text;

  constexpr int kDepth = 100000;
  std::string path = "a";
  for (int n = 1; n < kDepth; ++n) path += "\\\\a";
  const std::string deep = "WINE REGISTRY Version 2\n\n[" + path + "] 1\n\"v\"=\"fond\"\n";
  rusage before{};
  getrusage(RUSAGE_SELF, &before);
  Hive fond = readWineHive(deep, "user.reg");
  rusage after{};
  getrusage(RUSAGE_SELF, &after);
  EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 200 * 1024) << "KB";
  std::string windowsPath = "A";
  for (int n = 1; n < kDepth; ++n) windowsPath += "\\A";
  ASSERT_NE(fond.find(windowsPath), nullptr);
  EXPECT_EQ(valueOf(fond, windowsPath.c_str(), "V"), std::string("fond\0", 5));
  EXPECT_EQ(fond.find(windowsPath)->path().size(), 2u * kDepth - 1);
  EXPECT_EQ(hiveText(fond), deep);
  fond.find(windowsPath)->set("w", {os::reg::Dword, "\2\0\0\0"s});
  const std::string changed = hiveText(fond);
  EXPECT_EQ(changed.rfind("WINE REGISTRY Version 2\n\n[" + path + "] ", 0), 0u);
  EXPECT_NE(changed.find("\"v\"=\"fond\"\n\"w\"=dword:00000002\n"), std::string::npos);
  // The same depth in the regedit format.
  std::string regedit = "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER";
  for (int n = 0; n < kDepth; ++n) regedit += "\\a";
  regedit += "]\n\"v\"=\"fond\"\n";
  Hive converted = os::host::readRegeditHive(regedit, "user.reg");
  EXPECT_EQ(valueOf(converted, windowsPath.c_str(), "v"), std::string("fond\0", 5));
  EXPECT_EQ(hiveText(converted).find("\n[" + path + "] "), std::string(os::host::kWineHeader).size());
}

TEST(HiveTextTest, FilesWineRejectsOrDamagesAreRefusedWithTheirLine) {
  for (const std::string& bad :
       {std::string(""), "\xEF\xBB\xBFWINE REGISTRY Version 2\n"s,
        "Windows Registry Editor Version 5.00\n"s,
        "WINE REGISTRY Version 2\n\"a\"=\"b\"\n"s,
        "WINE REGISTRY Version 2\n[X] 1\n\"a\"=\"b\n"s,
        "WINE REGISTRY Version 2\n[X] 1\n\"a\"=dword:zz\n"s,
        "WINE REGISTRY Version 2\n[X] 1\n\"a\"=hex:1,2\n"s,
        "WINE REGISTRY Version 2\n[X] 1\n\"a\"=hex:01,\\\n"s,
        "WINE REGISTRY Version 2\n[X\n"s,
        "WINE REGISTRY Version 2\n[X] 1\nvaleur\n"s}) {
    EXPECT_THROW(readWineHive(bad, "user.reg"), os::SystemError) << bad;
  }
  try {
    readWineHive("WINE REGISTRY Version 2\n\n[X] 1\n\"a\"=dword:zz\n", "/p/user.reg");
    ADD_FAILURE() << "no error";
  } catch (const os::SystemError& e) {
    EXPECT_EQ(e.code(), os::error::BadRegistryHive);
    EXPECT_STREQ(e.what(), "Base de registre illisible : /p/user.reg, ligne 4 : dword incorrect");
  }
}

}  // namespace
