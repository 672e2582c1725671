// Comparing names while ignoring letter case: the game's own names are cp1251 text, where the
// Cyrillic letters have a case too; file names on disk are compared by their ASCII letters only.
#pragma once
#include <string_view>

// The lower-case form of a cp1251 character (Latin A..Z, Cyrillic А..Я and Ё).
unsigned char FoldCase1251(unsigned char c);
// Equal when they differ only in the case of cp1251 letters (block and frame names).
bool SameTextIgnoringCase(std::string_view a, std::string_view b);
// Equal when they differ only in the case of ASCII letters (file names).
bool SameFileNameIgnoringCase(std::string_view a, std::string_view b);
