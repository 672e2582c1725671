// Device-independent images: raw pixel values of every bit count, taking pictures, copy on write,
// the bitmap format both ways and its refusals.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "assets/MemoryStream.h"
#include "display/DIB.h"
#include "image/Bmp.h"
#include "image/Picture.h"

namespace {

TBmpImage Image(int32_t w, int32_t h, uint16_t bits) {
  TBmpImage img;
  std::string error;
  EXPECT_TRUE(img.Create(w, h, bits, error)) << error;
  return img;
}

TEST(DIBTest, TwentyFourBitPixelReadsRedLowest) {
  TBmpImage img = Image(2, 1, 24);
  img.Row(0)[3] = 16, img.Row(0)[4] = 32, img.Row(0)[5] = 48;  // blue, green, red of pixel 1
  TDIB dib;
  ASSERT_TRUE(dib.LoadFromBytes(EncodeBmp(img)));
  EXPECT_EQ(dib.BitCount(), 24);
  EXPECT_EQ(dib.Pixels(1, 0), 48u + 32u * 256 + 16u * 65536);
  EXPECT_EQ(dib.Colors(1, 0), 0x302010u);
  for (const auto& [x, y] : {std::pair{-1, 0}, {2, 0}, {0, -1}, {0, 1}})
    EXPECT_EQ(dib.Pixels(x, y), 0u) << x << "," << y;
}

TEST(DIBTest, RawValuesOfEveryBitCount) {
  struct Case {
    int32_t bits;
    uint32_t value;
    std::vector<uint8_t> row;  // the first bytes of the top row after writing pixel 1
  } cases[] = {
      {1, 1, {0x40}},
      {4, 0xA, {0x0A}},
      {8, 0xC3, {0x00, 0xC3}},
      {16, 0xBEEF, {0, 0, 0xEF, 0xBE}},
      {32, 0x11223344, {0, 0, 0, 0, 0x44, 0x33, 0x22, 0x11}},
  };
  for (const Case& c : cases) {
    TDIB dib;
    ASSERT_TRUE(dib.Create(3, 2, c.bits)) << dib.LastError();
    dib.SetPixels(1, 0, c.value);
    dib.SetPixels(3, 0, 0xFFFFFFFF);  // outside: nothing
    EXPECT_EQ(dib.Pixels(1, 0), c.value) << c.bits;
    EXPECT_EQ(dib.Pixels(0, 0), 0u) << c.bits;
    EXPECT_EQ(dib.Pixels(1, 1), 0u) << c.bits;
    const uint8_t* row = dib.Image().Row(0);
    EXPECT_EQ(std::vector<uint8_t>(row, row + c.row.size()), c.row) << c.bits;
  }
}

TEST(DIBTest, CreateRefusesWhatCannotBeMade) {
  TDIB dib;
  ASSERT_TRUE(dib.Create(4, 4, 8));
  EXPECT_FALSE(dib.Create(4, 4, 5));
  EXPECT_EQ(dib.LastError(), "Bitcount in invalid (5)");
  EXPECT_FALSE(dib.Create(4, 4, 16, 0xF00, 0xF0, 0xF));
  EXPECT_EQ(dib.LastError(), "PixelFormat in invalid");
  EXPECT_FALSE(dib.Create(100000, 4, 24));
  EXPECT_EQ(dib.LastError(), "DIB cannot be made");
  EXPECT_EQ(dib.Width(), 4);  // the old image stays
  EXPECT_TRUE(dib.Create(4, 4, 16, 0xF800, 0x07E0, 0x001F));
  EXPECT_EQ(dib.PixelFormat().GBitCount, 6);
}

TEST(DIBTest, AssignKeepsABitmapsFormatAndPalette) {
  TBmpImage img = Image(3, 2, 8);
  img.Palette[0] = 0x000000, img.Palette[5] = 0x00FF00;
  img.Row(1)[2] = 5;
  TBitmapGraphic bitmap(img);
  TDIB dib;
  dib.Assign(bitmap);
  EXPECT_EQ(dib.BitCount(), 8);
  EXPECT_EQ(dib.PaletteEntry(5), 0x00FF00u);
  EXPECT_EQ(dib.Pixels(2, 1), 5u);  // the index, not a colour
  EXPECT_EQ(dib.Pixels(1, 1), 0u);

  // 16 bits with masks of neither 5-5-5 nor 5-6-5 become 5-5-5 with the same colours.
  TBmpImage odd = Image(1, 1, 16);
  odd.RedMask = 0xF00, odd.GreenMask = 0xF0, odd.BlueMask = 0xF, odd.BitFields = true;
  odd.Row(0)[0] = 0x00, odd.Row(0)[1] = 0x0F;  // red only
  TBitmapGraphic oddBitmap(odd);
  dib.Assign(oddBitmap);
  EXPECT_EQ(dib.PixelFormat().RBitMask, 0x7C00u);
  EXPECT_EQ(dib.Pixels(0, 0), 0x7C00u);
}

TEST(DIBTest, AssignOtherPicturesAsTwentyFourBits) {
  TRasterGraphic raster(3, 2, {0xFF0000, 0, 0, 0, 0, 0x0000FF});
  TDIB dib;
  dib.Assign(raster);
  EXPECT_EQ(dib.BitCount(), 24);
  EXPECT_EQ(dib.Width(), 3);
  EXPECT_EQ(dib.Height(), 2);
  EXPECT_EQ(dib.Pixels(0, 0), 0x0000FFu);  // red is the low byte of a 24-bit raw value
  EXPECT_EQ(dib.Pixels(2, 1), 0xFF0000u);
  EXPECT_EQ(dib.Pixels(1, 0), 0u);
  dib.Assign(nullptr);
  EXPECT_TRUE(dib.Empty());
  EXPECT_EQ(dib.Pixels(0, 0), 0u);
}

TEST(DIBTest, CopiesShareUntilChanged) {
  TDIB a;
  ASSERT_TRUE(a.Create(2, 2, 8));
  TDIB b;
  b.Assign(a);
  EXPECT_EQ(&a.Image(), &b.Image());
  b.SetPixels(0, 0, 9);
  EXPECT_EQ(a.Pixels(0, 0), 0u);
  EXPECT_EQ(b.Pixels(0, 0), 9u);
}

TEST(DIBTest, DrawingOnAPaletteImageKeepsUntouchedIndices) {
  TDIB dib;
  ASSERT_TRUE(dib.Create(4, 1, 4));
  dib.SetPaletteEntry(1, 0xFF0000);
  dib.SetPaletteEntry(2, 0xFF0000);  // the same colour under two indices
  dib.SetPixels(0, 0, 2);
  dib.FillRect(TRect{2, 0, 10, 1}, 0xFE0101);  // nearest entry: 1
  EXPECT_EQ(dib.Pixels(0, 0), 2u);
  EXPECT_EQ(dib.Pixels(2, 0), 1u);
  EXPECT_EQ(dib.Pixels(3, 0), 1u);
  TRasterGraphic dot(1, 1, {0xFF0000});
  dib.DrawGraphic(dot, 1, 0);
  EXPECT_EQ(dib.Pixels(0, 0), 2u);
  EXPECT_EQ(dib.Pixels(1, 0), 1u);
}

TEST(DIBTest, BitmapRoundTrip) {
  for (int32_t bits : {1, 4, 8, 16, 24, 32}) {
    TDIB dib;
    ASSERT_TRUE(bits == 16 ? dib.Create(5, 3, 16, 0xF800, 0x07E0, 0x001F) : dib.Create(5, 3, bits));
    for (int32_t y = 0; y < 3; ++y)
      for (int32_t x = 0; x < 5; ++x) dib.SetPixels(x, y, uint32_t(x * 7 + y * 13 + 1));
    if (bits <= 8) dib.SetPaletteEntry(1, 0x123456);
    TMemoryStream s;
    dib.SaveToStream(s);
    s.Seek(0);
    TDIB back;
    ASSERT_TRUE(back.LoadFromStream(s)) << bits;
    EXPECT_EQ(back.BitCount(), bits);
    EXPECT_EQ(back.Image().Bits, dib.Image().Bits) << bits;
    EXPECT_EQ(back.Image().Palette, dib.Image().Palette) << bits;
    EXPECT_EQ(back.PixelFormat(), dib.PixelFormat()) << bits;
  }
}

TEST(DIBTest, MalformedDataIsInvalid) {
  TDIB dib;
  ASSERT_TRUE(dib.Create(2, 2, 24));
  const std::string good = dib.SaveToBytes();
  for (const std::string& bad :
       {std::string(), std::string("BM"), good.substr(0, good.size() - 1), "XX" + good.substr(2)}) {
    TDIB other;
    ASSERT_TRUE(other.Create(1, 1, 8));
    EXPECT_FALSE(other.LoadFromBytes(bad));
    EXPECT_EQ(other.LastError(), "DIB is invalid");
    EXPECT_EQ(other.BitCount(), 8);
  }
}

}  // namespace
