// The game's text is single-byte cp1251; these convert at the platform's edge.
#pragma once
#include <optional>
#include <string>

std::string Cp1251ToUtf8(const std::string& text);
// Characters without a cp1251 code are dropped.
std::string Utf8ToCp1251(const std::string& text);
// Appends one Unicode code point as UTF-8.
void AppendUtf8(std::string& out, char32_t cp);
// The cp1251 byte of one Unicode code point, if it has one.
std::optional<unsigned char> CodePointToCp1251(char32_t cp);

// A text of the game written in UTF-8 in the source (Cyrillic messages), as cp1251.
inline std::string Cp(const char* utf8) {
  return Utf8ToCp1251(utf8);
}
