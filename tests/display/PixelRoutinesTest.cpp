// Brightness, dissolve and rotation copies, their rectangle limits, and the colour fill.
#include "display/PixelRoutines.h"

#include "DisplayFixture.h"
#include "base/Random.h"

namespace {

using PixelRoutinesTest = DisplayTest;

TEST_F(PixelRoutinesTest, ScaleBrightnessTruncatesEachByteAndClampsTheFactor) {
  struct Case {
    float factor;
    uint32_t in, out;
  } cases[] = {
      {1.0f, 0xFF8001, 0xFF8001}, {0.5f, 0xFF8001, 0x7F4000},  {2.0f, 0xFF8001, 0xFF8001},
      {0.0f, 0xFF8001, 0x000000}, {-1.0f, 0x123456, 0x000000}, {0.5f, 0xAB000000, 0x000000},
  };
  for (const Case& c : cases) {
    Surface src(2, 1);
    src.Row(0)[0] = c.in;
    src.Row(0)[1] = c.in;
    SurfacePtr out;
    ASSERT_TRUE(ScaleBrightness(display_, src, {0, 0, 2, 1}, false, 0, c.factor, out));
    EXPECT_EQ(At(*out, 1, 0), c.out) << "factor " << c.factor;
  }
}

TEST_F(PixelRoutinesTest, ScaleBrightnessKeepsKeyPixelsEvenAtFactorZero) {
  Surface src(3, 1);
  src.Row(0)[0] = 0x00FF00;
  src.Row(0)[1] = 0x808080;
  src.Row(0)[2] = 0x00FF00;
  SurfacePtr out;
  ASSERT_TRUE(ScaleBrightness(display_, src, {0, 0, 3, 1}, true, 0x00FF00, 0.0f, out));
  EXPECT_EQ(At(*out, 0, 0), 0x00FF00u);
  EXPECT_EQ(At(*out, 1, 0), 0u);
  EXPECT_EQ(At(*out, 2, 0), 0x00FF00u);
  // Without the flag the key colour is darkened as any other.
  ASSERT_TRUE(ScaleBrightness(display_, src, {0, 0, 3, 1}, false, 0x00FF00, 0.0f, out));
  EXPECT_EQ(At(*out, 0, 0), 0u);
}

TEST_F(PixelRoutinesTest, DissolveAtZeroAndOne) {
  auto src = Patterned(16, 8);
  src->Row(0)[0] = 0x0000FF;  // a key pixel
  SurfacePtr all, none;
  ASSERT_TRUE(DissolveSurface(display_, *src, {0, 0, 16, 8}, true, 0x0000FF, 1.0f, all));
  ASSERT_TRUE(DissolveSurface(display_, *src, {0, 0, 16, 8}, false, 0x0000FF, 0.0f, none));
  for (int32_t y = 0; y < 8; ++y)
    for (int32_t x = 0; x < 16; ++x) {
      EXPECT_EQ(At(*all, x, y), At(*src, x, y));
      EXPECT_EQ(At(*none, x, y), 0x0000FFu);
    }
}

TEST_F(PixelRoutinesTest, DissolveDrawsOneNumberPerPixelThatIsNotAKeptKey) {
  auto src = Patterned(10, 10);
  for (int32_t x = 0; x < 10; ++x) src->Row(3)[x] = 0;  // ten key pixels
  GameRandom().Seed(42);
  SurfacePtr out;
  ASSERT_TRUE(DissolveSurface(display_, *src, {0, 0, 10, 10}, true, 0, 0.5f, out));
  Random expected(42);
  for (int i = 0; i < 90; ++i) expected.Next();
  EXPECT_EQ(GameRandom().Next(), expected.Next());
}

TEST_F(PixelRoutinesTest, RotationSizes) {
  struct Case {
    int32_t angle, width, height;
  } cases[] = {
      {0, 100, 50},    {3600, 100, 50}, {-3600, 100, 50}, {900, 50, 100}, {1800, 100, 50},
      {2700, 50, 100}, {-900, 50, 100}, {4500, 50, 100},  {100, 108, 67}, {-3500, 108, 67},
  };
  auto src = Patterned(100, 50);
  for (const Case& c : cases) {
    SurfacePtr out;
    int32_t h = 0, w = 0;
    ASSERT_TRUE(RotateSurface(display_, *src, {0, 0, 100, 50}, 0, c.angle, h, w, out));
    EXPECT_EQ(w, c.width) << c.angle;
    EXPECT_EQ(h, c.height) << c.angle;
    EXPECT_EQ(out->Width(), c.width);
    EXPECT_EQ(out->Height(), c.height);
  }
}

TEST_F(PixelRoutinesTest, WholeTurnsCopyExactly) {
  auto src = Patterned(9, 7);
  for (int32_t angle : {0, 3600, 7200, -3600}) {
    SurfacePtr out;
    int32_t h = 0, w = 0;
    ASSERT_TRUE(RotateSurface(display_, *src, {0, 0, 9, 7}, 0xABCDEF, angle, h, w, out));
    for (int32_t y = 0; y < 7; ++y)
      for (int32_t x = 0; x < 9; ++x) ASSERT_EQ(At(*out, x, y), At(*src, x, y)) << angle;
  }
}

TEST_F(PixelRoutinesTest, QuarterTurnSamplesFromTheOriginRule) {
  // At 900 tenths the origin is (left + W, top): new (j, i) shows source (left + W - i, top + j),
  // and the first row, whose source column is the rectangle's right edge, keeps the fill colour.
  auto src = Patterned(12, 12);
  const TRect rect{2, 3, 8, 7};  // W 6, H 4
  SurfacePtr out;
  int32_t h = 0, w = 0;
  ASSERT_TRUE(RotateSurface(display_, *src, rect, 0x123456, 900, h, w, out));
  ASSERT_EQ(w, 4);
  ASSERT_EQ(h, 6);
  for (int32_t i = 0; i < h; ++i)
    for (int32_t j = 0; j < w; ++j) {
      const int32_t sx = rect.Left + 6 - i, sy = rect.Top + j;
      const uint32_t want = sx < rect.Right ? At(*src, sx, sy) : 0x123456u;
      EXPECT_EQ(At(*out, j, i), want) << j << "," << i;
    }
}

TEST_F(PixelRoutinesTest, RotationKeepsInsideTheRectangleAndFillsTheCorners) {
  auto src = Patterned(40, 30);
  const TRect rect{5, 5, 25, 20};
  SurfacePtr out;
  int32_t h = 0, w = 0;
  ASSERT_TRUE(RotateSurface(display_, *src, rect, 0xFEDCBA, 450, h, w, out));
  EXPECT_EQ(At(*out, 0, 0), 0xFEDCBAu);
  EXPECT_EQ(At(*out, w - 1, h - 1), 0xFEDCBAu);
  int taken = 0;
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      const uint32_t p = At(*out, x, y);
      if (p == 0xFEDCBAu) continue;
      const int32_t sx = int32_t((p >> 16) & 0xFF) - 1, sy = int32_t((p >> 8) & 0xFF) - 1;
      ASSERT_TRUE(sx >= rect.Left && sx < rect.Right && sy >= rect.Top && sy < rect.Bottom);
      ++taken;
    }
  // A 45 degree turn keeps the area roughly.
  EXPECT_NEAR(taken, 20 * 15, 30);
}

