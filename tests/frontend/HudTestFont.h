// A game with a display and a font of solid glyphs for the HUD and result screen tests: every
// character 33..126 in style 0 (white) and style 1 (blue), glyphHeight tall and 6 wide with an
// advance of 7; the space advances 7.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "game/GameUnit.h"
#include "display/Letters.h"
#include "display/SpriteSurface.h"
#include "platform/System.h"

constexpr uint32_t kWhite = 0xFFFFFF, kBlue = 0x0000FF;
constexpr int32_t kGlyphAdvance = 7;

inline std::unique_ptr<TLettersCollection> SolidFont(Display& dd, int32_t glyphHeight) {
  auto font = std::make_unique<TLettersCollection>();
  const int32_t first = 33, last = 126;
  font->Allocate(dd, 8, glyphHeight, 2 * (last - first + 1));
  font->SetUseColorKey(true);
  font->ClipEnabled = true;
  const uint32_t colours[2] = {kWhite, kBlue};
  for (int32_t style = 0; style < 2; ++style) {
    Surface glyph(6, glyphHeight);
    glyph.Fill(nullptr, colours[style]);
    for (int32_t code = first; code <= last; ++code) {
      int32_t slot = -1;
      EXPECT_TRUE(font->PutSurface(slot, std::to_string(code), glyph, false));
      font->GlyphIndex[(code - 32) * 10 + style] = slot;
      font->GlyphWidth[slot] = kGlyphAdvance;
      font->GlyphHeight[slot] = glyphHeight;
    }
    font->SpaceWidth[style] = kGlyphAdvance;
  }
  return font;
}

// The bounding box of the pixels of one colour within an area; empty (Right <= Left) when none.
inline TRect InkOf(const Surface& s, uint32_t colour, const TRect& area) {
  TRect r{area.Right, area.Bottom, area.Left, area.Top};
  for (int32_t y = area.Top; y < area.Bottom; ++y)
    for (int32_t x = area.Left; x < area.Right; ++x)
      if (s.Row(y)[x] == colour) {
        r.Left = std::min(r.Left, x), r.Top = std::min(r.Top, y);
        r.Right = std::max(r.Right, x + 1), r.Bottom = std::max(r.Bottom, y + 1);
      }
  return r;
}

class FrontendGame : public ::testing::Test {
 protected:
  void SetUp() override {
    system_ = System::Create(true, false);
    g_ = std::make_unique<TGame>(*system_);
    ASSERT_TRUE(g_->InitDisplay());
  }
  void UseFont(int32_t glyphHeight) { g_->Font = SolidFont(*g_->DirectDraw, glyphHeight); }
  // Named pictures w x h, each filled with its own colour.
  void UsePictures(std::initializer_list<std::pair<const char*, uint32_t>> pictures, int32_t w,
                   int32_t h) {
    g_->Pictures = std::make_unique<TDXBaseSurface>();
    g_->Pictures->Allocate(*g_->DirectDraw, w, h, int32_t(pictures.size()));
    g_->Pictures->ClipEnabled = true;
    for (const auto& [name, colour] : pictures) {
      Surface s(w, h);
      s.Fill(nullptr, colour);
      int32_t slot = -1;
      EXPECT_TRUE(g_->Pictures->PutSurface(slot, name, s, false));
    }
  }
  Surface& Screen() { return *g_->BackBuffer; }
  uint32_t At(int32_t x, int32_t y) { return Screen().Row(y)[x]; }

  std::unique_ptr<System> system_;
  std::unique_ptr<TGame> g_;
};
