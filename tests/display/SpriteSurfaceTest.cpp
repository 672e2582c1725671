// Sprite sheets: grid, slots, aligned and clipped drawing, stored form, loss and restore.
#include "display/SpriteSurface.h"

#include <algorithm>
#include <cstring>

#include "DisplayFixture.h"
#include "assets/MemoryStream.h"
#include "image/Picture.h"

namespace {

class SpriteSurfaceTest : public DisplayTest {
 protected:
  // A sheet of cells of w x h whose slots hold solid pictures of the given sizes and colours.
  std::unique_ptr<TDXBaseSurface> Sheet(int32_t w, int32_t h, int32_t count) {
    auto sheet = std::make_unique<TDXBaseSurface>();
    sheet->Allocate(display_, w, h, count);
    EXPECT_EQ(sheet->LastResult, DD_OK);
    return sheet;
  }
  static SurfacePtr Solid(int32_t w, int32_t h, uint32_t color) {
    auto s = std::make_shared<Surface>(w, h);
    s->Fill(nullptr, color);
    return s;
  }
  // The bounding box of the pixels of dest that are not 0; empty when there are none.
  static TRect Painted(const Surface& dest) {
    TRect box{dest.Width(), dest.Height(), 0, 0};
    for (int32_t y = 0; y < dest.Height(); ++y)
      for (int32_t x = 0; x < dest.Width(); ++x)
        if (At(dest, x, y) != 0) {
          box.Left = std::min(box.Left, x);
          box.Top = std::min(box.Top, y);
          box.Right = std::max(box.Right, x + 1);
          box.Bottom = std::max(box.Bottom, y + 1);
        }
    return box.Left >= box.Right ? TRect{} : box;
  }
};

TEST_F(SpriteSurfaceTest, AllocateBuildsTheGrid) {
  struct Case {
    int32_t w, h, n, rows, columns;
  } cases[] = {
      {50, 50, 30, 5, 6}, {39, 39, 190, 13, 15}, {240, 240, 1, 1, 1},
      {100, 10, 3, 1, 3}, {10, 100, 3, 5, 1},
  };
  for (const Case& c : cases) {
    auto sheet = Sheet(c.w, c.h, c.n);
    EXPECT_EQ(sheet->Rows, c.rows) << c.n;
    EXPECT_EQ(sheet->Columns, c.columns) << c.n;
    EXPECT_EQ(sheet->Capacity, c.rows * c.columns);
    EXPECT_EQ(sheet->FrameCount, c.n);
    ASSERT_TRUE(sheet->Surface);
    EXPECT_EQ(sheet->Surface->Width(), c.w * c.columns);
    EXPECT_EQ(sheet->Surface->Height(), c.h * c.rows);
    ASSERT_EQ(sheet->Frames.size(), size_t(sheet->Capacity));
    EXPECT_TRUE(sheet->Frames.back().Free);
    EXPECT_EQ(sheet->Frames.back().Width, c.w);
    EXPECT_EQ(sheet->FirstFreeFrame(), 0);
  }
}

TEST_F(SpriteSurfaceTest, AllocateWithoutSizeOrFramesFails) {
  for (auto [w, h, n] : {std::tuple{0, 10, 5}, {10, -1, 5}, {10, 10, 0}}) {
    TDXBaseSurface sheet;
    sheet.Allocate(display_, w, h, n);
    EXPECT_TRUE(Failed(sheet.LastResult));
    EXPECT_EQ(sheet.Capacity, 0);
    EXPECT_FALSE(sheet.Surface);
    int32_t slot = -1;
    Surface src(4, 4);
    EXPECT_FALSE(sheet.PutSurface(slot, "x", src, false));
    EXPECT_EQ(sheet.LastResult, kNoFreeFrame);
  }
}

TEST_F(SpriteSurfaceTest, AllocateSetsUpSlotsEvenWithoutASurface) {
  TDXBaseSurface sheet;
  sheet.Allocate(display_, 1000, 1000, 300);  // 17 rows of 1000: taller than any surface
  EXPECT_TRUE(Failed(sheet.LastResult));
  EXPECT_FALSE(sheet.Surface);
  EXPECT_EQ(sheet.Capacity, 17 * 18);
  EXPECT_EQ(sheet.Frames.size(), size_t(17 * 18));
}

// A sheet without the system-memory flag goes to video memory when it fits there and to system
// memory when it does not; with the flag it never takes video memory.
TEST_F(SpriteSurfaceTest, AllocatePlacesTheSheetWhereItFits) {
  Display tiny(*system_, 8);  // 8 KB of video memory
  for (bool systemMemory : {false, true}) {
    TDXBaseSurface small, large;
    small.SystemMemory = large.SystemMemory = systemMemory;
    small.Allocate(tiny, 10, 10, 4);   // 1.6 KB
    large.Allocate(tiny, 50, 50, 30);  // 293 KB
    for (TDXBaseSurface* sheet : {&small, &large}) {
      EXPECT_EQ(sheet->LastResult, DD_OK);
      ASSERT_TRUE(sheet->Surface);
    }
    EXPECT_EQ(small.Surface->InVideoMemory(), !systemMemory);
    EXPECT_FALSE(large.Surface->InVideoMemory());
  }
}

TEST_F(SpriteSurfaceTest, PutFrameFillsSlotsInOrderAndCutsToTheCell) {
  auto sheet = Sheet(10, 8, 4);  // one row of 4
  auto big = Patterned(30, 30);
  int32_t slot = -1;
  ASSERT_TRUE(sheet->PutSurface(slot, "big", *big, false));
  EXPECT_EQ(slot, 0);
  EXPECT_EQ(sheet->GetFrameRect(0), (TRect{0, 0, 10, 8}));
  EXPECT_EQ(At(*sheet->Surface, 9, 7), At(*big, 9, 7));
  EXPECT_EQ(At(*sheet->Surface, 10, 0), 0u);  // the next cell untouched

  auto small = Solid(3, 2, 0x112233);
  slot = 3;
  ASSERT_TRUE(sheet->PutSurface(slot, std::string(40, 'n'), *small, false));
  EXPECT_EQ(sheet->GetFrameRect(3), (TRect{30, 0, 33, 2}));
  EXPECT_EQ(sheet->GetFrameName(3), std::string(32, 'n'));
  EXPECT_EQ(At(*sheet->Surface, 32, 1), 0x112233u);

  slot = -1;
  ASSERT_TRUE(sheet->PutSurface(slot, "next", *small, false));
  EXPECT_EQ(slot, 1);
}

TEST_F(SpriteSurfaceTest, NoSlotMeansLastResult3000AndNoWrite) {
  auto sheet = Sheet(4, 4, 2);  // 1 x 2
  auto pic = Solid(4, 4, 0xFFFFFF);
  for (int32_t bad : {2, 3, 1000}) {
    int32_t slot = bad;
    EXPECT_FALSE(sheet->PutSurface(slot, "x", *pic, false));
    EXPECT_EQ(sheet->LastResult, kNoFreeFrame);
    EXPECT_EQ(slot, bad);
  }
  for (int i = 0; i < 2; ++i) {
    int32_t slot = -1;
    ASSERT_TRUE(sheet->PutSurface(slot, "x", *pic, false));
  }
  int32_t slot = -1;
  EXPECT_FALSE(sheet->PutSurface(slot, "x", *pic, false));
  EXPECT_EQ(sheet->LastResult, kNoFreeFrame);
  EXPECT_EQ(slot, -1);
}

TEST_F(SpriteSurfaceTest, PutFrameWithSourceKeyKeepsTheCell) {
  auto sheet = Sheet(4, 1, 1);
  int32_t slot = 0;
  ASSERT_TRUE(sheet->PutSurface(slot, "under", *Solid(4, 1, 0x0000FF), false));
  Surface top(4, 1);
  top.Row(0)[1] = 0xFF0000;
  ASSERT_EQ(SetSourceColorKey(top, 0), DD_OK);
  ASSERT_TRUE(sheet->PutSurface(slot, "over", top, true));
  EXPECT_EQ(At(*sheet->Surface, 0, 0), 0x0000FFu);
  EXPECT_EQ(At(*sheet->Surface, 1, 0), 0xFF0000u);
}

TEST_F(SpriteSurfaceTest, FindFrameIgnoresFreeSlots) {
  auto sheet = Sheet(8, 8, 4);
  auto pic = Solid(2, 2, 0x10);
  // A copy that fails (the source is smaller than asked) names the slot but leaves it free.
  int32_t slot = 0;
  EXPECT_FALSE(sheet->PutFrame(slot, 6, 6, "hero", *pic, false));
  EXPECT_TRUE(sheet->Frames[0].Free);
  EXPECT_EQ(sheet->Frames[0].Name, "hero");
  EXPECT_EQ(sheet->FindFrame("hero"), -1);
  slot = 2;
  ASSERT_TRUE(sheet->PutSurface(slot, "hero", *pic, false));
  EXPECT_EQ(sheet->FindFrame("hero"), 2);
  EXPECT_EQ(sheet->FindFrame("Hero"), -1);
  EXPECT_EQ(sheet->FirstFreeFrame(), 0);
  EXPECT_EQ(sheet->GetFrameRect(-1), (TRect{0, 0, 1, 1}));
  EXPECT_EQ(sheet->GetFrameRect(4), (TRect{0, 0, 1, 1}));
}

TEST_F(SpriteSurfaceTest, DrawAlignsThePicture) {
  auto sheet = Sheet(20, 11, 1);
  int32_t slot = 0;
  ASSERT_TRUE(sheet->PutSurface(slot, "p", *Solid(20, 11, 0xFFFFFF), false));
  struct Case {
    uint8_t h, v;
    TRect where;
  } cases[] = {
      {daLeft, daTop, {100, 100, 120, 111}},    {daRight, daBottom, {80, 89, 100, 100}},
      {daCenter, daCenter, {90, 95, 110, 106}}, {daRight, daTop, {80, 100, 100, 111}},
      {daLeft, daBottom, {100, 89, 120, 100}},
  };
  for (const Case& c : cases) {
    Surface dest(800, 600);
    sheet->Draw(dest, 100, 100, 0, c.h, c.v);
    EXPECT_EQ(Painted(dest), c.where) << int(c.h) << " " << int(c.v);
  }
}

TEST_F(SpriteSurfaceTest, DrawClipsToTheClipRectangle) {
  auto sheet = Sheet(50, 40, 1);
  auto pic = Patterned(50, 40);
  int32_t slot = 0;
  ASSERT_TRUE(sheet->PutSurface(slot, "p", *pic, false));
  sheet->ClipEnabled = true;
  sheet->ClipRect = {0, 0, 800, 600};
  Surface dest(800, 600);

  sheet->Draw(dest, -20, 10, 0, daLeft, daTop);
  EXPECT_EQ(Painted(dest), (TRect{0, 10, 30, 50}));
  EXPECT_EQ(At(dest, 0, 10), At(*pic, 20, 0));  // the right 30 columns

  Surface dest2(800, 600);
  sheet->Draw(dest2, -60, 10, 0, daLeft, daTop);
  EXPECT_EQ(Painted(dest2), TRect{});

  Surface dest3(800, 600);
  sheet->Draw(dest3, 800, 600, 0, daCenter, daCenter);
  EXPECT_EQ(Painted(dest3), (TRect{775, 580, 800, 600}));
  EXPECT_EQ(At(dest3, 775, 580), At(*pic, 0, 0));

  Surface dest4(800, 600);
  sheet->ClipRect = {100, 100, 130, 120};
  sheet->Draw(dest4, 90, 95, 0, daLeft, daTop);
  EXPECT_EQ(Painted(dest4), (TRect{100, 100, 130, 120}));
  EXPECT_EQ(At(dest4, 100, 100), At(*pic, 10, 5));

  // Extreme positions never overflow or write anywhere.
  Surface dest5(800, 600);
  sheet->Draw(dest5, INT32_MIN, INT32_MAX, 0, daRight, daBottom);
  sheet->ClipEnabled = false;
  sheet->Draw(dest5, INT32_MIN, INT32_MAX, 0, daRight, daBottom);
  EXPECT_EQ(Painted(dest5), TRect{});
}

TEST_F(SpriteSurfaceTest, WithoutClippingAPartlyOutsideDrawFailsWholly) {
  auto sheet = Sheet(50, 40, 1);
  int32_t slot = 0;
  ASSERT_TRUE(sheet->PutSurface(slot, "p", *Solid(50, 40, 0xFF), false));
  Surface dest(800, 600);
  sheet->Draw(dest, -20, 10, 0, daLeft, daTop);
  EXPECT_EQ(sheet->LastResult, DDERR_INVALIDRECT);
  EXPECT_EQ(Painted(dest), TRect{});
}

TEST_F(SpriteSurfaceTest, ColorKeyMakesBlackTransparent) {
  auto sheet = Sheet(4, 1, 1);
  Surface pic(4, 1);
  pic.Row(0)[2] = 0x00FF00;
  int32_t slot = 0;
  ASSERT_TRUE(sheet->PutSurface(slot, "p", pic, false));
  sheet->SetUseColorKey(true);
  Surface dest(4, 1);
  dest.Fill(nullptr, 0x0000FF);
  sheet->Draw(dest, 0, 0, 0, daLeft, daTop);
  EXPECT_EQ(At(dest, 0, 0), 0x0000FFu);
  EXPECT_EQ(At(dest, 2, 0), 0x00FF00u);
  sheet->SetUseColorKey(false);
  sheet->Draw(dest, 0, 0, 0, daLeft, daTop);
  EXPECT_EQ(At(dest, 0, 0), 0u);
}

TEST_F(SpriteSurfaceTest, DrawFilledIsAFillOfTheFrameThenADraw) {
  // A picture of key pixels (one with a high byte set), pixels at the ends of a key range and
  // others; drawn at several places, some clipped, over a screen that is not black.
  auto sheet = Sheet(8, 6, 2);
  Surface pic(7, 5);
  for (int32_t y = 0; y < 5; ++y)
    for (int32_t x = 0; x < 7; ++x) pic.Row(y)[x] = uint32_t(0x101010 * ((x + 2 * y) % 6));
  pic.Row(1)[1] = 0xFF000000;
  int32_t slot = 1;
  ASSERT_TRUE(sheet->PutSurface(slot, "p", pic, false));
  sheet->ClipRect = TRect{0, 0, 30, 20};
  sheet->ClipEnabled = true;
  struct Case {
    bool useKey;
    uint32_t low, high;
    int32_t x, y;
  };
  for (const Case c : {Case{true, 0, 0, 3, 2}, Case{true, 0x101010, 0x303030, 3, 2},
                       Case{false, 0, 0, 3, 2}, Case{true, 0, 0, -3, -2},
                       Case{true, 0x101010, 0x303030, 26, 17}, Case{true, 0, 0, 40, 2}}) {
    sheet->SetUseColorKey(c.useKey);
    sheet->Surface->SetColorKey(c.low, c.high);
    Surface filled(30, 20), expected(30, 20);
    filled.Fill(nullptr, 0x00ABCDEF);
    expected.Fill(nullptr, 0x00ABCDEF);
    EXPECT_TRUE(sheet->DrawFilled(filled, c.x, c.y, 1, 0x00123456));
    const TRect area{std::clamp(c.x, 0, 30), std::clamp(c.y, 0, 20), std::clamp(c.x + 7, 0, 30),
                     std::clamp(c.y + 5, 0, 20)};
    if (area.Left < area.Right && area.Top < area.Bottom) expected.Fill(&area, 0x00123456);
    sheet->Draw(expected, c.x, c.y, 1, daLeft, daTop);
    for (int32_t y = 0; y < 20; ++y)
      for (int32_t x = 0; x < 30; ++x)
        ASSERT_EQ(At(filled, x, y), At(expected, x, y)) << c.x << "," << c.y << " at " << x << ","
                                                        << y;
  }
  // A free slot draws nothing; a refused copy says so.
  Surface dest(30, 20);
  EXPECT_TRUE(sheet->DrawFilled(dest, 0, 0, 0, 1));
  EXPECT_EQ(Painted(dest), TRect{});
  sheet->ClipEnabled = false;
  EXPECT_FALSE(sheet->DrawFilled(dest, -1, 0, 1, 1));
  EXPECT_EQ(Painted(dest), TRect{});
}

TEST_F(SpriteSurfaceTest, FilledCopyWithinOneSurfaceMayOverlap) {
  Surface s(6, 1), expected(6, 1);
  for (Surface* t : {&s, &expected})
    for (int32_t x = 0; x < 6; ++x) t->Row(0)[x] = x % 2 ? 0 : uint32_t(x + 1);
  for (Surface* t : {&s, &expected}) t->SetColorKey(0, 0);
  const TRect from{0, 0, 4, 1}, to{2, 0, 6, 1};
  ASSERT_EQ(s.BltFastFilled(2, 0, s, &from, 9), DD_OK);
  // What a fill of the target and a keyed copy of the source as it was give.
  Surface source(4, 1);
  ASSERT_EQ(source.BltFast(0, 0, expected, &from, false), DD_OK);
  source.SetColorKey(0, 0);
  expected.Fill(&to, 9);
  ASSERT_EQ(expected.BltFast(2, 0, source, nullptr, true), DD_OK);
  for (int32_t x = 0; x < 6; ++x) EXPECT_EQ(At(s, x, 0), At(expected, x, 0)) << x;
}

TEST_F(SpriteSurfaceTest, ColorMatchTurnsGdiValuesIntoPixels) {
  Surface s(2, 2);
  s.Row(0)[0] = 0x123456;
  EXPECT_EQ(ColorMatch(s, 0x0000FF), 0xFF0000);  // GDI red
  EXPECT_EQ(ColorMatch(s, 0x332211), 0x112233);
  EXPECT_EQ(ColorMatch(s, -1), 0x123456);
  EXPECT_EQ(At(s, 0, 0), 0x123456u);
  ASSERT_EQ(SetSourceColorKey(s, 0x0000FF), DD_OK);
  EXPECT_EQ(s.ColorKeyLow(), 0xFF0000u);
  EXPECT_EQ(s.ColorKeyHigh(), 0xFF0000u);
  s.Lose();
  EXPECT_EQ(ColorMatch(s, 0), -1);
  EXPECT_EQ(SetSourceColorKey(s, 0), DDERR_SURFACELOST);
}

TEST_F(SpriteSurfaceTest, ShadedAndRotatedDrawing) {
  auto sheet = Sheet(6, 4, 1);
  int32_t slot = 0;
  Surface pic(6, 4);
  pic.Fill(nullptr, 0x808080);
  pic.Row(0)[0] = 0;  // transparent corner
  ASSERT_TRUE(sheet->PutSurface(slot, "p", pic, false));
  sheet->SetUseColorKey(true);

  Surface dest(100, 100);
  dest.Fill(nullptr, 0x0000FF);
  sheet->DrawShaded(display_, dest, 10, 10, 0, 0.5f, daLeft, daTop);
  EXPECT_EQ(At(dest, 10, 10), 0x0000FFu);  // key kept, still transparent
  EXPECT_EQ(At(dest, 11, 10), 0x404040u);
  EXPECT_EQ(At(dest, 15, 13), 0x404040u);
  EXPECT_EQ(At(dest, 16, 13), 0x0000FFu);

  Surface dest2(100, 100);
  sheet->DrawRotated(display_, dest2, 0, 50, 50, 900);
  EXPECT_EQ(Painted(dest2), (TRect{48, 48, 52, 53}));  // 4 x 6 centred, first row uncovered

  Surface dest3(100, 100);
  sheet->DrawShadedRotated(display_, dest3, 0, 50, 50, 0, 0.5f);
  EXPECT_EQ(Painted(dest3), (TRect{47, 48, 53, 52}));
  EXPECT_EQ(At(dest3, 47, 48), 0u);  // the corner stayed transparent
  EXPECT_EQ(At(dest3, 48, 48), 0x404040u);

  // A free slot draws nothing.
  Surface dest4(100, 100);
  auto empty = Sheet(6, 4, 2);
  empty->DrawShadedRotated(display_, dest4, 1, 50, 50, 450, 0.5f);
  empty->DrawRotated(display_, dest4, 1, 50, 50, 450);
  empty->DrawShaded(display_, dest4, 50, 50, 1, 0.5f, daLeft, daTop);
  EXPECT_EQ(Painted(dest4), TRect{});
}

class StripeGraphic : public TGraphic {
 public:
  int32_t Width() const override { return 5; }
  int32_t Height() const override { return 3; }
  // Black except its middle column.
  void Draw(Surface& target, int32_t x, int32_t y) const override {
    for (int32_t r = 0; r < 3; ++r)
      for (int32_t c = 0; c < 5; ++c) target.Row(y + r)[x + c] = c == 2 ? 0xFFFF00 : 0;
  }
};

TEST_F(SpriteSurfaceTest, AddBitmapWithTransparentBlackKeepsTheCell) {
  auto sheet = Sheet(5, 3, 2);
  int32_t slot = 0;
  ASSERT_TRUE(sheet->PutSurface(slot, "under", *Solid(5, 3, 0x0000FF), false));
  StripeGraphic stripe;
  ASSERT_TRUE(sheet->AddBitmap(display_, slot, "stripe", stripe, true, 0));
  EXPECT_EQ(At(*sheet->Surface, 0, 0), 0x0000FFu);
  EXPECT_EQ(At(*sheet->Surface, 2, 1), 0xFFFF00u);
  int32_t next = -1;
  ASSERT_TRUE(sheet->AddBitmap(display_, next, "opaque", stripe));
  EXPECT_EQ(next, 1);
  EXPECT_EQ(sheet->FindFrame("opaque"), 1);
  EXPECT_EQ(At(*sheet->Surface, 6, 0), 0u);
  EXPECT_EQ(At(*sheet->Surface, 7, 0), 0xFFFF00u);
}

// A sheet with slots, names, clipping, a colour key and patterned pixels.
std::unique_ptr<TDXBaseSurface> FilledSheet(Display& display, bool systemMemory) {
  auto sheet = std::make_unique<TDXBaseSurface>();
  sheet->SystemMemory = systemMemory;
  sheet->Allocate(display, 7, 5, 5);
  for (int i = 0; i < 3; ++i) {
    Surface pic(7 - i, 5 - i);
    for (int32_t y = 0; y < pic.Height(); ++y)
      for (int32_t x = 0; x < pic.Width(); ++x) pic.Row(y)[x] = uint32_t(i * 1000 + y * 10 + x);
    int32_t slot = i == 2 ? 4 : -1;
    sheet->PutSurface(slot, "frame" + std::to_string(i), pic, false);
  }
  sheet->ClipEnabled = true;
  sheet->ClipRect = {1, 2, 300, 400};
  sheet->ColorKey = 0x00FF00;
  sheet->SetUseColorKey(true);
  return sheet;
}

TEST_F(SpriteSurfaceTest, SaveThenLoadReproducesTheSheet) {
  for (bool systemMemory : {false, true}) {
    auto sheet = FilledSheet(display_, systemMemory);
    TMemoryStream stream;
    sheet->SaveToStream(stream);
    EXPECT_EQ(stream.Size(), size_t(sheet->HeaderSize() + sheet->PixelBytes));
    EXPECT_EQ(sheet->HeaderSize(), 100 + 50 * sheet->Capacity);

    TDXBaseSurface copy;
    copy.SystemMemory = systemMemory;
    ASSERT_TRUE(copy.LoadFromStream(display_, stream));
    EXPECT_EQ(copy.LastResult, DD_OK);
    EXPECT_EQ(copy.Surface->InVideoMemory(), !systemMemory);
    EXPECT_EQ(copy.FrameWidth, 7);
    EXPECT_EQ(copy.FrameHeight, 5);
    EXPECT_EQ(copy.FrameCount, 5);
    EXPECT_EQ(copy.Capacity, sheet->Capacity);
    EXPECT_TRUE(copy.ClipEnabled);
    EXPECT_EQ(copy.ClipRect, (TRect{1, 2, 300, 400}));
    EXPECT_EQ(copy.ColorKey, 0x00FF00);
    EXPECT_TRUE(copy.UseColorKey);
    EXPECT_EQ(copy.Surface->ColorKeyLow(), 0x00FF00u);
    for (int32_t i = 0; i < copy.Capacity; ++i) {
      EXPECT_EQ(copy.Frames[i].Name, sheet->Frames[i].Name);
      EXPECT_EQ(copy.Frames[i].Free, sheet->Frames[i].Free);
      EXPECT_EQ(copy.Frames[i].Width, sheet->Frames[i].Width);
      EXPECT_EQ(copy.Frames[i].Height, sheet->Frames[i].Height);
    }
    EXPECT_EQ(copy.FindFrame("frame2"), 4);
    ASSERT_EQ(copy.PixelBackup, sheet->PixelBackup);
    EXPECT_EQ(0,
              std::memcmp(copy.Surface->Data(), sheet->Surface->Data(), sheet->PixelBackup.size()));
    TMemoryStream again;
    copy.SaveToStream(again);
    EXPECT_EQ(again.Bytes(), stream.Bytes());
  }
}

TEST_F(SpriteSurfaceTest, StoredHeaderLayout) {
  auto sheet = FilledSheet(display_, false);
  TMemoryStream stream;
  sheet->SaveToStream(stream);
  const auto* b = reinterpret_cast<const uint8_t*>(stream.Bytes().data());
  auto word = [&](size_t at) {
    return int32_t(b[at] | b[at + 1] << 8 | b[at + 2] << 16 | b[at + 3] << 24);
  };
  EXPECT_EQ(word(0), 7);
  EXPECT_EQ(word(8), 5);
  EXPECT_EQ(word(12), 100 + 50 * sheet->Capacity);
  EXPECT_EQ(word(16), 1);
  EXPECT_EQ(word(24), 2);
  EXPECT_EQ(word(36), 0x00FF00);
  EXPECT_EQ(word(40), 1);
  EXPECT_EQ(word(100 + 50), 0);      // slot 1 taken
  EXPECT_EQ(word(100 + 50 + 4), 6);  // its width
  EXPECT_EQ(b[100 + 50 + 12], 6);    // "frame1"
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(b + 163), 6), "frame1");
  EXPECT_EQ(word(100 + 150), 1);  // slot 3 free
  for (size_t i = 44; i < 100; ++i) ASSERT_EQ(b[i], 0) << i;
}

