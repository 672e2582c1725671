// Letter case of names.
#include "base/TextCase.h"

#include <algorithm>

unsigned char FoldCase1251(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return c + ('a' - 'A');
  if (c >= 0xC0 && c <= 0xDF) return c + 0x20;  // А..Я
  if (c == 0xA8) return 0xB8;                   // Ё
  return c;
}

bool SameTextIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return FoldCase1251(static_cast<unsigned char>(x)) ==
                  FoldCase1251(static_cast<unsigned char>(y));
         });
}

bool SameFileNameIgnoringCase(std::string_view a, std::string_view b) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [&](char x, char y) { return lower(x) == lower(y); });
}
