// The ends of a game: settling the score and the result row, the statistics block, the game-over
// screen with its bobbing title and the win screen with its creeping columns and bursting title.
#include <gtest/gtest.h>

#include <cstring>

#include "frontend/HudTestFont.h"

namespace {

constexpr uint32_t kLogo = 0x112233, kCup = 0x445566;

class ResultScreens : public FrontendGame {
 protected:
  void SetUp() override {
    FrontendGame::SetUp();
    g_->Level = 4;
    g_->TargetsHit = 21;
    g_->Medals = 9;
    g_->Misses = 5;
    g_->ClearRecords();
    std::memcpy(g_->RecordEntry.name, "Ivan      ", 10);
  }
  // The logo sheet as loading makes it: frame 0 "logo", frame 1 "cup_big".
  void UseLogo() {
    g_->LogoSurface = std::make_unique<TDXBaseSurface>();
    g_->LogoSurface->Allocate(*g_->DirectDraw, 40, 20, 2);
    g_->LogoSurface->ClipEnabled = true;
    for (auto [name, colour] : {std::pair{"logo", kLogo}, std::pair{"cup_big", kCup}}) {
      Surface s(40, 20);
      s.Fill(nullptr, colour);
      int32_t slot = -1;
      ASSERT_TRUE(g_->LogoSurface->PutSurface(slot, name, s, false));
    }
  }
};

void ExpectRow(const TGame& g, uint8_t won) {
  const TRecordRow& r = g.RecordEntry;
  EXPECT_EQ(r.used, 1);
  EXPECT_EQ(r.score, g.Score);
  EXPECT_EQ(r.targets, 21);
  EXPECT_EQ(r.medals, 9);
  EXPECT_EQ(r.levels, 4);
  EXPECT_EQ(r.misses, 5);
  EXPECT_EQ(r.difficulty, g.Difficulty);
  EXPECT_EQ(r.won, won);
  EXPECT_EQ(std::string(r.name, 10), "Ivan      ");
}

TEST_F(ResultScreens, GameOverSettlesPendingPointsByDifficultyAndFillsTheRow) {
  const struct {
    uint8_t difficulty;
    int32_t pending, added;
  } cases[] = {{0, 151, 151}, {1, 151, 75}, {2, 151, 226}, {2, 3, 4}, {1, 1, 0}, {0, 0, 0}};
  for (const auto& c : cases) {
    g_->State = gsPlaying;
    g_->Difficulty = c.difficulty;
    g_->Score = 1000;
    g_->PendingScore = c.pending;
    g_->GameOver();
    EXPECT_EQ(g_->State, gsGameOver);
    EXPECT_EQ(g_->Score, 1000 + c.added)
        << "difficulty " << int(c.difficulty) << " pending " << c.pending;
    EXPECT_EQ(g_->PendingScore, 0);
    ExpectRow(*g_, 0);
  }
  // The row is a finished game's: it enters an empty table at the top.
  EXPECT_EQ(g_->FindRecordPlace(g_->RecordEntry), 1);
}

TEST_F(ResultScreens, GameWonAddsTenThousandAndTwoHundredFiftyABulletWeighted) {
  const struct {
    uint8_t difficulty;
    int32_t bullets, pending, added;
  } cases[] = {
      {0, 3, 0, 10750},   {1, 3, 0, 5375},  {2, 3, 0, 16125},
      {0, 0, 151, 10151}, {2, 1, 1, 15376},  // 10251 x 1.5 = 15376.5, halves to even
      {1, 0, 1, 5000},
  };
  for (const auto& c : cases) {
    g_->State = gsLevelDone;
    g_->Difficulty = c.difficulty;
    g_->Bullets = c.bullets;
    g_->Score = 500;
    g_->PendingScore = c.pending;
    g_->WinScrollY = -17;
    g_->WinFirstPicture = 2;
    g_->GameWon();
    EXPECT_EQ(g_->State, gsWin);
    EXPECT_EQ(g_->Score, 500 + c.added) << "difficulty " << int(c.difficulty) << " bullets "
                                        << c.bullets << " pending " << c.pending;
    EXPECT_EQ(g_->PendingScore, 0);
    EXPECT_EQ(g_->WinScrollY, 0);
    EXPECT_EQ(g_->WinFirstPicture, 0);
    ExpectRow(*g_, 1);
  }
  EXPECT_EQ(g_->FindRecordPlace(g_->RecordEntry), 1);
}

TEST_F(ResultScreens, GameOverScreenShowsLogoStatisticsAndTheBobbingTitle) {
  UseFont(20);
  UseLogo();
  g_->Score = 12345;
  g_->GameOver();
  g_->DrawGameOver();
  EXPECT_EQ(At(0, 0), kScreenColor);
  EXPECT_EQ(At(799, 599), kScreenColor);
  // The logo hangs centred from y = 50.
  const TRect logo = InkOf(Screen(), kLogo, TRect{0, 0, 800, 200});
  EXPECT_EQ(logo.Left, 380);
  EXPECT_EQ(logo.Top, 50);
  EXPECT_EQ(logo.Bottom, 70);

  // Statistics: rows LineHeight("W") + 4 = 24 apart; blue labels from x = 250, white numbers
  // ending at x = 550 (the last glyph's ink ends one pixel before its advance).
  const int32_t values[5] = {12345, 21, 9, 5, 4};
  const int32_t labels[5] = {7, 9, 8, 8, 8};  // "Score: " ... "Levels: " in characters
  for (int k = 0; k < 5; ++k) {
    const TRect row{200, 350 + 24 * k, 600, 350 + 24 * k + 24};
    const TRect label = InkOf(Screen(), kBlue, row);
    EXPECT_EQ(label.Left, 250) << "row " << k;
    EXPECT_EQ(label.Top, 350 + 24 * k) << "row " << k;
    EXPECT_EQ(label.Bottom, 370 + 24 * k) << "row " << k;
    EXPECT_EQ(label.Right, 250 + 7 * (labels[k] - 1) - 1) << "row " << k;  // trailing blank
    const TRect value = InkOf(Screen(), kWhite, row);
    EXPECT_EQ(value.Right, 549) << "row " << k;
    EXPECT_EQ(value.Left, 550 - 7 * int32_t(std::to_string(values[k]).size())) << "row " << k;
  }

  // "GAME  OVER!": 9 glyphs and 2 blanks, 77 wide, starts at 400 - 38; its letters bob below
  // 270 - 15 and stay clear of the statistics.
  for (int frame = 0; frame < 40; ++frame) {
    const TRect title = InkOf(Screen(), kBlue, TRect{0, 200, 800, 345});
    EXPECT_EQ(title.Left, 362) << "frame " << frame;
    EXPECT_GE(title.Top, 255) << "frame " << frame;
    EXPECT_LE(title.Bottom, 345) << "frame " << frame;
    Screen().Fill(nullptr, 0);
    g_->DrawGameOver();
  }
}

TEST_F(ResultScreens, WinColumnsCreepUpTwoPixelsAFrameThroughEveryPicture) {
  UseFont(20);
  UseLogo();
  // Three target pictures, 20 x 30, each its own colour: a picture and its gap make 40 pixels.
  const uint32_t colours[3] = {0xAA0000, 0x00AA00, 0x0000AA};
  g_->TargetPictures = std::make_unique<TDXBaseSurface>();
  g_->TargetPictures->Allocate(*g_->DirectDraw, 20, 30, 3);
  g_->TargetPictures->ClipEnabled = true;
  for (uint32_t colour : colours) {
    Surface s(20, 30);
    s.Fill(nullptr, colour);
    int32_t slot = -1;
    ASSERT_TRUE(g_->TargetPictures->PutSurface(slot, "t", s, false));
  }
  g_->GameWon();
  for (int32_t k = 0; k < 130; ++k) {
    g_->DrawWin();
    // Picture j of the endless column has its top at 40 j - 2 k.
    for (int32_t j = 0; j < 20; ++j) {
      const int32_t top = 40 * j - 2 * k;
      if (top < 0 || top + 40 > 600) continue;
      for (int32_t x : {70, 730}) {
        ASSERT_EQ(At(x, top), colours[j % 3]) << "frame " << k << " picture " << j;
        ASSERT_EQ(At(x, top + 29), colours[j % 3]) << "frame " << k << " picture " << j;
        ASSERT_EQ(At(x, top + 30), kScreenColor) << "frame " << k << " gap after " << j;
        ASSERT_EQ(At(x - 10, top), colours[j % 3]) << "centred on the column";
        ASSERT_EQ(At(x - 11, top), kScreenColor) << "centred on the column";
      }
    }
    ASSERT_GE(g_->WinFirstPicture, 0);
    ASSERT_LT(g_->WinFirstPicture, 3);
  }
  // The cup hangs centred from y = 20.
  EXPECT_EQ(InkOf(Screen(), kCup, TRect{0, 0, 800, 200}).Top, 20);
  EXPECT_EQ(InkOf(Screen(), kCup, TRect{0, 0, 800, 200}).Left, 380);
}

TEST_F(ResultScreens, WinTitleStandsWholeThenBurstsWithinTheScreen) {
  UseFont(20);
  g_->GameWon();
  // "You WIN the GAME!": 14 glyphs and 3 blanks, 119 wide, from 400 - 59.
  for (int frame = 0; frame < 40; ++frame) {
    Screen().Fill(nullptr, 0);
    g_->DrawWin();
    const TRect title = InkOf(Screen(), kWhite, TRect{0, 200, 800, 345});
    ASSERT_EQ(title.Left, 341) << "frame " << frame;
    ASSERT_EQ(title.Right, 341 + 119 - 1) << "frame " << frame;
    ASSERT_EQ(title.Top, 270) << "frame " << frame;
  }
  // Then the first letter bursts: the rest of the line stands where it stood.
  Screen().Fill(nullptr, 0);
  g_->DrawWin();
  EXPECT_EQ(At(341 + 7, 275), kWhite);
  EXPECT_EQ(InkOf(Screen(), kWhite, TRect{0, 200, 800, 345}).Right, 341 + 119 - 1);
  // Without pictures, logo or font the screen is only its colour.
  g_->Font.reset();
  g_->DrawWin();
  EXPECT_EQ(At(400, 300), kScreenColor);
}

}  // namespace
