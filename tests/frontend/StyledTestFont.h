// A font made the way the game makes its own (AddFontStyle over glyph pictures), from solid glyphs
// of codes 33..126, 4 to 7 pixels wide and 10 high, in the game's two styles.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "assets/Collections.h"
#include "assets/MemoryStream.h"
#include "display/Letters.h"
#include "image/Bmp.h"

// A solid w x h glyph picture.
inline std::string GlyphBmp(int32_t w, int32_t h) {
  TBmpImage img;
  std::string error;
  EXPECT_TRUE(img.Create(w, h, 8, error));
  img.Palette[1] = 0xFFFFFF;
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) img.Row(y)[x] = 1;
  return EncodeBmp(img);
}

// The game's two styles over solid glyphs of codes 33..126, 4 to 7 pixels wide and 10 high.
inline std::unique_ptr<TLettersCollection> TestFont(Display& dd) {
  TGraphCollection glyphs;
  for (int code = 33; code < 127; ++code) {
    TMemoryStream s(GlyphBmp(4 + code % 4, 10));
    EXPECT_GE(glyphs.AddGraphic(gkBitmap, std::to_string(code), s), 0);
  }
  auto f = std::make_unique<TLettersCollection>();
  int32_t w = 0, h = 0;
  glyphs.GetMaxSize(w, h);
  f->Allocate(dd, w + 2, h + 2, 2 * glyphs.Count());
  f->SetUseColorKey(true);
  f->AddFontStyle(dd, glyphs, TLetterStyle{1, 0xFFFFFF, 0}, 0);
  f->AddFontStyle(dd, glyphs, TLetterStyle{3, 0xFF0000, 0x800000}, 1);
  return f;
}
