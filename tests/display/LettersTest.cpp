// The bitmap font: markup, line splitting, measuring, aligned drawing, glyph kinds, the stored
// form (round trip and hostile blocks) and the three text effects.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/Bytes.h"
#include "assets/Collections.h"
#include "assets/MemoryStream.h"
#include "display/Letters.h"
#include "image/Bmp.h"
#include "base/Random.h"
#include "platform/System.h"

namespace {

// An 8-bit bitmap file, palette 0 black and 1 white, pixel (x, y) white where set says so.
std::string GlyphBmp(int32_t w, int32_t h, const std::function<bool(int32_t, int32_t)>& set) {
  TBmpImage img;
  std::string error;
  EXPECT_TRUE(img.Create(w, h, 8, error));
  img.Palette[1] = 0xFFFFFF;
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) img.Row(y)[x] = set(x, y) ? 1 : 0;
  return EncodeBmp(img);
}

const auto kFull = [](int32_t, int32_t) { return true; };

std::vector<int32_t> Codes(const std::string& encoded) {
  std::vector<int32_t> out;
  for (size_t i = 0; i + 4 <= encoded.size(); i += 4) out.push_back(ReadInt32At(encoded, i));
  return out;
}

// The bounding box of the pixels that differ from 0; Right/Bottom exclusive; empty when none.
TRect Ink(const Surface& s) {
  TRect r{s.Width(), s.Height(), 0, 0};
  for (int32_t y = 0; y < s.Height(); ++y)
    for (int32_t x = 0; x < s.Width(); ++x)
      if (s.Row(y)[x] != 0) {
        r.Left = std::min(r.Left, x), r.Top = std::min(r.Top, y);
        r.Right = std::max(r.Right, x + 1), r.Bottom = std::max(r.Bottom, y + 1);
      }
  return r;
}

class FontTest : public ::testing::Test {
 protected:
  FontTest() : system_(System::Create(true, false)), display_(*system_, 64 * 1024) {
    GameRandom().Seed(7);
    // Solid glyphs A 4 x 6, B 5 x 8, C 3 x 6, & 2 x 4; D 3 x 3 with only its centre set; and
    // two pictures that are no glyph (code 7) or not a number (code 255).
    Add("65", GlyphBmp(4, 6, kFull));
    Add("66", GlyphBmp(5, 8, kFull));
    Add("67", GlyphBmp(3, 6, kFull));
    Add("38", GlyphBmp(2, 4, kFull));
    Add("68", GlyphBmp(3, 3, [](int32_t x, int32_t y) { return x == 1 && y == 1; }));
    Add("7", GlyphBmp(2, 2, kFull));
    Add("ya", GlyphBmp(2, 2, kFull));
  }

  void Add(const std::string& name, const std::string& bmp) {
    TMemoryStream s(bmp);
    ASSERT_GE(glyphs_.AddGraphic(gkBitmap, name, s), 0);
  }

  // The game's font: cell = largest picture + 2, two styles (white plain, blue shadowed).
  std::unique_ptr<TLettersCollection> MakeFont(int32_t frames = 0, bool third = false) {
    auto f = std::make_unique<TLettersCollection>();
    int32_t w = 0, h = 0;
    glyphs_.GetMaxSize(w, h);
    f->Allocate(display_, w + 2, h + 2, frames > 0 ? frames : 3 * glyphs_.Count());
    f->SetUseColorKey(true);
    f->AddFontStyle(display_, glyphs_, TLetterStyle{1, 0xFFFFFF, 0}, 0);
    f->AddFontStyle(display_, glyphs_, TLetterStyle{3, 0xFF0000, 0x800000}, 1);
    if (third) f->AddFontStyle(display_, glyphs_, TLetterStyle{2, 0x00FF00, 0x0000FF}, 2);
    return f;
  }

  int32_t Slot(const TLettersCollection& f, char c, int32_t style) {
    return f.GlyphFor(uint8_t(c), style);
  }

  std::unique_ptr<System> system_;
  Display display_;
  TGraphCollection glyphs_;
};

