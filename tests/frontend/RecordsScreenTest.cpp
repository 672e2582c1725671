// The screens of the table of records: the name entry and the table with its rules, pictures,
// right-aligned numbers and the last game's row in white.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "game/GameUnit.h"
#include "assets/Collections.h"
#include "assets/MemoryStream.h"
#include "display/Letters.h"
#include "display/SpriteSurface.h"
#include "frontend/StyledTestFont.h"
#include "image/Bmp.h"
#include "platform/System.h"

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kBlue = 0x0000FF;  // style 1 of the game's font
constexpr uint32_t kRule = 0x000080;

TRecordRow Row(const char* name, int32_t score, uint8_t difficulty, uint8_t won) {
  TRecordRow r;
  r.used = 1;
  r.nameLength = 10;
  std::memset(r.name, ' ', 10);
  std::memcpy(r.name, name, std::strlen(name));
  r.score = score;
  r.targets = 12;
  r.medals = 3;
  r.levels = 4;
  r.misses = 7;
  r.difficulty = difficulty;
  r.won = won;
  return r;
}

// The pictures of the table, 10 x 10 each in a colour of its own.
const std::map<std::string, uint32_t> kPictures = {
    {"men", 0x000011},   {"child", 0x000022},  {"skull", 0x000033},
    {"cup", 0x000044},   {"up", 0x000055},     {"2500", 0x000066},
    {"medal", 0x000077}, {"target", 0x000088}, {"3bullets", 0x000099}};

class RecordsScreen : public ::testing::Test {
 protected:
  void SetUp() override {
    system_ = System::Create(true, false);
    g_ = std::make_unique<TGame>(*system_);
    ASSERT_TRUE(g_->InitDisplay());
    g_->Font = TestFont(*g_->DirectDraw);
    g_->Pictures = std::make_unique<TDXBaseSurface>();
    g_->Pictures->Allocate(*g_->DirectDraw, 10, 10, int32_t(kPictures.size()));
    g_->Pictures->ClipEnabled = true;
    for (const auto& [name, color] : kPictures) {
      Surface s(10, 10);
      s.Fill(nullptr, color);
      int32_t slot = -1;
      ASSERT_TRUE(g_->Pictures->PutSurface(slot, name, s, false));
    }
  }
  uint32_t Pixel(int32_t x, int32_t y) const { return g_->BackBuffer->Row(y)[x]; }
  // Leftmost and rightmost column of rows top..top+h-1 holding a pixel other than the screen's.
  std::pair<int32_t, int32_t> InkColumns(int32_t top, int32_t h) const {
    int32_t left = 800, right = -1;
    for (int32_t y = top; y < top + h; ++y)
      for (int32_t x = 0; x < 800; ++x)
        if (Pixel(x, y) != kScreenColor) left = std::min(left, x), right = std::max(right, x);
    return {left, right};
  }

  std::unique_ptr<System> system_;
  std::unique_ptr<TGame> g_;
};