TEST_F(SpriteSurfaceTest, DamagedBlocksAreRefused) {
  auto sheet = FilledSheet(display_, false);
  TMemoryStream stream;
  sheet->SaveToStream(stream);
  const std::string good = stream.Bytes();
  auto withWord = [&](size_t at, int32_t v) {
    std::string s = good;
    for (int k = 0; k < 4; ++k) s[at + k] = char(uint32_t(v) >> (8 * k));
    return s;
  };
  std::string longName = good;
  longName[100 + 12] = 33;
  const std::string cases[] = {
      std::string(),
      good.substr(0, 11),
      good.substr(0, good.size() - 1),
      good + std::string(1, '\0'),
      withWord(0, 0),         // frame width 0
      withWord(4, -5),        // negative height
      withWord(8, 0),         // no frames
      withWord(8, 1 << 30),   // absurd count
      withWord(0, 100000),    // wider than any surface
      withWord(8, 6),         // count that needs another grid than the block holds
      withWord(12, 12345),    // header size of another writer
      withWord(100 + 4, 8),   // slot wider than its cell
      withWord(100 + 8, -1),  // negative slot height
      longName,
  };
  for (const std::string& bytes : cases) {
    TMemoryStream damaged(bytes);
    TDXBaseSurface copy;
    EXPECT_FALSE(copy.LoadFromStream(display_, damaged)) << bytes.size();
    EXPECT_TRUE(Failed(copy.LastResult));
  }
}