TEST_F(FontTest, MarkupSwitchesStylesPerCall) {
  auto f = MakeFont();
  const int32_t a0 = Slot(*f, 'A', 0), b0 = Slot(*f, 'B', 0), b1 = Slot(*f, 'B', 1),
                c0 = Slot(*f, 'C', 0), amp0 = Slot(*f, '&', 0);
  ASSERT_GE(a0, 0);
  ASSERT_GE(b1, 0);
  ASSERT_NE(b0, b1);
  struct Case {
    std::string text;
    std::vector<int32_t> codes;
  } cases[] = {
      {"A&1B&0C", {a0, b1, c0}},
      {"A&&B", {a0, amp0, b0}},
      {"A&xB", {a0, b0}},            // & and a letter: style 0, the letter is eaten
      {"&1A&", {Slot(*f, 'A', 1)}},  // a trailing & draws nothing
      {"A &1 B", {a0, -1, -2, b1}},  // a space gives -(style + 1)
      {"A\x01Z", {a0}},              // no glyph: nothing
      {"&1B", {b1}},
      {"B", {b0}},  // every call starts in style 0
  };
  for (const Case& c : cases) EXPECT_EQ(Codes(f->EncodeText(c.text)), c.codes) << c.text;
}

TEST_F(FontTest, PicturesOutsideTheTableAreSkipped) {
  auto f = MakeFont();
  EXPECT_EQ(f->GlyphFor(7, 0), -1);
  EXPECT_GE(f->GlyphFor(255, 0), 0);  // a name that is no number stands for code 255
  EXPECT_EQ(f->GlyphWidth[f->GlyphFor(255, 0)], 2);
  // Six glyphs in each of two styles took twelve slots.
  EXPECT_EQ(f->FirstFreeFrame(), 12);
}

TEST_F(FontTest, SplitLinesAtCrLfOnly) {
  struct Case {
    std::string text;
    std::vector<std::string> lines;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\n", {"a"}},
      {"a\r\nb", {"a", "b"}},
      {"a\r\n\r\nb", {"a", "", "b"}},
      {"\r\n", {""}},
      {"a\rb\nc", {"a\rb\nc"}},
  };
  std::vector<std::string> lines{"stale"};
  for (const Case& c : cases) {
    TLettersCollection::SplitLines(c.text, lines);
    EXPECT_EQ(lines, c.lines) << c.text;
  }
}

TEST_F(FontTest, Measures) {
  auto f = MakeFont();
  EXPECT_EQ(f->LineWidth("AB"), 9);
  EXPECT_EQ(f->LineWidth("A B"), 9 + kDefaultSpaceWidth);
  EXPECT_EQ(f->LineWidth("&1A"), 5);  // the shadowed glyph is one pixel larger
  EXPECT_EQ(f->LineHeight("AC"), 6);
  EXPECT_EQ(f->LineHeight("A B"), 8);
  EXPECT_EQ(f->LineHeight("   "), 0);
  EXPECT_EQ(f->TextWidth("A\r\nBBC"), 13);
  // Spacing counts after every line, the last one too.
  EXPECT_EQ(f->TextHeight("A\r\nB", 4), 6 + 4 + 8 + 4);
  EXPECT_EQ(f->TextHeight("", 4), 0);
}

TEST_F(FontTest, DrawLineAlignsAndAdvances) {
  auto f = MakeFont();
  struct Case {
    uint8_t h, v;
    TRect ink;
  } cases[] = {
      {daLeft, daTop, {50, 20, 50 + 4 + 10 + 5, 28}},
      {daRight, daBottom, {50 - 19, 20 - 8, 50, 20}},
      {daCenter, daCenter, {50 - 9, 20 - 4, 50 + 10, 20 + 4}},
  };
  for (const Case& c : cases) {
    Surface dest(100, 50);
    f->DrawLine(dest, 50, 20, "A B", c.h, c.v);
    EXPECT_EQ(Ink(dest), c.ink) << int(c.h) << "," << int(c.v);
  }
  // The space is not drawn: the columns between A and B stay black.
  Surface dest(100, 50);
  f->DrawLine(dest, 0, 0, "A B", daLeft, daTop);
  for (int32_t x = 4; x < 14; ++x) EXPECT_EQ(dest.Row(2)[x], 0u) << x;
  EXPECT_EQ(dest.Row(2)[14], 0xFFFFFFu);
}

