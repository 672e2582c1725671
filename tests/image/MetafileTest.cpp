// Windows and enhanced metafile pictures: drawn in their own frame on black, and files whose
// headers or records do not match their data refused before the renderers see them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image/Picture.h"
#include "platform/SharedLibrary.h"

namespace {

void Put16(std::string& s, uint32_t v) {
  s.push_back(static_cast<char>(v & 0xFF));
  s.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void Put32(std::string& s, uint32_t v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}
void Set32(std::string& s, size_t at, uint32_t v) {
  std::string w;
  Put32(w, v);
  s.replace(at, 4, w);
}

// ---- Windows metafiles ----

void Record(std::string& s, uint32_t function, std::vector<int32_t> params) {
  Put32(s, static_cast<uint32_t>(3 + params.size()));
  Put16(s, function);
  for (int32_t p : params) Put16(s, static_cast<uint32_t>(p));
}

// Brush of the Windows colour 0x00BBGGRR and no outline, made as objects slot and slot + 1 (the
// first free slots) and selected.
std::string SolidBrushNoPen(uint32_t bgr, int32_t slot = 0) {
  std::string s;
  Record(s, 0x02FC, {0, int32_t(bgr & 0xFFFF), int32_t(bgr >> 16), 0});  // CreateBrushIndirect
  Record(s, 0x012D, {slot});                                             // SelectObject
  Record(s, 0x02FA, {5, 0, 0, 0, 0});                                    // CreatePenIndirect: null
  Record(s, 0x012D, {slot + 1});
  return s;
}
std::string Rectangle(int32_t l, int32_t t, int32_t r, int32_t b) {
  std::string s;
  Record(s, 0x041B, {b, r, t, l});
  return s;
}
std::string MapMode(int32_t mode) {
  std::string s;
  Record(s, 0x0103, {mode});
  return s;
}
std::string Window(int32_t x, int32_t y, int32_t w, int32_t h) {
  std::string s;
  Record(s, 0x020B, {y, x});
  Record(s, 0x020C, {h, w});
  return s;
}

// The metafile header (with exact sizes) and the records, closed by the end record; with a
// placeable header when unitsPerInch is not 0.
std::string Wmf(const std::string& records, std::vector<int32_t> box = {},
                uint32_t unitsPerInch = 0, uint32_t objects = 3) {
  std::string body = records;
  Record(body, 0x0000, {});
  uint32_t largest = 0;
  for (size_t p = 0; p < body.size();) {
    const uint32_t words = static_cast<uint8_t>(body[p]) | (static_cast<uint8_t>(body[p + 1]) << 8);
    largest = std::max(largest, words);
    p += words * 2;
  }
  std::string header;
  Put16(header, 1);
  Put16(header, 9);
  Put16(header, 0x300);
  Put32(header, static_cast<uint32_t>((18 + body.size()) / 2));
  Put16(header, objects);
  Put32(header, largest);
  Put16(header, 0);
  if (unitsPerInch == 0) return header + body;
  std::string placeable;
  Put32(placeable, 0x9AC6CDD7);
  Put16(placeable, 0);
  for (int32_t v : box) Put16(placeable, static_cast<uint32_t>(v));
  Put16(placeable, unitsPerInch);
  Put32(placeable, 0);
  uint32_t sum = 0;
  for (size_t i = 0; i < 20; i += 2)
    sum ^= static_cast<uint8_t>(placeable[i]) | (static_cast<uint8_t>(placeable[i + 1]) << 8);
  Put16(placeable, sum);
  return placeable + header + body;
}

// A 40 x 20 placeable metafile (96 units per inch, so one unit is one pixel): a blue rectangle
// over the whole frame, a red one over its left half.
std::string TwoRectangles() {
  return Wmf(Window(0, 0, 40, 20) + SolidBrushNoPen(0xFF0000) + Rectangle(0, 0, 40, 20) +
                 SolidBrushNoPen(0x0000FF, 2) + Rectangle(0, 0, 20, 20),
             {0, 0, 40, 20}, 96, 4);
}

// A w x h picture whose pixels inside 25..75 (a margin of 3 left for edges) are red and outside
// are black.
void ExpectRedSquare(const TGraphic& g) {
  ASSERT_EQ(g.Width(), 100);
  ASSERT_EQ(g.Height(), 100);
  Surface s(100, 100);
  g.Draw(s, 0, 0);
  for (int y = 0; y < 100; y += 1) {
    for (int x = 0; x < 100; x += 1) {
      const bool in = x >= 28 && x < 72 && y >= 28 && y < 72;
      const bool out = x < 22 || x >= 78 || y < 22 || y >= 78;
      if (in) {
        ASSERT_EQ(s.Row(y)[x], 0xFF0000u) << x << "," << y;
      } else if (out) {
        ASSERT_EQ(s.Row(y)[x], 0u) << x << "," << y;
      }
    }
  }
}

void ExpectLoadsAsRedSquare(const std::string& file) {
  std::string error;
  auto g = LoadGraphic(gkMetafile, file, error);
  ASSERT_TRUE(g) << error;
  ExpectRedSquare(*g);
}

TEST(Metafile, PlaceableFileIsDrawn) {
  std::string error;
  auto g = LoadGraphic(gkMetafile, TwoRectangles(), error);
  ASSERT_TRUE(g) << error;
  EXPECT_EQ(g->Width(), 40);
  EXPECT_EQ(g->Height(), 20);
  Surface s(40, 20);
  g->Draw(s, 0, 0);
  EXPECT_EQ(s.Row(10)[5], 0xFF0000u);
  EXPECT_EQ(s.Row(10)[35], 0x0000FFu);
}

// A drawing that fills only the middle of its frame stays there, at its own scale: the frame
// gives the size.
TEST(Metafile, DrawingKeepsItsPlaceInTheFrame) {
  const std::string red = SolidBrushNoPen(0x0000FF);
  const struct {
    const char* what;
    std::string file;
  } cases[] = {
      {"placeable, 96 units per inch",
       Wmf(Window(0, 0, 100, 100) + red + Rectangle(25, 25, 75, 75), {0, 0, 100, 100}, 96)},
      {"placeable, 192 units per inch",
       Wmf(Window(0, 0, 200, 200) + red + Rectangle(50, 50, 150, 150), {0, 0, 200, 200}, 192)},
      {"placeable, box away from the origin",
       Wmf(Window(-300, 40, 100, 100) + red + Rectangle(-275, 65, -225, 115), {-300, 40, -200, 140},
           96)},
      {"placeable, scalable map mode",
       Wmf(MapMode(8) + Window(0, 0, 1000, 1000) + red + Rectangle(250, 250, 750, 750),
           {0, 0, 1000, 1000}, 960)},
      {"plain, frame from the window",
       Wmf(Window(100, 100, 100, 100) + red + Rectangle(125, 125, 175, 175))},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ExpectLoadsAsRedSquare(c.file);
  }
}

TEST(Metafile, EllipsesAreFilled) {
  std::string ellipse = SolidBrushNoPen(0x0000FF);
  Record(ellipse, 0x0418, {90, 90, 10, 10});  // Ellipse bottom, right, top, left
  std::string error;
  auto g =
      LoadGraphic(gkMetafile, Wmf(Window(0, 0, 100, 100) + ellipse, {0, 0, 100, 100}, 96), error);
  ASSERT_TRUE(g) << error;
  Surface s(100, 100);
  g->Draw(s, 0, 0);
  for (auto [x, y] : {std::pair{50, 50}, {14, 50}, {86, 50}, {50, 14}, {50, 86}, {70, 70}})
    EXPECT_EQ(s.Row(y)[x], 0xFF0000u) << x << "," << y;
  for (auto [x, y] : {std::pair{15, 15}, {85, 85}, {5, 50}, {50, 95}})
    EXPECT_EQ(s.Row(y)[x], 0u) << x << "," << y;
}

// A pen much wider than the picture would cost the renderer the square of its width at every
// pixel of the line; it is drawn 16 pixels wide.
TEST(Metafile, HugePensAreDrawnNarrower) {
  std::string line;
  Record(line, 0x02FA, {0, 1000, 0, 0xFF, 0});  // CreatePenIndirect: solid, 1000 wide, red
  Record(line, 0x012D, {0});
  Record(line, 0x0214, {50, 0});    // MoveTo (y, x)
  Record(line, 0x0213, {50, 100});  // LineTo
  std::string error;
  auto g =
      LoadGraphic(gkMetafile, Wmf(Window(0, 0, 100, 100) + line, {0, 0, 100, 100}, 96, 1), error);
  ASSERT_TRUE(g) << error;
  Surface s(100, 100);
  g->Draw(s, 0, 0);
  EXPECT_EQ(s.Row(50)[50], 0xFF0000u);
  EXPECT_EQ(s.Row(30)[50], 0u);
  EXPECT_EQ(s.Row(70)[50], 0u);
}

// A font 3000 times wider than high made the renderer's glyphs too large to rasterise (and it
// then read a missing bitmap); glyphs are drawn at most 512 pixels wide and high.
TEST(Metafile, HugeGlyphsAreDrawnSmaller) {
  for (int32_t width : {0, 3000}) {
    std::string text;
    Record(text, 0x02FB,
           {-1, width, 0, 0, 400, 0, 0, 0, 0, 'A' | ('r' << 8), 'i' | ('a' << 8), 'l',
            0});                                          // CreateFontIndirect
    Record(text, 0x012D, {0});                            // SelectObject
    Record(text, 0x0209, {0xFF, 0});                      // SetTextColor: red
    Record(text, 0x0521, {2, 'A' | ('B' << 8), 50, 10});  // TextOut "AB" at 10, 50
    std::string error;
    EXPECT_TRUE(
        LoadGraphic(gkMetafile, Wmf(Window(0, 0, 100, 100) + text, {0, 0, 100, 100}, 96, 1), error))
        << width << ": " << error;
  }
}

// A unit of this picture is 96 pixels: a line far beyond the frame with a thick pen, or a
// rectangle reaching far beyond it, asks the renderer for more than a second of work and is
// refused (it walks what lies off the picture too); inside the frame they are drawn.
TEST(Metafile, DrawingThatCostsTooMuchIsRefused) {
  auto line = [](int32_t from, int32_t to) {
    std::string s;
    Record(s, 0x02FA, {0, 1, 0, 0xFF, 0});  // solid red pen, one unit wide
    Record(s, 0x012D, {0});
    Record(s, 0x0214, {0, from});
    Record(s, 0x0213, {0, to});
    return Wmf(Window(0, 0, 1, 1) + s, {0, 0, 1, 1}, 1, 1);
  };
  std::string error;
  EXPECT_TRUE(LoadGraphic(gkMetafile, line(0, 1), error)) << error;
  EXPECT_FALSE(LoadGraphic(gkMetafile, line(-30000, 30000), error));
  EXPECT_FALSE(error.empty());
  auto rectangle = [](int32_t far) {
    return Wmf(Window(0, 0, 1, 1) + SolidBrushNoPen(0xFF) + Rectangle(0, 0, far, far), {0, 0, 1, 1},
               1);
  };
  EXPECT_TRUE(LoadGraphic(gkMetafile, rectangle(1), error)) << error;
  EXPECT_FALSE(LoadGraphic(gkMetafile, rectangle(30000), error));
}

TEST(Metafile, SizeFieldsAndRecordsAreCheckedAgainstTheData) {
  const std::string good = TwoRectangles();
  const size_t header = 22;  // the metafile header follows the placeable one
  auto with32 = [&](size_t at, uint32_t v) {
    std::string s = good;
    Set32(s, at, v);
    return s;
  };
  auto with16 = [&](size_t at, uint32_t v) {
    std::string s = good;
    s[at] = static_cast<char>(v & 0xFF);
    s[at + 1] = static_cast<char>(v >> 8);
    return s;
  };
  const uint32_t words = static_cast<uint32_t>((good.size() - header) / 2);
  const struct {
    const char* what;
    std::string file;
  } cases[] = {
      {"empty", ""},
      {"text", "not a metafile at all, not at all"},
      {"placeable header only", good.substr(0, 30)},
      {"no end record", good.substr(0, good.size() - 6)},
      {"file size past the data", with32(header + 6, words + 1)},
      {"file size of millions of words", with32(header + 6, 0x62000000)},
      {"file size smaller than the header", with32(header + 6, 8)},
      {"largest record past the file", with32(header + 12, 0x62000000)},
      {"a record larger than the largest", with32(header + 12, 4)},
      {"more objects than records", with16(header + 10, 0xFFFF)},
      {"first record past the end", with32(header + 18, 0x7F0000FF)},
      {"no units per inch", with16(14, 0)},
      {"plain file that sets no window", Wmf(SolidBrushNoPen(0xFF) + Rectangle(0, 0, 5, 5))},
      {"frame of no width", Wmf(Window(0, 0, 0, 10) + Rectangle(0, 0, 5, 5))},
      {"frame too large", Wmf(Window(0, 0, 16000, 16000) + Rectangle(0, 0, 5, 5))},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(LoadGraphic(gkMetafile, c.file, error)) << c.what;
    EXPECT_FALSE(error.empty()) << c.what;
  }
  std::string error;
  for (size_t n = 0; n < good.size(); ++n)
    EXPECT_FALSE(LoadGraphic(gkMetafile, good.substr(0, n), error)) << n;
}

// ---- Enhanced metafiles ----

void Emr(std::string& s, uint32_t type, std::vector<int32_t> params) {
  Put32(s, type);
  Put32(s, static_cast<uint32_t>(8 + 4 * params.size()));
  for (int32_t p : params) Put32(s, static_cast<uint32_t>(p));
}

// An enhanced metafile: header (frame in 0.01 mm, reference device of devicePx pixels over
// 254 mm, so devicePx / 10 pixels per inch) + records + end record, with exact counts.
std::string Emf(const std::string& records, std::vector<int32_t> frame, int32_t devicePx,
                uint32_t handles = 2) {
  std::string body = records;
  Emr(body, 14, {0, 16, 20});
  uint32_t count = 2;
  for (size_t p = 0; p < records.size(); p += static_cast<uint8_t>(records[p + 4])) ++count;
  std::string h;
  Put32(h, 1);
  Put32(h, 88);
  for (int32_t v : {0, 0, 10, 10}) Put32(h, static_cast<uint32_t>(v));  // bounds: unused
  for (int32_t v : frame) Put32(h, static_cast<uint32_t>(v));
  Put32(h, 0x464D4520);
  Put32(h, 0x10000);
  Put32(h, static_cast<uint32_t>(88 + body.size()));
  Put32(h, count);
  Put32(h, handles);
  for (int k = 0; k < 3; ++k) Put32(h, 0);  // description, palette
  for (int32_t v : {devicePx, devicePx, 254, 254}) Put32(h, static_cast<uint32_t>(v));
  return h + body;
}

// Red brush in slot 1, no outline, and a rectangle.
std::string EmfRedRectangle(int32_t l, int32_t t, int32_t r, int32_t b) {
  std::string s;
  Emr(s, 39, {1, 0, 0x0000FF, 0});    // CreateBrushIndirect: solid, Windows colour red
  Emr(s, 37, {1});                    // SelectObject
  Emr(s, 37, {int32_t(0x80000008)});  // SelectObject: stock null pen
  Emr(s, 43, {l, t, r, b});           // Rectangle
  return s;
}

TEST(EnhancedMetafile, DrawingKeepsItsPlaceInTheFrame) {
  // 2646 x 0.01 mm is 100 pixels at 96 per inch.
  const struct {
    const char* what;
    std::string file;
  } cases[] = {
      {"96 dpi device", Emf(EmfRedRectangle(25, 25, 75, 75), {0, 0, 2646, 2646}, 960)},
      {"192 dpi device", Emf(EmfRedRectangle(50, 50, 150, 150), {0, 0, 2646, 2646}, 1920)},
      {"frame away from the origin",
       Emf(EmfRedRectangle(125, 25, 175, 75), {2646, 0, 5292, 2646}, 960)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ExpectLoadsAsRedSquare(c.file);
  }
}

TEST(EnhancedMetafile, SizeFieldsAndRecordsAreCheckedAgainstTheData) {
  const std::vector<int32_t> frame{0, 0, 2646, 2646};
  const std::string good = Emf(EmfRedRectangle(25, 25, 75, 75), frame, 960);
  std::string error;
  ASSERT_TRUE(LoadGraphic(gkMetafile, good, error)) << error;
  auto with32 = [&](size_t at, uint32_t v) {
    std::string s = good;
    Set32(s, at, v);
    return s;
  };
  std::string shortRect, badSlot, bitmap, text, points;
  Emr(shortRect, 43, {25, 25});
  Emr(badSlot, 37, {7});
  Emr(bitmap, 81, std::vector<int32_t>(18, 0));  // StretchDIBits
  Emr(text, 84, std::vector<int32_t>(17, 0));    // ExtTextOutW of no characters
  Emr(points, 4, {0, 0, 10, 10, 1000, 5, 5});    // Polyline of 1000 points holding one
  const size_t first = 88;                       // the first record after the header
  const struct {
    const char* what;
    std::string file;
  } cases[] = {
      {"file size past the data", with32(48, static_cast<uint32_t>(good.size() + 4))},
      {"file size of millions", with32(48, 0x62000000)},
      {"file size short of the records", with32(48, static_cast<uint32_t>(good.size() - 20))},
      {"record count too high", with32(52, 9)},
      {"record count of millions", with32(52, 0x62000000)},
      {"no object slots", with32(56, 0)},
      {"more object slots than records", with32(56, 0xFFFF)},
      {"header size past the file", with32(4, 0x10000)},
      {"description outside the header", with32(60, 40)},
      {"record size not in whole words", with32(first + 4, 22)},
      {"record past the end", with32(first + 4, 0x7FFFFFF0)},
      {"record smaller than its fields", Emf(shortRect, frame, 960)},
      {"object slot out of range", Emf(badSlot, frame, 960)},
      {"bitmap records", Emf(bitmap, frame, 960)},
      {"text records", Emf(text, frame, 960)},
      {"points past the record", Emf(points, frame, 960)},
      {"no end record", good.substr(0, good.size() - 20)},
      {"empty frame", Emf(EmfRedRectangle(1, 1, 2, 2), {0, 0, 0, 2646}, 960)},
      {"frame too large", Emf(EmfRedRectangle(1, 1, 2, 2), {0, 0, 2000000, 2000000}, 960)},
      {"no reference device", Emf(EmfRedRectangle(1, 1, 2, 2), frame, 0)},
      // 4000 x 4000 pixels drawn over 70 times.
      {"too much drawing", Emf(
                               [] {
                                 std::string s;
                                 for (int k = 0; k < 70; ++k)
                                   s += EmfRedRectangle(0, 0, 4000, 4000);
                                 return s;
                               }(),
                               {0, 0, 105833, 105833}, 960)},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(LoadGraphic(gkMetafile, c.file, error)) << c.what;
    EXPECT_FALSE(error.empty()) << c.what;
  }
  for (size_t n = 88; n < good.size(); n += 4)
    EXPECT_FALSE(LoadGraphic(gkMetafile, good.substr(0, n), error)) << n;
}

// ---- Decoders opened when a picture needs them ----

TEST(MetafileDecoders, AMissingOneIsNamedWithItsPackage) {
  const std::string wmf = TwoRectangles();
  const std::string emf = Emf(EmfRedRectangle(25, 25, 75, 75), {0, 0, 2646, 2646}, 960);
  const struct {
    const char* soname;
    const char* package;
    const std::string& file;
  } cases[] = {
      {"libwmf-0.2.so.7", "libwmf-0.2-7", wmf},
      {"libemf2svg.so.1", "libemf2svg1", emf},
      {"librsvg-2.so.2", "librsvg2-2", emf},
      {"libcairo.so.2", "libcairo2", emf},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.soname);
    HideSharedLibraryForTest(c.soname);
    std::string error;
    EXPECT_FALSE(LoadGraphic(gkMetafile, c.file, error));
    EXPECT_NE(error.find(std::string("need the library ") + c.soname), std::string::npos) << error;
    EXPECT_NE(error.find(std::string("install the Debian package ") + c.package), std::string::npos)
        << error;
    HideSharedLibraryForTest("");
    EXPECT_TRUE(LoadGraphic(gkMetafile, c.file, error)) << error;
  }
}

}  // namespace
