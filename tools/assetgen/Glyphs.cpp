// Glyph pictures of the game's font: FreeType, monochrome with hinting, one picture per cp1251
// character. The game draws glyphs top-aligned and advances by the picture's width, so each
// picture is the glyph's advance wide and the font's full line high, on a common baseline.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>

#include "Assets.h"
#include "base/Cp1251.h"

namespace {

// The Unicode code point of a cp1251 byte, or 0 where the code page leaves it unassigned (the
// conversion gives a stand-in there, which does not convert back).
char32_t CodePoint(unsigned char ch) {
  const std::string utf8 = Cp1251ToUtf8(std::string(1, char(ch)));
  if (utf8.empty()) return 0;
  const auto* u = reinterpret_cast<const unsigned char*>(utf8.data());
  char32_t cp = 0;
  if (u[0] < 0x80)
    cp = u[0];
  else if ((u[0] & 0xE0) == 0xC0 && utf8.size() >= 2)
    cp = char32_t((u[0] & 0x1F) << 6 | (u[1] & 0x3F));
  else if ((u[0] & 0xF0) == 0xE0 && utf8.size() >= 3)
    cp = char32_t((u[0] & 0x0F) << 12 | (u[1] & 0x3F) << 6 | (u[2] & 0x3F));
  const auto back = CodePointToCp1251(cp);
  return back && *back == ch ? cp : 0;
}

}  // namespace

bool MakeGlyphs(const std::string& fontPath, int pixelSize, std::vector<NamedImage>& glyphs,
                std::string& error) {
  glyphs.clear();
  FT_Library lib;
  if (FT_Init_FreeType(&lib)) {
    error = "FreeType cannot start";
    return false;
  }
  FT_Face face;
  if (FT_New_Face(lib, fontPath.c_str(), 0, &face)) {
    FT_Done_FreeType(lib);
    error = "cannot open the font " + fontPath;
    return false;
  }
  bool ok = FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixelSize)) == 0;
  const int ascender = int(face->size->metrics.ascender >> 6);
  const int height = ascender - int(face->size->metrics.descender >> 6);
  for (int code = 33; ok && code <= 255; ++code) {
    const char32_t cp = CodePoint(static_cast<unsigned char>(code));
    // 0x98 has no character in the code page, 127 is a control code.
    if (cp == 0 || cp == 127) continue;
    const FT_UInt index = FT_Get_Char_Index(face, FT_ULong(cp));
    if (index == 0 || FT_Load_Glyph(face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO)) {
      error = "the font has no glyph for character " + std::to_string(code);
      ok = false;
      break;
    }
    const FT_GlyphSlot g = face->glyph;
    const FT_Bitmap& bm = g->bitmap;
    const int advance = int((g->advance.x + 32) >> 6);
    const int bw = int(bm.width), bh = int(bm.rows);
    const int w = std::max({advance, bw, 1});
    // Ink that would stick out of the advance is moved inside it rather than cut off.
    const int x0 = std::clamp(int(g->bitmap_left), 0, w - bw);
    const int y0 = ascender - int(g->bitmap_top);
    Image img(w, height);
    for (int y = 0; y < bh; ++y) {
      const unsigned char* row = bm.buffer + y * bm.pitch;
      for (int x = 0; x < bw; ++x) {
        if (!(row[x >> 3] & (0x80 >> (x & 7)))) continue;
        const int px = x0 + x, py = y0 + y;
        if (px >= 0 && px < w && py >= 0 && py < height) img.at(px, py) = 0xFFFFFF;
      }
    }
    glyphs.push_back({std::to_string(code), std::move(img)});
  }
  FT_Done_Face(face);
  FT_Done_FreeType(lib);
  return ok;
}
