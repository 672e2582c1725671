// Windows metafile pictures: a small placeable file drawn, enhanced and damaged files refused.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Picture.h"

namespace {

void Put16(std::string& s, uint32_t v) {
  s.push_back(static_cast<char>(v & 0xFF));
  s.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void Put32(std::string& s, uint32_t v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}
void Record(std::string& s, uint32_t function, std::vector<uint32_t> params) {
  Put32(s, static_cast<uint32_t>(3 + params.size()));
  Put16(s, function);
  for (uint32_t p : params) Put16(s, p);
}

// A 40 x 20 placeable metafile (96 units per inch, so one unit is one pixel): a blue rectangle
// over the whole frame, a red one over its left half, without outlines.
std::string TwoRectangles() {
  std::string body;
  Record(body, 0x020B, {0, 0});    // SetWindowOrg
  Record(body, 0x020C, {20, 40});  // SetWindowExt
  Record(body, 0x02FC,
         {0, 0, 0xFF, 0});    // CreateBrushIndirect: solid blue, Windows colour 0xFF0000
  Record(body, 0x012D, {0});  // SelectObject brush
  Record(body, 0x02FA, {5, 0, 0, 0, 0});  // CreatePenIndirect: PS_NULL
  Record(body, 0x012D, {1});              // SelectObject pen
  Record(body, 0x041B, {20, 40, 0, 0});   // Rectangle bottom, right, top, left
  Record(body, 0x02FC, {0, 0xFF, 0, 0});  // red brush: Windows colour 0x0000FF
  Record(body, 0x012D, {2});
  Record(body, 0x041B, {20, 20, 0, 0});
  Record(body, 0x0000, {});  // end
  std::string header;
  Put16(header, 1);
  Put16(header, 9);
  Put16(header, 0x300);
  Put32(header, static_cast<uint32_t>((18 + body.size()) / 2));
  Put16(header, 3);
  Put32(header, 5);
  Put16(header, 0);
  std::string placeable;
  Put32(placeable, 0x9AC6CDD7);
  for (uint32_t v : {0, 0, 0, 40, 20, 96}) Put16(placeable, v);
  Put32(placeable, 0);
  uint32_t sum = 0;
  for (size_t i = 0; i < 20; i += 2)
    sum ^= static_cast<uint8_t>(placeable[i]) | (static_cast<uint8_t>(placeable[i + 1]) << 8);
  Put16(placeable, sum);
  return placeable + header + body;
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

TEST(Metafile, EnhancedAndDamagedFilesAreRefused) {
  std::string emf;
  Put32(emf, 1);
  Put32(emf, 88);
  emf.resize(40, '\0');
  emf += " EMF";
  emf.resize(88, '\0');
  std::string error;
  EXPECT_FALSE(LoadGraphic(gkMetafile, emf, error));
  EXPECT_EQ(error, "enhanced metafiles are not supported");

  const std::string good = TwoRectangles();
  std::string huge = good;
  huge[22 + 18] = static_cast<char>(0xFF);  // first record's size: far past the end
  huge[22 + 18 + 3] = 0x7F;
  for (const std::string& bad : {std::string(), std::string("not a metafile at all, not at all"),
                                 good.substr(0, 30), good.substr(0, good.size() - 2), huge}) {
    EXPECT_FALSE(LoadGraphic(gkMetafile, bad, error));
    EXPECT_FALSE(error.empty());
  }
  for (size_t n = 0; n < good.size(); ++n)
    EXPECT_FALSE(LoadGraphic(gkMetafile, good.substr(0, n), error)) << n;
}

}  // namespace
