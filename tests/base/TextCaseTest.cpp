// Names compared ignoring letter case: cp1251 letters for the game's names, ASCII for file names.
#include <gtest/gtest.h>

#include "base/TextCase.h"
#include "base/Cp1251.h"

TEST(TextCase, NamesFoldLatinAndCyrillicFileNamesOnlyAscii) {
  EXPECT_TRUE(SameTextIgnoringCase("Letters", "LETTERS"));
  EXPECT_TRUE(SameTextIgnoringCase(Cp("ЁЖИК"), Cp("ёжик")));
  EXPECT_FALSE(SameTextIgnoringCase("abc", "abcd"));
  EXPECT_FALSE(SameTextIgnoringCase("a[", "A{"));  // not letters: no case
  EXPECT_TRUE(SameFileNameIgnoringCase("Main.LEV", "main.lev"));
  // File names on disk are UTF-8: their bytes above 127 are never folded.
  EXPECT_FALSE(SameFileNameIgnoringCase("\xC3\xA9.lev", "\xE3\xA9.lev"));
  EXPECT_TRUE(SameTextIgnoringCase("\xC3", "\xE3"));
}