TEST_F(RecordsScreen, TableShowsUsedRowsWithTheLastGameInWhite) {
  const int32_t h = g_->Font->LineHeight("W");
  g_->ClearRecords();
  g_->Records[0] = Row("Ann", 1234, 2, 1);
  g_->Records[2] = Row("Bob", 900, 1, 0);  // the unused row between takes no room
  g_->Records[3] = Row("Cy", 800, 3, 0);   // a difficulty no game writes
  g_->RecordEntry = g_->Records[2];
  g_->RecordEntry.used = 0;  // the used flag does not take part
  g_->State = gsRecords;
  g_->DrawRecords();

  // Head row.
  EXPECT_EQ(Pixel(25, 90), kWhite);  // "Player"
  const std::pair<const char*, int32_t> head[] = {{"men", 270},     {"cup", 310},   {"up", 365},
                                                  {"2500", 485},    {"medal", 605}, {"target", 675},
                                                  {"3bullets", 745}};
  for (const auto& [name, x] : head) {
    EXPECT_EQ(Pixel(x - 5, 90), kPictures.at(name)) << name;
    EXPECT_EQ(Pixel(x + 4, 99), kPictures.at(name)) << name;
  }

  // Rules: under the head, under the three rows, and the columns between.
  const int32_t bottom = 130 + 3 * (h + 5);
  EXPECT_EQ(Pixel(10, 130), kRule);
  EXPECT_EQ(Pixel(789, 130), kRule);
  EXPECT_EQ(Pixel(790, 130), kScreenColor);
  EXPECT_EQ(Pixel(15, bottom), kRule);
  EXPECT_EQ(Pixel(15, bottom + 1), kScreenColor);
  for (int32_t x : {20, 250, 290, 330, 400, 570, 640, 710, 780}) {
    EXPECT_EQ(Pixel(x, 120), kRule) << x;
    EXPECT_EQ(Pixel(x, bottom - 1), kRule) << x;
    EXPECT_EQ(Pixel(x, bottom + 2), kScreenColor) << x;
  }

  // Rows at 135, 135 + h + 5, ...: names, difficulty pictures, the cup of the won game.
  const int32_t y0 = 135, y1 = 135 + h + 5, y2 = 135 + 2 * (h + 5);
  EXPECT_EQ(Pixel(25, y0), kBlue);
  EXPECT_EQ(Pixel(25, y1), kWhite);
  EXPECT_EQ(Pixel(25, y2), kBlue);
  EXPECT_EQ(Pixel(270, y0 + 1), kPictures.at("skull"));
  EXPECT_EQ(Pixel(310, y0 + 1), kPictures.at("cup"));
  EXPECT_EQ(Pixel(270, y1 + 1), kPictures.at("child"));
  EXPECT_EQ(Pixel(310, y1 + 1), kScreenColor);
  EXPECT_EQ(Pixel(270, y2 + 1), kScreenColor);

  // Numbers end at their column's right edge: the white row's ink reaches x - 1.
  for (int32_t x : {395, 565, 635, 705, 775}) {
    EXPECT_EQ(Pixel(x - 1, y1), kWhite) << x;
    EXPECT_EQ(Pixel(x, y1), kScreenColor) << x;
  }
  const int32_t scoreWidth = g_->Font->LineWidth("900");
  EXPECT_EQ(Pixel(565 - scoreWidth, y1), kWhite);
  EXPECT_EQ(Pixel(565 - scoreWidth - 1, y1), kScreenColor);
}

TEST_F(RecordsScreen, EmptyTableHasItsRulesTogether) {
  g_->ClearRecords();
  g_->DrawRecords();
  EXPECT_EQ(Pixel(15, 130), kRule);
  EXPECT_EQ(Pixel(20, 129), kRule);
  EXPECT_EQ(Pixel(20, 131), kScreenColor);
}

TEST_F(RecordsScreen, NameEntryCentresThePromptAndTheName) {
  g_->RecordEntry = Row("Ann", 0, 0, 0);
  g_->State = gsEnterName;
  g_->Font->StartBoom("Enter your name:", 10, 0.5f, 100);
  g_->DrawNameEntry();
  const int32_t prompt = g_->Font->LineWidth("Enter your name:");
  EXPECT_EQ(InkColumns(270, 10), std::make_pair(400 - prompt / 2, 400 - prompt / 2 + prompt - 1));
  EXPECT_EQ(Pixel(400 - prompt / 2, 270), kWhite);

  // The name is the whole ten-character field, blanks included, in blue.
  const int32_t name = g_->Font->LineWidth("&1Ann       ");
  const auto [left, right] = InkColumns(350, 11);
  EXPECT_EQ(left, 400 - name / 2);
  EXPECT_EQ(Pixel(left, 350), kBlue);
  EXPECT_LT(right, 400);
  EXPECT_EQ(InkColumns(300, 40).second, -1);  // nothing between, no caret
}

}  // namespace
