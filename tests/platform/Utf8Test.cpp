// The one UTF-8 decoder of the program: what is one character, and what is a byte of its own.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/common/CaseFold.h"

namespace {

using os::host::kInvalidByte;

// The characters nextChar reads in `s`.
std::vector<char32_t> characters(std::string_view s) {
  std::vector<char32_t> out;
  for (std::size_t i = 0; i < s.size();) out.push_back(os::host::nextChar(s, i));
  return out;
}

TEST(Utf8Test, ValidSequencesAndLoneSurrogatesAreCharactersAnyOtherByteIsItsOwn) {
  const struct {
    std::string text;
    std::vector<char32_t> read;
  } cases[] = {
      {"a\u00e9\u20ac\U0001F600", {'a', 0xE9, 0x20AC, 0x1F600}},
      {"\xed\xa0\x80\xed\xbf\xbf", {0xD800, 0xDFFF}},  // lone surrogates, one character each
      {"\xc0\xaf", {kInvalidByte + 0xC0, kInvalidByte + 0xAF}},  // overlong
      {"\xe0\x80\xaf", {kInvalidByte + 0xE0, kInvalidByte + 0x80, kInvalidByte + 0xAF}},
      {"\xf4\x90\x80\x80", {kInvalidByte + 0xF4, kInvalidByte + 0x90, kInvalidByte + 0x80,
                            kInvalidByte + 0x80}},  // past U+10FFFF
      {"\xf5\x80", {kInvalidByte + 0xF5, kInvalidByte + 0x80}},
      {"\xe2\x82", {kInvalidByte + 0xE2, kInvalidByte + 0x82}},  // cut short
      {"\xe2\x82x", {kInvalidByte + 0xE2, kInvalidByte + 0x82, 'x'}},
      {"\xff", {kInvalidByte + 0xFF}},
  };
  for (const auto& c : cases) EXPECT_EQ(characters(c.text), c.read) << c.text;
}

// Any bytes: read and written back, they are the same bytes; folded, two texts compare equal
// exactly when their folded copies do.
TEST(Utf8Test, AnyBytesComeBackAsTheyWere) {
  std::mt19937 random(12345);
  const std::string pieces[] = {"a", "Z", "\u00c9", "\u00e9", "\u212a", "k", "\xed\xa0\x80",
                                "\xff", "\xc3", "\xe2\x82", "\U0001F600", "\u03a3", "\u03c2"};
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    for (int n = random() % 8; n > 0; --n) text += pieces[random() % std::size(pieces)];
    std::string back;
    for (const char32_t c : characters(text)) os::host::appendChar(back, c);
    EXPECT_EQ(back, text);
    std::string other;
    for (int n = random() % 8; n > 0; --n) other += pieces[random() % std::size(pieces)];
    EXPECT_EQ(os::host::equalsIgnoreCase(text, other),
              os::host::foldedCopy(text) == os::host::foldedCopy(other))
        << text << " / " << other;
  }
}

}  // namespace
