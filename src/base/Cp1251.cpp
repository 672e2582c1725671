// cp1251 <-> UTF-8.
#include "base/Cp1251.h"

namespace {

// Unicode code points of cp1251 bytes 0x80..0xBF (0xC0..0xFF are U+0410..U+044F). 0 = unused.
constexpr char16_t kHigh[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
    0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x0000, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
    0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

char32_t ToCodePoint(unsigned char c) {
  if (c < 0x80) return c;
  if (c >= 0xC0) return 0x0410 + (c - 0xC0);
  return kHigh[c - 0x80];
}

}  // namespace

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += char(cp);
  } else if (cp < 0x800) {
    out += char(0xC0 | (cp >> 6));
    out += char(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += char(0xE0 | (cp >> 12));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  } else {
    out += char(0xF0 | (cp >> 18));
    out += char(0x80 | ((cp >> 12) & 0x3F));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  }
}

std::optional<unsigned char> CodePointToCp1251(char32_t cp) {
  if (cp < 0x80) return static_cast<unsigned char>(cp);
  if (cp >= 0x0410 && cp <= 0x044F) return static_cast<unsigned char>(0xC0 + (cp - 0x0410));
  for (int i = 0; i < 64; ++i)
    if (kHigh[i] != 0 && kHigh[i] == cp) return static_cast<unsigned char>(0x80 + i);
  return std::nullopt;
}

std::string Cp1251ToUtf8(const std::string& text) {
  std::string out;
  out.reserve(text.size() * 2);
  for (unsigned char c : text) {
    const char32_t cp = ToCodePoint(c);
    AppendUtf8(out, cp ? cp : U'?');
  }
  return out;
}

std::string Utf8ToCp1251(const std::string& text) {
  std::string out;
  size_t i = 0;
  while (i < text.size()) {
    const unsigned char c = text[i];
    char32_t cp;
    size_t n;
    if (c < 0x80) {
      cp = c;
      n = 1;
    } else if ((c & 0xE0) == 0xC0) {
      cp = c & 0x1F;
      n = 2;
    } else if ((c & 0xF0) == 0xE0) {
      cp = c & 0x0F;
      n = 3;
    } else if ((c & 0xF8) == 0xF0) {
      cp = c & 0x07;
      n = 4;
    } else {
      ++i;
      continue;
    }
    if (i + n > text.size()) break;
    bool ok = true;
    for (size_t k = 1; k < n; ++k) {
      const unsigned char cc = text[i + k];
      if ((cc & 0xC0) != 0x80) {
        ok = false;
        break;
      }
      cp = (cp << 6) | (cc & 0x3F);
    }
    if (!ok) {
      ++i;
      continue;
    }
    i += n;
    if (auto b = CodePointToCp1251(cp)) out += char(*b);
  }
  return out;
}
