// The status line: the shifting blue line, the three fields, the sliding level name and the medals.
#include <gtest/gtest.h>

#include "frontend/HudTestFont.h"

namespace {

class Hud : public FrontendGame {};

TEST_F(Hud, LevelNameSlidesDownStaysAndSlidesBackUp) {
  UseFont(50);  // tall glyphs, so the name shows even at its highest positions
  g_->LevelName = "Name";
  const struct {
    int32_t t;
    int32_t top;  // the name's top edge; its 50-pixel glyphs end at top + 50
  } cases[] = {{0, -28}, {1, -28}, {30, -13}, {59, 1},  {60, 2},    {61, 2},
               {200, 2}, {201, 2}, {202, 1},  {203, 1}, {250, -23}, {299, -47}};
  for (const auto& c : cases) {
    Screen().Fill(nullptr, 0);
    g_->LevelNameTicks = c.t;
    g_->DrawHud();
    const TRect ink = InkOf(Screen(), kBlue, TRect{600, 0, 800, 120});
    EXPECT_EQ(ink.Bottom, c.top + 50) << "t = " << c.t;
    EXPECT_EQ(ink.Top, std::max(c.top, 0)) << "t = " << c.t;
    // Right-aligned at 795: four glyphs of advance 7 start at 767, the last one's ink ends at 794.
    EXPECT_EQ(ink.Left, 767) << "t = " << c.t;
    EXPECT_EQ(ink.Right, 794) << "t = " << c.t;
    EXPECT_EQ(g_->LevelNameTicks, c.t + 1);
  }
  // From frame 300 on the name is gone and the count stops.
  Screen().Fill(nullptr, 0);
  g_->LevelNameTicks = 300;
  g_->DrawHud();
  EXPECT_LE(InkOf(Screen(), kBlue, TRect{600, 0, 800, 120}).Right, 600);
  EXPECT_EQ(g_->LevelNameTicks, 300);
}

TEST_F(Hud, FieldsShowWhiteLabelsAndBlueNumbersOnTheBottomEdge) {
  UseFont(30);
  g_->LevelNameTicks = 300;
  g_->Level = 3;
  g_->Bullets = 12;
  g_->Score = 12345;
  g_->DrawHud();
  // Each field: the label, a space, then the number; label and space advance 7 a character.
  const struct {
    int32_t x, labelLength, digits;
  } fields[] = {{50, 6, 1}, {265, 8, 2}, {525, 6, 5}};
  for (const auto& f : fields) {
    const int32_t numberX = f.x + 7 * (f.labelLength + 1);
    const TRect label = InkOf(Screen(), kWhite, TRect{f.x - 5, 540, numberX, 600});
    EXPECT_EQ(label.Left, f.x);
    EXPECT_EQ(label.Right, f.x + 7 * f.labelLength - 1);
    const TRect number = InkOf(Screen(), kBlue, TRect{numberX - 5, 540, numberX + 7 * 6, 600});
    EXPECT_EQ(number.Left, numberX) << "field at " << f.x;
    EXPECT_EQ(number.Right, numberX + 7 * f.digits - 1) << "field at " << f.x;
    EXPECT_EQ(number.Top, 570);
    EXPECT_EQ(number.Bottom, 600);
  }
}

TEST_F(Hud, ColourLineSegmentsDifferByThreeAndShiftByTwoWrapping) {
  UseFont(30);  // the text stands below the line
  g_->LevelNameTicks = 300;
  g_->HudPhase = 250;
  for (int frame = 0; frame < 4; ++frame) {
    const int32_t phase = (250 + 2 * frame) % 256;
    EXPECT_EQ(g_->HudPhase, phase);
    g_->DrawHud();
    for (int32_t i = 0; i < 10; ++i) {
      const uint32_t blue = uint32_t((phase + 3 * i) % 256);
      EXPECT_EQ(At(80 * i, 559), blue) << "frame " << frame << " segment " << i;
      EXPECT_EQ(At(80 * i + 79, 559), blue) << "frame " << frame << " segment " << i;
    }
  }
  EXPECT_EQ(g_->HudPhase, 2);
}

TEST_F(Hud, MedalsStandInARowAndStartAgainAfterSeven) {
  constexpr uint32_t kMedal = 0x00AA00;
  UsePictures({{"medal", kMedal}}, 10, 10);
  const TRect strip{0, 0, 200, 40};
  g_->HitStreak = 6;
  g_->DrawHud();
  EXPECT_EQ(InkOf(Screen(), kMedal, strip).Left, 5);
  EXPECT_EQ(InkOf(Screen(), kMedal, strip).Top, 5);
  EXPECT_EQ(InkOf(Screen(), kMedal, strip).Right, 5 + 5 * 11 + 10);
  for (int32_t k = 0; k < 6; ++k) {
    EXPECT_EQ(At(5 + 11 * k, 5), kMedal) << "medal " << k;
    EXPECT_NE(At(15 + 11 * k, 5), kMedal) << "the 1-pixel gap after medal " << k;
  }
  // The strip is the HUD's medal part on its own.
  Screen().Fill(nullptr, 0);
  g_->DrawMedals();
  EXPECT_EQ(InkOf(Screen(), kMedal, strip).Right, 5 + 5 * 11 + 10);

  // The seventh centre hit gives the bonus bullet, and the row is empty again.
  g_->State = gsPlaying;
  g_->Targets[1].VISIBLE = g_->Targets[1].NEEDHIT = 1;
  g_->Bullets = 2;
  g_->HitStreak = 7;
  g_->UpdateFrame();
  EXPECT_EQ(g_->HitStreak, 0);
  EXPECT_EQ(g_->Bullets, 3);
  Screen().Fill(nullptr, 0);
  g_->DrawHud();
  EXPECT_LE(InkOf(Screen(), kMedal, strip).Right, 0);

  // Without the picture there is no strip, whatever the streak.
  g_->Pictures.reset();
  g_->HitStreak = 5;
  Screen().Fill(nullptr, 0);
  g_->DrawHud();
  EXPECT_LE(InkOf(Screen(), kMedal, strip).Right, 0);
}

}  // namespace