TEST_F(FontTest, DrawTextBottomIncludesFinalSpacing) {
  auto f = MakeFont();
  Surface dest(100, 100);
  // Height 6 + 4 + 8 + 4 = 22, so the block starts at 78 and B's last row is 78 + 10 + 7 = 95.
  f->DrawText(dest, 10, 100, "A\r\nB", daLeft, daBottom, 4);
  EXPECT_EQ(Ink(dest), (TRect{10, 78, 15, 96}));
  EXPECT_EQ(dest.Row(83)[13], 0xFFFFFFu);  // A: rows 78 ... 83, columns 10 ... 13
  EXPECT_EQ(dest.Row(84)[10], 0u);
  EXPECT_EQ(dest.Row(88)[14], 0xFFFFFFu);  // B from row 88
  // Each line is aligned on its own.
  Surface centred(100, 100);
  f->DrawText(centred, 50, 0, "A\r\nBBC", daCenter, daTop, 0);
  EXPECT_EQ(centred.Row(0)[48], 0xFFFFFFu);
  EXPECT_EQ(centred.Row(0)[47], 0u);
  EXPECT_EQ(centred.Row(6)[50 - 6], 0xFFFFFFu);
}

TEST_F(FontTest, GlyphKindsRenderInkAndOutline) {
  auto f = MakeFont(0, true);
  const TRect cell1 = f->GetFrameRect(Slot(*f, 'D', 1));
  const TRect cell2 = f->GetFrameRect(Slot(*f, 'D', 2));
  EXPECT_EQ(cell1.Width(), 4);
  EXPECT_EQ(cell2.Width(), 5);
  auto at = [&](const TRect& c, int32_t x, int32_t y) {
    return f->Surface->Row(c.Top + y)[c.Left + x];
  };
  // Shadowed (kind 3): ink 0xFF0000 GDI = blue pixel, shadow right and below inside the bitmap.
  EXPECT_EQ(at(cell1, 1, 1), 0x0000FFu);
  EXPECT_EQ(at(cell1, 2, 1), 0x000080u);
  EXPECT_EQ(at(cell1, 1, 2), 0x000080u);
  EXPECT_EQ(at(cell1, 0, 1), 0u);
  EXPECT_EQ(at(cell1, 2, 2), 0u);
  // Outlined (kind 2): moved one pixel in, outline on the four sides.
  EXPECT_EQ(at(cell2, 2, 2), 0x00FF00u);
  for (const auto& [x, y] : {std::pair{1, 2}, {3, 2}, {2, 1}, {2, 3}})
    EXPECT_EQ(at(cell2, x, y), 0xFF0000u) << x << "," << y;
  EXPECT_EQ(at(cell2, 1, 1), 0u);
}

TEST_F(FontTest, NoFreeSlotStopsAndKeepsWhatWasPlaced) {
  auto f = MakeFont(2);
  ASSERT_EQ(f->Capacity, 2);
  EXPECT_EQ(f->LastResult, kNoFreeFrame);
  EXPECT_GE(Slot(*f, 'A', 0), 0);
  EXPECT_GE(Slot(*f, 'B', 0), 0);
  EXPECT_EQ(Slot(*f, 'C', 0), -1);
  EXPECT_EQ(Slot(*f, 'A', 1), -1);
}