TEST_F(SpriteSurfaceTest, RestoreAfterLoss) {
  auto sheet = FilledSheet(display_, false);
  sheet->Backup();
  const std::vector<uint8_t> before = sheet->PixelBackup.ToVector();
  display_.LoseSurfaces();
  EXPECT_TRUE(sheet->Surface->IsLost());
  Surface dest(50, 50);
  sheet->Draw(dest, 0, 0, 0, daLeft, daTop);
  EXPECT_EQ(sheet->LastResult, DDERR_SURFACELOST);
  sheet->Backup();  // a lost surface does not wipe the copy
  EXPECT_TRUE(Failed(sheet->LastResult));
  EXPECT_EQ(sheet->PixelBackup.ToVector(), before);

  sheet->Restore();
  EXPECT_EQ(sheet->LastResult, DD_OK);
  EXPECT_EQ(0, std::memcmp(sheet->Surface->Data(), before.data(), before.size()));
}

// A sheet loaded with the owner of its bytes keeps them as its backup, restores from them after a
// loss, and a later Backup takes a copy of its own, leaving the owner's bytes as they were.
TEST_F(SpriteSurfaceTest, LoadedSheetSharesItsOwnersBytes) {
  auto sheet = FilledSheet(display_, false);
  TMemoryStream stream;
  sheet->SaveToStream(stream);
  const auto owner = std::make_shared<const std::string>(stream.Bytes());
  TDXBaseSurface copy;
  ASSERT_TRUE(copy.LoadFromBytes(display_, *owner, owner));
  const auto* ownerPixels =
      reinterpret_cast<const uint8_t*>(owner->data()) + copy.HeaderSize();
  EXPECT_EQ(copy.PixelBackup.data(), ownerPixels);
  EXPECT_EQ(copy.PixelBackup, sheet->PixelBackup);

  display_.LoseSurfaces();
  copy.Restore();
  EXPECT_EQ(copy.LastResult, DD_OK);
  EXPECT_EQ(0, std::memcmp(copy.Surface->Data(), ownerPixels, copy.PixelBackup.size()));

  const std::string before = *owner;
  copy.Surface->Fill(nullptr, 0x123456);
  copy.Backup();
  EXPECT_NE(copy.PixelBackup.data(), ownerPixels);
  EXPECT_EQ(copy.Surface->Data()[0], 0x123456u);
  EXPECT_EQ(*owner, before);
}

TEST_F(SpriteSurfaceTest, SurfaceListReplacesByNameAndRestoresAll) {
  TSurfaceList list;
  list.AddSurface("Magnet", FilledSheet(display_, false));
  list.AddSurface("b", FilledSheet(display_, true));
  auto replacement = FilledSheet(display_, false);
  TDXBaseSurface* kept = replacement.get();
  list.AddSurface("MAGNET", std::move(replacement));
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.GetSurface(1), kept);
  EXPECT_EQ(list.Name(1), "MAGNET");
  EXPECT_EQ(list.GetSurface(2), nullptr);
  EXPECT_EQ(list.GetSurface(-1), nullptr);

  for (int i = 0; i < list.Count(); ++i) list.GetSurface(i)->Backup();
  const std::vector<uint8_t> pixels = kept->PixelBackup.ToVector();
  display_.LoseSurfaces();
  list.RestoreAll();
  EXPECT_EQ(list.LastResult, DD_OK);
  EXPECT_EQ(0, std::memcmp(kept->Surface->Data(), pixels.data(), pixels.size()));
  list.Delete(0);
  EXPECT_EQ(list.Count(), 1);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
}

}  // namespace