TEST_F(PixelRoutinesTest, RectanglesAreLimitedToTheSource) {
  auto src = Patterned(20, 20);
  struct Case {
    TRect rect;
    int32_t width, height, firstX, firstY, lastX, lastY;
  } cases[] = {
      {{-5, -5, 10, 10}, 10, 10, 0, 0, 9, 9},  // moved to start at 0, far edges unchanged
      {{-50, -50, 100, 100}, 20, 20, 0, 0, 19, 19},
      {{5, 6, 100, 100}, 15, 14, 5, 6, 19, 19},  // far edges cut to the surface
  };
  for (const Case& c : cases) {
    SurfacePtr out;
    ASSERT_TRUE(ScaleBrightness(display_, *src, c.rect, false, 0, 1.0f, out));
    EXPECT_EQ(out->Width(), c.width);
    EXPECT_EQ(out->Height(), c.height);
    EXPECT_EQ(At(*out, 0, 0), At(*src, c.firstX, c.firstY));
    EXPECT_EQ(At(*out, c.width - 1, c.height - 1), At(*src, c.lastX, c.lastY));
  }
  SurfacePtr out;
  int32_t h = 0, w = 0;
  EXPECT_FALSE(ScaleBrightness(display_, *src, {30, 30, 40, 40}, false, 0, 1.0f, out));
  EXPECT_FALSE(DissolveSurface(display_, *src, {5, 5, 5, 9}, false, 0, 1.0f, out));
  EXPECT_FALSE(RotateSurface(display_, *src, {25, 0, 30, 10}, 0, 100, h, w, out));
}

TEST_F(PixelRoutinesTest, DarkenAndRotateFillsWithTheKey) {
  Surface src(4, 2);
  for (int32_t y = 0; y < 2; ++y)
    for (int32_t x = 0; x < 4; ++x) src.Row(y)[x] = 0x808080;
  SurfacePtr out;
  int32_t h = 0, w = 0;
  ASSERT_TRUE(DarkenAndRotate(display_, src, {0, 0, 4, 2}, false, 0x0000FF, 0.5f, 900, h, w, out));
  EXPECT_EQ(w, 2);
  EXPECT_EQ(h, 4);
  EXPECT_EQ(At(*out, 0, 0), 0x0000FFu);  // uncovered by the quarter turn
  EXPECT_EQ(At(*out, 1, 1), 0x404040u);
}

TEST_F(PixelRoutinesTest, LostSourceFails) {
  SurfacePtr src;
  ASSERT_EQ(display_.CreateSurface(8, 8, false, src), DD_OK);
  src->Lose();
  SurfacePtr out;
  int32_t h = 0, w = 0;
  EXPECT_FALSE(ScaleBrightness(display_, *src, {0, 0, 8, 8}, false, 0, 1.0f, out));
  EXPECT_FALSE(RotateSurface(display_, *src, {0, 0, 8, 8}, 0, 450, h, w, out));
}

TEST_F(PixelRoutinesTest, FillRectFillsOnlyTheRectangle) {
  Surface s(10, 10);
  FillRect(s, {2, 3, 5, 7}, 0xFF0000);
  int filled = 0;
  for (int32_t y = 0; y < 10; ++y)
    for (int32_t x = 0; x < 10; ++x) filled += At(s, x, y) == 0xFF0000u;
  EXPECT_EQ(filled, 12);
  EXPECT_EQ(At(s, 2, 3), 0xFF0000u);
  EXPECT_EQ(At(s, 4, 6), 0xFF0000u);
  FillRect(s, {-5, 0, 20, 20}, 0x00FF00);  // does not fit: nothing happens
  EXPECT_EQ(At(s, 0, 0), 0u);
}

}  // namespace