TEST_F(FontTest, SaveThenLoadReproducesTheBlock) {
  auto f = MakeFont();
  f->SpaceWidth[3] = 17;
  f->ClipEnabled = true;
  TMemoryStream saved;
  f->SaveToStream(saved);
  EXPECT_EQ(saved.Size(), size_t(f->HeaderSize()) + size_t(f->PixelBytes));
  EXPECT_EQ(f->HeaderSize(), 100 + 50 * f->Capacity + 26920);

  TLettersCollection g;
  ASSERT_TRUE(g.LoadFromStream(display_, saved)) << g.LastResult;
  EXPECT_EQ(g.GlyphIndex, f->GlyphIndex);
  EXPECT_EQ(g.GlyphWidth, f->GlyphWidth);
  EXPECT_EQ(g.GlyphHeight, f->GlyphHeight);
  EXPECT_EQ(g.SpaceWidth, f->SpaceWidth);
  TMemoryStream again;
  g.SaveToStream(again);
  EXPECT_EQ(again.Bytes(), saved.Bytes());

  Surface a(100, 30), b(100, 30);
  f->DrawLine(a, 3, 3, "AB&1C&&", daLeft, daTop);
  g.DrawLine(b, 3, 3, "AB&1C&&", daLeft, daTop);
  EXPECT_TRUE(std::equal(a.Data(), a.Data() + 100 * 30, b.Data()));
}

TEST_F(FontTest, HostileBlocksAreRefused) {
  auto f = MakeFont();
  TMemoryStream saved;
  f->SaveToStream(saved);
  const size_t tables = size_t(100 + 50 * f->Capacity);
  const auto withInt = [&](size_t pos, int32_t v) {
    std::string b = saved.Bytes();
    const std::string n = IntToBytes(v);
    b.replace(pos, 4, n);
    return b;
  };
  struct Case {
    const char* what;
    std::string block;
  } cases[] = {
      {"glyph slot 2240", withInt(tables + 4 * 33, 2240)},
      {"glyph slot at Capacity", withInt(tables + 4 * 33, f->Capacity)},
      {"glyph slot -2", withInt(tables, -2)},
      {"glyph wider than the cell", withInt(tables + 8960 + 4 * 5, f->FrameWidth + 1)},
      {"negative glyph height", withInt(tables + 17920, -1)},
      {"negative space", withInt(tables + 26880 + 4 * 9, -1)},
      {"huge space", withInt(tables + 26880, 1 << 30)},
      {"cut by a byte", saved.Bytes().substr(0, saved.Size() - 1)},
      {"cut inside the tables", saved.Bytes().substr(0, tables + 100)},
      {"frame count changed", withInt(8, f->FrameCount + 50)},
      {"empty", std::string()},
  };
  for (const Case& c : cases) {
    TLettersCollection g;
    TMemoryStream s(c.block);
    EXPECT_FALSE(g.LoadFromStream(display_, s)) << c.what;
    EXPECT_TRUE(Failed(g.LastResult)) << c.what;
    EXPECT_EQ(g.GlyphIndex[0], -1) << c.what;  // nothing taken from a refused block
  }
}

TEST_F(FontTest, BoomNeverWritesOutsideItsClip) {
  auto f = MakeFont();
  constexpr uint32_t kSentinel = 0x123456;
  const TRect clip{20, 20, 60, 50};
  Surface dest(80, 70);
  f->StartBoom("B", 2, 0.5f, 0);
  int32_t drawnInside = 0;
  for (int32_t frame = 0; frame < 400; ++frame) {
    std::fill_n(dest.Data(), 80 * 70, kSentinel);
    f->DrawBoom(dest, 17, 44, clip);
    for (int32_t y = 0; y < 70; ++y)
      for (int32_t x = 0; x < 80; ++x) {
        const bool inside = x > clip.Left && y > clip.Top && x < clip.Right && y < clip.Bottom;
        if (!inside)
          ASSERT_EQ(dest.Row(y)[x], kSentinel) << frame << ": " << x << "," << y;
        else if (dest.Row(y)[x] != kSentinel)
          ++drawnInside;
      }
  }
  EXPECT_GT(drawnInside, 0);
  // A clip larger than the surface reaches no further than the surface's edges.
  Surface small(6, 5);
  f->StartBoom("AB", 1, -0.2f, 0);
  for (int32_t frame = 0; frame < 200; ++frame)
    f->DrawBoom(small, -2, -3, TRect{-1000, -1000, 1000, 1000});
}

