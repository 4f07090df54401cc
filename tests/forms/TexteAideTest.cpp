// The help file's text: UTF-8 kept as it is, anything else read as Windows-1252, one rule for
// the whole file.
#include <gtest/gtest.h>

#include "forms/TexteAide.h"

namespace {

TEST(TexteAide, Utf8IsKeptAsItIsWithoutItsByteOrderMark) {
  EXPECT_EQ(TexteAide(""), "");
  EXPECT_EQ(TexteAide("AIDE\r\nCochez ce qu'il faut effacer.\n"),
            "AIDE\r\nCochez ce qu'il faut effacer.\n");
  EXPECT_EQ(TexteAide("été, œuvre, 5 €, ’, 𝄞"), "été, œuvre, 5 €, ’, 𝄞");
  // The replacement character is a character like any other.
  EXPECT_EQ(TexteAide("a\xEF\xBF\xBD" "b"), "a\xEF\xBF\xBD" "b");
  EXPECT_EQ(TexteAide("\xEF\xBB\xBF" "Aide"), "Aide");
}

TEST(TexteAide, AnythingElseIsWindows1252ThroughoutTheFile) {
  EXPECT_EQ(TexteAide("\xE9t\xE9, \x9Cuvre, 5 \x80, l\x92" "aide, \x85"),
            "été, œuvre, 5 €, l’aide, …");
  // One byte that is not UTF-8 makes the whole file Windows-1252, its UTF-8 part included.
  EXPECT_EQ(TexteAide("d\xC3\xA9j\xC3\xA0 \xE9t\xE9"), "dÃ©jÃ\xC2\xA0 été");
  // Forms UTF-8 refuses: cut short, overlong, a surrogate, past U+10FFFF.
  EXPECT_EQ(TexteAide("fin \xC3"), "fin Ã");
  EXPECT_EQ(TexteAide("\xC0\xAF"), "À¯");
  EXPECT_EQ(TexteAide("\xED\xA0\x80"), "í\xC2\xA0€");
  EXPECT_EQ(TexteAide("\xF4\x90\x80\x80"), "ô\xC2\x90€€");
  // The unassigned bytes stand for the control characters of the same number.
  EXPECT_EQ(TexteAide("\x81\x8D\x8F\x90\x9D"), "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D");
}

}  // namespace
