// The bitmap reader and writer: every bit count and compression, and hostile files refused.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image/Bmp.h"
#include "image/Picture.h"

namespace {

void Put16(std::string& s, uint32_t v) {
  s.push_back(static_cast<char>(v & 0xFF));
  s.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void Put32(std::string& s, uint32_t v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}

struct BmpSpec {
  int32_t width = 3, height = 2;  // negative height: rows top-down
  uint16_t bits = 24;
  uint32_t compression = 0;
  std::vector<uint32_t> palette;
  std::vector<uint32_t> masks;    // written after the header when present
  std::string rows;               // as stored in the file
  uint32_t clrUsed = 0xFFFFFFFF;  // default: the palette's size
  bool core = false;              // 12-byte header with 3-byte palette entries
};

std::string MakeBmp(const BmpSpec& b) {
  std::string info;
  if (b.core) {
    Put32(info, 12);
    Put16(info, static_cast<uint32_t>(b.width));
    Put16(info, static_cast<uint32_t>(b.height));
    Put16(info, 1);
    Put16(info, b.bits);
  } else {
    Put32(info, 40);
    Put32(info, static_cast<uint32_t>(b.width));
    Put32(info, static_cast<uint32_t>(b.height));
    Put16(info, 1);
    Put16(info, b.bits);
    Put32(info, b.compression);
    Put32(info, static_cast<uint32_t>(b.rows.size()));
    Put32(info, 0);
    Put32(info, 0);
    Put32(info, b.clrUsed == 0xFFFFFFFF ? static_cast<uint32_t>(b.palette.size()) : b.clrUsed);
    Put32(info, 0);
  }
  for (uint32_t m : b.masks) Put32(info, m);
  for (uint32_t e : b.palette) {
    if (b.core) {
      info.push_back(static_cast<char>(e & 0xFF));
      info.push_back(static_cast<char>((e >> 8) & 0xFF));
      info.push_back(static_cast<char>((e >> 16) & 0xFF));
    } else {
      Put32(info, e);
    }
  }
  std::string file = "BM";
  Put32(file, static_cast<uint32_t>(14 + info.size() + b.rows.size()));
  Put32(file, 0);
  Put32(file, static_cast<uint32_t>(14 + info.size()));
  return file + info + b.rows;
}

std::string Bytes(std::initializer_list<int> v) {
  std::string s;
  for (int c : v) s.push_back(static_cast<char>(c));
  return s;
}

// The colours of a 3 x 2 picture, top row first.
const uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF,
               kGrey = 0x808080, kBlack = 0;
const std::vector<uint32_t> kPicture = {kRed, kGreen, kBlue, kWhite, kGrey, kBlack};

std::string Str(const std::vector<uint8_t>& v) {
  return std::string(v.begin(), v.end());
}

std::vector<uint32_t> Colors(const TBmpImage& img) {
  std::vector<uint32_t> out;
  img.ToRgb(out);
  return out;
}

TBmpImage MustDecode(const std::string& file) {
  TBmpImage img;
  std::string error;
  EXPECT_TRUE(DecodeBmp(file, img, error)) << error;
  return img;
}

// Rows of the picture in each bit count, bottom row first.
BmpSpec PictureIn(uint16_t bits) {
  BmpSpec b;
  b.bits = bits;
  const std::vector<uint32_t> pal = {kBlack, kRed, kGreen, kBlue, kWhite, kGrey};
  switch (bits) {
    case 1:  // only two colours: black and white, top row 1 0 1, bottom 0 1 1
      b.palette = {kBlack, kWhite};
      b.rows = Bytes({0x60, 0, 0, 0, 0xA0, 0, 0, 0});
      break;
    case 4:
      b.palette = pal;
      b.rows = Bytes({0x45, 0x00, 0, 0, 0x12, 0x30, 0, 0});
      break;
    case 8:
      b.palette = pal;
      b.rows = Bytes({4, 5, 0, 0, 1, 2, 3, 0});
      break;
    case 16:  // 5-5-5: white 0x7FFF, grey 0x4210
      b.rows = Bytes({0xFF, 0x7F, 0x10, 0x42, 0, 0, 0, 0, 0x00, 0x7C, 0xE0, 0x03, 0x1F, 0, 0, 0});
      break;
    case 24:
      b.rows = Bytes({255, 255, 255, 128, 128, 128, 0,   0, 0, 0, 0, 0,
                      0,   0,   255, 0,   255, 0,   255, 0, 0, 0, 0, 0});
      break;
    case 32:
      b.rows = Bytes({255, 255, 255, 0, 128, 128, 128, 0, 0,   0, 0, 0,
                      0,   0,   255, 0, 0,   255, 0,   0, 255, 0, 0, 0});
      break;
  }
  return b;
}

TEST(Bmp, EveryBitCountBottomUpAndTopDown) {
  for (uint16_t bits : {1, 4, 8, 16, 24, 32}) {
    SCOPED_TRACE(bits);
    BmpSpec b = PictureIn(bits);
    std::vector<uint32_t> want = kPicture;
    if (bits == 1) want = {kWhite, kBlack, kWhite, kBlack, kWhite, kWhite};
    if (bits == 16) want[4] = 0x848484;  // 5 bits 10000 widened by repeating the bits
    TBmpImage img = MustDecode(MakeBmp(b));
    EXPECT_EQ(img.Width, 3);
    EXPECT_EQ(img.Height, 2);
    EXPECT_EQ(img.BitCount, bits);
    EXPECT_FALSE(img.TopDown);
    EXPECT_EQ(img.Palette, b.palette);
    EXPECT_EQ(Colors(img), want);
    EXPECT_EQ(Str(img.Bits), b.rows) << "rows are kept as stored, bottom-up";

    // The same picture stored top-down gives the same colours and the same bottom-up rows.
    BmpSpec t = b;
    size_t half = b.rows.size() / 2;
    t.rows = b.rows.substr(half) + b.rows.substr(0, half);
    t.height = -2;
    TBmpImage top = MustDecode(MakeBmp(t));
    EXPECT_TRUE(top.TopDown);
    EXPECT_EQ(top.Height, 2);
    EXPECT_EQ(Colors(top), want);
    EXPECT_EQ(Str(top.Bits), b.rows);
  }
}

TEST(Bmp, RawPixelsAsTheDibGivesThem) {
  TBmpImage img = MustDecode(MakeBmp(PictureIn(24)));
  // Stored blue 16, green 32, red 48 reads with red in the lowest byte.
  img.Row(0)[0] = 16, img.Row(0)[1] = 32, img.Row(0)[2] = 48;
  EXPECT_EQ(img.RawPixel(0, 0), 48u + 32u * 256u + 16u * 65536u);
  EXPECT_EQ(img.Color(0, 0), 0x302010u);
  EXPECT_EQ(img.RawPixel(-1, 0), 0u);
  EXPECT_EQ(img.RawPixel(3, 0), 0u);
  EXPECT_EQ(img.RawPixel(0, 2), 0u);
  EXPECT_EQ(img.Color(3, 0), 0u);

  EXPECT_EQ(MustDecode(MakeBmp(PictureIn(1))).RawPixel(0, 0), 1u);
  TBmpImage four = MustDecode(MakeBmp(PictureIn(4)));
  EXPECT_EQ(four.RawPixel(0, 0), 1u);
  EXPECT_EQ(four.RawPixel(1, 0), 2u);
  EXPECT_EQ(four.RawPixel(2, 1), 0u);
  EXPECT_EQ(MustDecode(MakeBmp(PictureIn(16))).RawPixel(1, 0), 0x03E0u);
  EXPECT_EQ(MustDecode(MakeBmp(PictureIn(32))).RawPixel(2, 0), 0x0000FFu);
}

TEST(Bmp, CoreHeaderWithThreeBytePalette) {
  BmpSpec b = PictureIn(8);
  b.core = true;
  b.palette = {kBlack, kRed, kGreen, kBlue, kWhite, kGrey};
  b.palette.resize(256, 0x123456);
  TBmpImage img = MustDecode(MakeBmp(b));
  EXPECT_EQ(Colors(img), kPicture);
  EXPECT_EQ(img.Palette.size(), 256u);
}

TEST(Bmp, BitFields) {
  // 5-6-5: red, green, blue, white, a mid grey, black.
  BmpSpec b;
  b.bits = 16;
  b.compression = 3;
  b.masks = {0xF800, 0x07E0, 0x001F};
  b.rows = Bytes({0xFF, 0xFF, 0x10, 0x84, 0, 0, 0, 0, 0x00, 0xF8, 0xE0, 0x07, 0x1F, 0, 0, 0});
  TBmpImage img = MustDecode(MakeBmp(b));
  EXPECT_TRUE(img.BitFields);
  EXPECT_EQ(img.GreenMask, 0x07E0u);
  std::vector<uint32_t> want = kPicture;
  want[4] = 0x848284;
  EXPECT_EQ(Colors(img), want);

  // 32 bits with red and blue exchanged.
  BmpSpec c = PictureIn(32);
  c.compression = 3;
  c.masks = {0x0000FF, 0x00FF00, 0xFF0000};
  std::vector<uint32_t> swapped = {kBlue, kGreen, kRed, kWhite, kGrey, kBlack};
  EXPECT_EQ(Colors(MustDecode(MakeBmp(c))), swapped);
}

TEST(Bmp, ShortPaletteGivesBlackPastItsEnd) {
  BmpSpec b = PictureIn(8);
  b.palette = {kBlack, kRed};
  std::vector<uint32_t> want = {kRed, kBlack, kBlack, kBlack, kBlack, kBlack};
  EXPECT_EQ(Colors(MustDecode(MakeBmp(b))), want);
}

TEST(Bmp, Rle8RunsAbsoluteDeltaAndEndOfLine) {
  BmpSpec b;
  b.width = 6, b.height = 3, b.bits = 8, b.compression = 1;
  b.palette = {kBlack, kRed, kGreen, kBlue};
  // Bottom row: run of two 1s, absolute 2 3 2, end of line.
  // Middle row: delta 3 right, run of one 3, end of line.
  // Top row: run of six 2s, end of bitmap.
  b.rows = Bytes({2, 1, 0, 3, 2, 3, 2, 0, 0, 0, 0, 2, 3, 0, 1, 3, 0, 0, 6, 2, 0, 1});
  TBmpImage img = MustDecode(MakeBmp(b));
  std::string got(img.Bits.begin(), img.Bits.end());
  EXPECT_EQ(got, Bytes({1, 1, 2, 3, 2, 0, 0, 0}) + Bytes({0, 0, 0, 3, 0, 0, 0, 0}) +
                     Bytes({2, 2, 2, 2, 2, 2, 0, 0}));
  EXPECT_EQ(img.Color(0, 0), kGreen);
  EXPECT_EQ(img.Color(3, 1), kBlue);
  EXPECT_EQ(img.Color(1, 2), kRed);
}

TEST(Bmp, Rle4RunsAbsoluteDeltaAndEndOfLine) {
  BmpSpec b;
  b.width = 5, b.height = 2, b.bits = 4, b.compression = 2;
  b.palette = {kBlack, kRed, kGreen, kBlue};
  // Bottom row: run of 2 alternating 1,2; absolute 3 pixels 3,1,2 (padded); end of line.
  // Top row: delta 1 right, run of 4 of 3; end of bitmap.
  b.rows = Bytes({2, 0x12, 0, 3, 0x31, 0x20, 0, 0, 0, 2, 1, 0, 4, 0x33, 0, 1});
  TBmpImage img = MustDecode(MakeBmp(b));
  std::string got(img.Bits.begin(), img.Bits.end());
  EXPECT_EQ(got, Bytes({0x12, 0x31, 0x20, 0, 0x03, 0x33, 0x30, 0}));
  std::vector<uint32_t> want = {kBlack, kBlue,  kBlue, kBlue, kBlue,
                                kRed,   kGreen, kBlue, kRed,  kGreen};
  EXPECT_EQ(Colors(img), want);
}

TEST(Bmp, EncodeRoundTrip) {
  for (uint16_t bits : {1, 4, 8, 16, 24, 32}) {
    SCOPED_TRACE(bits);
    TBmpImage img = MustDecode(MakeBmp(PictureIn(bits)));
    if (bits == 16 || bits == 32) img.BitFields = true;
    TBmpImage again = MustDecode(EncodeBmp(img));
    EXPECT_EQ(again.Width, img.Width);
    EXPECT_EQ(again.Height, img.Height);
    EXPECT_EQ(again.BitCount, img.BitCount);
    EXPECT_EQ(again.Palette, img.Palette);
    EXPECT_EQ(again.Bits, img.Bits);
    EXPECT_EQ(again.BitFields, img.BitFields);
    EXPECT_EQ(again.RedMask, img.RedMask);
    EXPECT_EQ(Colors(again), Colors(img));
  }
  TBmpImage blank;
  std::string error;
  ASSERT_TRUE(blank.Create(33, 3, 1, error)) << error;
  EXPECT_EQ(blank.RowBytes(), 8u);
  EXPECT_EQ(blank.Bits.size(), 24u);
  EXPECT_EQ(blank.Palette.size(), 2u);
  EXPECT_EQ(MustDecode(EncodeBmp(blank)).Bits, blank.Bits);
  EXPECT_FALSE(blank.Create(3, 3, 7, error));
  EXPECT_FALSE(blank.Create(0, 3, 8, error));
}

std::string Patch32(std::string s, size_t at, uint32_t v) {
  std::string w;
  Put32(w, v);
  return s.replace(at, 4, w);
}

TEST(Bmp, HostileFilesAreRefused) {
  const std::string good = MakeBmp(PictureIn(8));
  BmpSpec rle;
  rle.width = 4, rle.height = 1, rle.bits = 8, rle.compression = 1, rle.palette = {0, 1};
  BmpSpec rle4 = rle;
  rle4.bits = 4, rle4.compression = 2;
  auto withRows = [](BmpSpec b, std::string rows) {
    b.rows = std::move(rows);
    return MakeBmp(b);
  };
  BmpSpec wide = PictureIn(8);
  wide.width = 0x7FFFFFFF, wide.height = 0x7FFFFFFF;
  BmpSpec huge = PictureIn(8);
  huge.width = 16384, huge.height = 16384;
  BmpSpec negative = PictureIn(8);
  negative.width = -3;
  BmpSpec minHeight = PictureIn(8);
  minHeight.height = INT32_MIN;
  BmpSpec zero = PictureIn(8);
  zero.height = 0;
  BmpSpec bigPalette = PictureIn(8);
  bigPalette.clrUsed = 257;
  BmpSpec farPalette = PictureIn(8);
  farPalette.clrUsed = 0x40000000;
  BmpSpec badBits = PictureIn(8);
  badBits.bits = 7;
  BmpSpec fields24 = PictureIn(24);
  fields24.compression = 3;
  fields24.masks = {0xFF0000, 0xFF00, 0xFF};
  BmpSpec holes = PictureIn(16);
  holes.compression = 3;
  holes.masks = {0x7C01, 0x03E0, 0x001E};
  BmpSpec outside = PictureIn(16);
  outside.compression = 3;
  outside.masks = {0x1F0000, 0x03E0, 0x001F};
  BmpSpec rleTop = rle;
  rleTop.height = -1;
  rleTop.rows = Bytes({4, 1, 0, 1});
  BmpSpec jpegInside = PictureIn(24);
  jpegInside.compression = 4;

  struct Case {
    const char* what;
    std::string file;
  } cases[] = {
      {"empty", ""},
      {"no signature", "XY" + good.substr(2)},
      {"file header cut", good.substr(0, 10)},
      {"info header cut", good.substr(0, 30)},
      {"unknown header size", Patch32(good, 14, 20)},
      {"pixel offset past the end", Patch32(good, 10, static_cast<uint32_t>(good.size() + 1))},
      {"pixel offset far past the end", Patch32(good, 10, 0xFFFFFFF0)},
      {"pixel offset inside the header", Patch32(good, 10, 20)},
      {"pixel rows cut", good.substr(0, good.size() - 1)},
      {"size overflows", MakeBmp(wide)},
      {"too many pixels", MakeBmp(huge)},
      {"negative width", MakeBmp(negative)},
      {"height of INT32_MIN", MakeBmp(minHeight)},
      {"zero height", MakeBmp(zero)},
      {"palette over 256", MakeBmp(bigPalette)},
      {"palette past the end", MakeBmp(farPalette)},
      {"bit count 7", MakeBmp(badBits)},
      {"bit fields on 24 bits", MakeBmp(fields24)},
      {"mask with a hole", MakeBmp(holes)},
      {"mask wider than the pixel", MakeBmp(outside)},
      {"embedded JPEG", MakeBmp(jpegInside)},
      {"RLE8 run past the row", withRows(rle, Bytes({5, 1, 0, 1}))},
      {"RLE8 runs adding past the row", withRows(rle, Bytes({3, 1, 2, 1, 0, 1}))},
      {"RLE8 absolute past the row", withRows(rle, Bytes({0, 5, 1, 1, 1, 1, 1, 0, 0, 1}))},
      {"RLE8 absolute cut", withRows(rle, Bytes({0, 4, 1, 1}))},
      {"RLE8 delta out of the image", withRows(rle, Bytes({0, 2, 0, 2, 0, 1}))},
      {"RLE8 delta right out", withRows(rle, Bytes({0, 2, 5, 0, 0, 1}))},
      {"RLE8 pixels after the last line", withRows(rle, Bytes({4, 1, 0, 0, 1, 1, 0, 1}))},
      {"RLE8 without end of bitmap", withRows(rle, Bytes({4, 1}))},
      {"RLE8 half a pair", withRows(rle, Bytes({4, 1, 0}))},
      {"RLE4 run past the row", withRows(rle4, Bytes({5, 0x11, 0, 1}))},
      {"RLE4 absolute past the row", withRows(rle4, Bytes({0, 5, 0x11, 0x11, 0x10, 0, 0, 1}))},
      {"RLE top-down", MakeBmp(rleTop)},
  };
  for (const Case& c : cases) {
    TBmpImage img;
    std::string error;
    EXPECT_FALSE(DecodeBmp(c.file, img, error)) << c.what;
    EXPECT_FALSE(error.empty()) << c.what;
    EXPECT_EQ(error.find('\n'), std::string::npos) << c.what;
  }
  // Sanity: the RLE fixtures are refused for their faults, not for their frame.
  TBmpImage img;
  std::string error;
  EXPECT_TRUE(DecodeBmp(withRows(rle, Bytes({4, 1, 0, 1})), img, error)) << error;
  EXPECT_TRUE(DecodeBmp(withRows(rle4, Bytes({4, 0x11, 0, 1})), img, error)) << error;
  EXPECT_TRUE(DecodeBmp(withRows(rle, Bytes({4, 1, 0, 0})), img, error)) << error;
}

TEST(Bmp, EveryTruncationIsRefused) {
  BmpSpec rle;
  rle.width = 4, rle.height = 2, rle.bits = 8, rle.compression = 1, rle.palette = {0, 1};
  rle.rows = Bytes({4, 1, 0, 0, 0, 2, 1, 0, 2, 1});  // the top row ends with end of bitmap
  rle.rows += Bytes({0, 1});
  for (const std::string& file : {MakeBmp(PictureIn(4)), MakeBmp(PictureIn(32)), MakeBmp(rle)}) {
    TBmpImage img;
    std::string error;
    ASSERT_TRUE(DecodeBmp(file, img, error)) << error;
    for (size_t n = 0; n < file.size(); ++n) {
      // The declared image size of the RLE data is ignored once the file is shorter.
      EXPECT_FALSE(DecodeBmp(reinterpret_cast<const uint8_t*>(file.data()), n, img, error))
          << "length " << n << " of " << file.size();
    }
  }
}

TEST(Bmp, LoadedAsAPictureAndDrawnClipped) {
  std::string error;
  auto g = LoadGraphic(gkBitmap, MakeBmp(PictureIn(24)), error);
  ASSERT_TRUE(g) << error;
  EXPECT_EQ(g->Width(), 3);
  EXPECT_EQ(g->Height(), 2);
  Surface s(4, 3);
  s.Fill(nullptr, 0x123456);
  g->Draw(s, 0, 0);
  EXPECT_EQ(s.Row(0)[0], kRed);
  EXPECT_EQ(s.Row(1)[2], kBlack);
  EXPECT_EQ(s.Row(0)[3], 0x123456u);
  EXPECT_EQ(s.Row(2)[0], 0x123456u);
  g->Draw(s, 2, -1);  // only the bottom row's first two pixels land, at (2, 0) and (3, 0)
  EXPECT_EQ(s.Row(0)[2], kWhite);
  EXPECT_EQ(s.Row(0)[3], kGrey);
  EXPECT_EQ(s.Row(1)[3], 0x123456u);
  g->Draw(s, -10, 100);  // wholly outside: nothing happens

  auto* bitmap = dynamic_cast<TBitmapGraphic*>(g.get());
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(bitmap->Image().BitCount, 24);

  EXPECT_FALSE(LoadGraphic(gkBitmap, "BM", error));
  EXPECT_FALSE(LoadGraphic(7, MakeBmp(PictureIn(24)), error));
  EXPECT_EQ(error, "unknown picture kind 7");
}

}  // namespace