TEST_F(FontTest, BoomShowsTheTextThenBurstsWhereTheLetterStood) {
  auto f = MakeFont();
  f->StartBoom("AB", 10, 0.5f, 2);
  const TRect clip{0, 0, 100, 50};
  for (int32_t frame = 0; frame < 2; ++frame) {
    Surface dest(100, 50);
    f->DrawBoom(dest, 10, 10, clip);
    EXPECT_EQ(Ink(dest), (TRect{10, 10, 19, 18})) << frame;
  }
  // First burst frame: A's particles where A stood (x 10 ... 14), B at 10 + 4.
  ASSERT_GT(f->ParticleCount, 0);
  Surface dest(100, 50);
  f->DrawBoom(dest, 10, 10, clip);
  EXPECT_EQ(Ink(dest), (TRect{10, 10, 19, 18}));
  int32_t column10 = 0;
  for (int32_t y = 10; y < 17; ++y) column10 += dest.Row(y)[10] != 0;
  EXPECT_GT(column10, 0);
  // The letters burst one after another and the cycle begins again.
  int32_t frames = 0;
  while (f->Boom.Position == 1 && frames < 1000) f->DrawBoom(dest, 10, 10, clip), ++frames;
  EXPECT_EQ(f->Boom.Position, 2);
  while (f->Boom.Position == 2 && frames < 2000) f->DrawBoom(dest, 10, 10, clip), ++frames;
  EXPECT_EQ(f->Boom.Position, 1);
  EXPECT_EQ(f->Boom.Countdown, 2);
}

TEST_F(FontTest, GoLineRestartsOnceItReachesTheEnd) {
  auto f = MakeFont();
  f->SetGoLine("A", 1600, -4000, 4);
  Surface dest(10, 10);
  for (int32_t i = 0; i < 1399; ++i) f->DrawGoLine(dest, 0, 0);
  EXPECT_FLOAT_EQ(f->GoLine.Offset, -3996);
  f->DrawGoLine(dest, 0, 0);  // reaches -4000: back to the start
  EXPECT_FLOAT_EQ(f->GoLine.Offset, 1600);

  f->SetGoLine("A", 20, -4, 4);
  Surface line(40, 10);
  f->DrawGoLine(line, 5, 2);
  EXPECT_EQ(Ink(line), (TRect{25, 2, 29, 8}));
  Surface next(40, 10);
  f->DrawGoLine(next, 5, 2);
  EXPECT_EQ(Ink(next).Left, 21);
}

TEST_F(FontTest, JumpBobsBetweenItsBounds) {
  auto f = MakeFont();
  f->StartJump("A B", -15, 15, true);
  // Record i = 1 ... n: advance + glyph width + 2 after a glyph, + space width after a space.
  EXPECT_FLOAT_EQ(f->Particles[1].X, 0);
  EXPECT_FLOAT_EQ(f->Particles[2].X, 6);
  EXPECT_FLOAT_EQ(f->Particles[3].X, 6 + kDefaultSpaceWidth);
  EXPECT_NEAR(f->Particles[1].Y, 30 * std::sin(M_PI / 8) + 15, 1e-4);
  EXPECT_FLOAT_EQ(f->Particles[1].DY, 1.5f);
  Surface dest(60, 60);
  f->DrawJump(dest, 10, 20);
  // A at (10, 20 + trunc(26.48)); the space draws nothing.
  EXPECT_EQ(dest.Row(46)[10], 0xFFFFFFu);
  EXPECT_EQ(dest.Row(45)[10], 0u);
  // 26.48 + 1.5 passed 15: reflected to 2.02 and turned upwards.
  EXPECT_NEAR(f->Particles[1].Y, 30 - (30 * std::sin(M_PI / 8) + 15 + 1.5), 1e-4);
  EXPECT_FLOAT_EQ(f->Particles[1].DY, -1.5f);
}

}  // namespace
