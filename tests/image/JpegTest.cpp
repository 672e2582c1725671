// JPEG pictures: a round trip through libjpeg's encoder, damaged files decoded as libjpeg decodes
// them, and what it cannot decode refused.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "image/Picture.h"

namespace {

// Encodes w x h pixels 0x00RRGGBB (or their grey level) as a baseline or progressive JPEG, with
// a restart marker every restartRows rows of blocks when not 0.
std::string Encode(int w, int h, const std::vector<uint32_t>& rgb, bool grey, bool progressive,
                   int restartRows = 0) {
  jpeg_compress_struct c{};
  jpeg_error_mgr err{};
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &out, &size);
  c.image_width = w;
  c.image_height = h;
  c.input_components = grey ? 1 : 3;
  c.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 100, TRUE);
  if (progressive) jpeg_simple_progression(&c);
  c.restart_in_rows = restartRows;
  jpeg_start_compress(&c, TRUE);
  std::vector<uint8_t> row(static_cast<size_t>(w) * 3);
  while (c.next_scanline < c.image_height) {
    for (int x = 0; x < w; ++x) {
      uint32_t p = rgb[c.next_scanline * w + x];
      if (grey) {
        row[x] = p & 0xFF;
      } else {
        row[x * 3] = p >> 16, row[x * 3 + 1] = (p >> 8) & 0xFF, row[x * 3 + 2] = p & 0xFF;
      }
    }
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&c, &r, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::string bytes(reinterpret_cast<char*>(out), size);
  free(out);
  return bytes;
}

int Diff(uint32_t a, uint32_t b) {
  int d = 0;
  for (int s = 0; s < 24; s += 8)
    d = std::max(d,
                 std::abs(static_cast<int>((a >> s) & 0xFF) - static_cast<int>((b >> s) & 0xFF)));
  return d;
}

// Smooth colour areas that survive compression closely: four quadrants.
std::vector<uint32_t> Quadrants(int w, int h) {
  std::vector<uint32_t> p(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      p[y * w + x] =
          (x < w / 2) ? (y < h / 2 ? 0xC02020 : 0x20C020) : (y < h / 2 ? 0x2020C0 : 0xE0E0E0);
  return p;
}

TEST(Jpeg, RoundTripColourGreyAndProgressive) {
  const int w = 32, h = 16;
  const std::vector<uint32_t> src = Quadrants(w, h);
  for (bool grey : {false, true}) {
    for (bool progressive : {false, true}) {
      SCOPED_TRACE(testing::Message() << "grey " << grey << " progressive " << progressive);
      std::string error;
      auto g = LoadGraphic(gkJpeg, Encode(w, h, src, grey, progressive), error);
      ASSERT_TRUE(g) << error;
      EXPECT_EQ(g->Width(), w);
      EXPECT_EQ(g->Height(), h);
      Surface s(w, h);
      g->Draw(s, 0, 0);
      for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
          uint32_t want = src[y * w + x];
          if (grey) want = (want & 0xFF) * 0x010101;
          // Away from the quadrant edges, where ringing is expected.
          if ((x % 16 == 0 || x % 16 == 15) || (y % 8 == 0 || y % 8 == 7)) continue;
          ASSERT_LE(Diff(s.Row(y)[x], want), 6) << x << "," << y;
          ASSERT_EQ(s.Row(y)[x] >> 24, 0u);
        }
      }
    }
  }
}

// What libjpeg decodes with a warning is shown as it decodes it; only what it cannot decode at
// all is refused.
TEST(Jpeg, DataThatLibjpegWarnsAboutIsDecoded) {
  const int w = 32, h = 32;
  const std::string good = Encode(w, h, Quadrants(w, h), false, false, 1);
  std::string error;
  auto clean = LoadGraphic(gkJpeg, good, error);
  ASSERT_TRUE(clean) << error;
  Surface want(w, h);
  clean->Draw(want, 0, 0);

  const size_t sos = good.find("\xFF\xDA"), eoi = good.size() - 2;
  const size_t rst = good.find("\xFF\xD0", sos);
  ASSERT_NE(sos, std::string::npos);
  ASSERT_NE(rst, std::string::npos);
  std::string misplacedRestart = good;
  misplacedRestart[rst + 1] = static_cast<char>(0xD5);
  const struct {
    const char* what;
    std::string file;
    bool same;  // decodes to the same pixels as the clean file
  } cases[] = {
      {"junk before the scan marker", good.substr(0, sos) + "junk" + good.substr(sos), true},
      {"junk before the end marker", good.substr(0, eoi) + "\x01\x02\x03" + good.substr(eoi), true},
      {"garbage after the end", good + "garbage", true},
      {"garbage in place of the end marker", good.substr(0, eoi) + "\x7F\x7F\x7F", true},
      {"restart marker out of place", misplacedRestart, false},
      {"data ends inside the scan", good.substr(0, sos + (eoi - sos) / 2), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto g = LoadGraphic(gkJpeg, c.file, error);
    ASSERT_TRUE(g) << error;
    ASSERT_EQ(g->Width(), w);
    ASSERT_EQ(g->Height(), h);
    if (!c.same) continue;
    Surface s(w, h);
    g->Draw(s, 0, 0);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) ASSERT_EQ(s.Row(y)[x], want.Row(y)[x]) << x << "," << y;
  }
}

TEST(Jpeg, WhatLibjpegCannotDecodeIsRefused) {
  const std::string good = Encode(24, 24, Quadrants(24, 24), false, false);
  const std::string progressive = Encode(24, 24, Quadrants(24, 24), false, true);
  std::string error;
  for (const std::string& file : {good, progressive}) {
    // Every cut before the first scan begins leaves no image.
    const size_t sos = file.find("\xFF\xDA");
    ASSERT_NE(sos, std::string::npos);
    for (size_t n = 0; n < sos; n += 3) {
      EXPECT_FALSE(LoadGraphic(gkJpeg, file.substr(0, n), error)) << n;
      EXPECT_FALSE(error.empty());
      EXPECT_EQ(error.find('\n'), std::string::npos);
    }
  }
  EXPECT_FALSE(LoadGraphic(gkJpeg, "", error));
  EXPECT_FALSE(LoadGraphic(gkJpeg, "not a picture at all", error));
  std::string noComponents = good;
  const size_t sof = good.find("\xFF\xC0");
  ASSERT_NE(sof, std::string::npos);
  noComponents[sof + 9] = 0;
  EXPECT_FALSE(LoadGraphic(gkJpeg, noComponents, error));

  // The frame header claims an absurd size (a side, then the pixel count), or more pixels than
  // the caller allows: refused before any memory is taken for it.
  for (auto [hi, lo] : {std::pair{0x50, 0x00}, std::pair{0x40, 0x00}}) {
    std::string big = good;
    big[sof + 5] = static_cast<char>(hi), big[sof + 6] = static_cast<char>(lo);      // height
    big[sof + 7] = static_cast<char>(0x3F), big[sof + 8] = static_cast<char>(0xFF);  // width
    EXPECT_FALSE(LoadGraphic(gkJpeg, big, error));
    EXPECT_NE(error.find("too large"), std::string::npos) << error;
  }
  EXPECT_FALSE(LoadGraphic(gkJpeg, good, error, 24 * 24 - 1));
  EXPECT_TRUE(LoadGraphic(gkJpeg, good, error, 24 * 24));
}

}  // namespace
