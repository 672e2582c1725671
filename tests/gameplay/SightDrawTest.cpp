// Drawing of the shot marks, the sight and the bonus icons with their bars and blinking.
#include <gtest/gtest.h>

#include <algorithm>

#include "game/GameUnit.h"
#include "display/SpriteSurface.h"
#include "gameplay/PlayingGame.h"
#include "platform/System.h"
#include "sound/WaveBlock.h"
#include "sound/WaveCollection.h"

namespace {

constexpr uint32_t kBar = 0xC00000;
const char* const kBonusNames[8] = {"",       "light",  "frost", "3bullets",
                                    "target", "sight1", "2500",  "cup"};

class SightDraw : public PlayingGame {
 protected:
  // Pictures w x h named as given, picture i in colour Colour(i).
  void UsePictures(const std::vector<std::string>& names, int32_t w, int32_t h) {
    g_->Pictures = std::make_unique<TDXBaseSurface>();
    g_->Pictures->Allocate(*g_->DirectDraw, w, h, int32_t(names.size()));
    g_->Pictures->ClipEnabled = true;
    for (size_t i = 0; i < names.size(); ++i) {
      Surface s(w, h);
      s.Fill(nullptr, Colour(int(i)));
      int32_t slot = -1;
      ASSERT_TRUE(g_->Pictures->PutSurface(slot, names[i], s, false));
    }
  }
  static uint32_t Colour(int i) { return 0x101000u * uint32_t(i + 1) + 0x20u; }
  // A sound device and five playable effects.
  void UseSounds() {
    ASSERT_TRUE(g_->InitSound());
    for (int i = 0; i < 5; ++i) g_->Sounds->AddBlock("s", MakeWaveBlock(TWaveFormat{}, "abcd"));
  }
  uint32_t At(int32_t x, int32_t y) { return g_->BackBuffer->Row(y)[x]; }
  void Clear() { g_->BackBuffer->Fill(nullptr, 0); }
  // Length of the run of colour on row y from x.
  int32_t Run(int32_t x, int32_t y, uint32_t colour) {
    int32_t n = 0;
    while (x + n < 800 && At(x + n, y) == colour) ++n;
    return n;
  }
};

TEST_F(SightDraw, ShotMarkRunsItsSixPicturesOverEighteenFramesThenFreesItsSlot) {
  UsePictures({"shot1", "shot2", "shot3", "shot4", "shot5", "shot6"}, 10, 10);
  g_->AddShotMark(100, 200);
  g_->AddShotMark(300, 200);
  g_->ShotMarks[1].frame = 16;  // a mark further on
  const int expected[18] = {0, 0, 0, 1, 1, 1, 2, 2, 2, 2, 2, 3, 3, 4, 4, 5, 5, -1};
  for (int frame = 0; frame < 18; ++frame) {
    Clear();
    g_->DrawShotMarks();
    if (expected[frame] < 0) {
      EXPECT_EQ(At(100, 200), 0u) << "frame 17 draws nothing";
    } else {
      EXPECT_EQ(At(100, 200), Colour(expected[frame])) << "frame " << frame;
      EXPECT_EQ(At(95, 195), Colour(expected[frame])) << "centred";
      EXPECT_EQ(At(94, 195), 0u) << "centred";
    }
    EXPECT_EQ(g_->ShotMarks[0].frame, frame == 17 ? -1 : frame + 1);
    if (frame == 1) {
      EXPECT_EQ(g_->ShotMarks[1].frame, -1) << "freed after its frame 17";
    }
  }
  Clear();
  g_->DrawShotMarks();
  EXPECT_EQ(At(100, 200), 0u);
  // The freed slot takes the next shot.
  g_->AddShotMark(7, 8);
  EXPECT_EQ(g_->ShotMarks[0].x, 7);
  EXPECT_EQ(g_->ShotMarks[0].frame, 0);
}

TEST_F(SightDraw, SightAtTheRoundedPointAndFiveSightsWithTheBonus) {
  UsePictures({"sight", "sight1"}, 9, 9);
  const uint32_t plain = Colour(0), onTarget = Colour(1);
  g_->SightX = 100.5f;  // rounds to the even 100
  g_->SightY = 201.5f;  // rounds to 202
  g_->DrawSight();
  EXPECT_EQ(At(96, 198), plain);
  EXPECT_EQ(At(95, 198), 0u);
  EXPECT_EQ(At(104, 206), plain);
  EXPECT_EQ(At(105, 206), 0u);
  EXPECT_EQ(At(175, 202), 0u) << "no extra sights without the bonus";

  g_->SightOnTarget = 1;
  g_->DrawSight();
  EXPECT_EQ(At(100, 202), onTarget);

  // "sight1" bonus: four more sights 75 pixels away; the one over a target shows "sight1".
  g_->SightOnTarget = 0;
  TTargetRec& t = g_->Targets[3];
  t.VISIBLE = 1;
  t.X = 100;
  t.Y = 127;  // above
  g_->EffectTimers[5] = 10;
  Clear();
  g_->DrawSight();
  EXPECT_EQ(At(100, 202), plain);
  EXPECT_EQ(At(175, 202), plain);
  EXPECT_EQ(At(25, 202), plain);
  EXPECT_EQ(At(100, 277), plain);
  EXPECT_EQ(At(100, 127), onTarget);
}

TEST_F(SightDraw, BonusIconsStackAndBlinkWithATickInTheirLastFrames) {
  std::vector<std::string> names(kBonusNames + 1, kBonusNames + 8);
  UsePictures(names, 30, 30);
  UseSounds();
  int32_t* timers = g_->EffectTimers;
  timers[1] = 100;  // shown, bar 3
  timers[2] = 40;   // 40 mod 17 = 6: hidden this frame, with a tick
  timers[4] = 49;   // 49 mod 17 = 15: shown, bar 1
  timers[5] = 25;   // 25 mod 17 = 8: shown, no bar
  timers[7] = 17;   // 17 mod 17 = 0: hidden, with a tick
  g_->DrawBonusIcons();
  const struct {
    int bonus;
    int32_t y, bar;
  } shown[] = {{1, 40, 3}, {4, 80, 1}, {5, 120, 0}};
  for (const auto& s : shown) {
    // 30 wide, centred on x = 18; its top at y.
    EXPECT_EQ(At(3, s.y), Colour(s.bonus - 1)) << "bonus " << s.bonus;
    EXPECT_EQ(At(32, s.y + 29), Colour(s.bonus - 1)) << "bonus " << s.bonus;
    EXPECT_EQ(At(2, s.y), 0u) << "bonus " << s.bonus;
    EXPECT_EQ(Run(5, s.y + 34, kBar), s.bar) << "bonus " << s.bonus;
    EXPECT_EQ(Run(5, s.y + 35, kBar), s.bar) << "bonus " << s.bonus;
    EXPECT_EQ(Run(5, s.y + 36, kBar), 0) << "bonus " << s.bonus;
  }
  EXPECT_EQ(At(18, 170), 0u) << "nothing below the third shown icon";
  EXPECT_EQ(g_->SoundsPlayed[4], 2);

  // The blinking icon is back on the frames whose timer mod 17 is 8 or more.
  Clear();
  timers[2] = 42;  // 42 mod 17 = 8
  timers[7] = 0;
  g_->DrawBonusIcons();
  EXPECT_EQ(At(18, 80), Colour(1));
  EXPECT_EQ(g_->SoundsPlayed[4], 2);
}

TEST_F(SightDraw, FrostFreezesTheOtherBarsAndTheyGoOnWhenItEnds) {
  UsePictures({"light", "frost", "target", "sight1"}, 30, 30);
  g_->Targets[1].VISIBLE = g_->Targets[1].NEEDHIT = 1;
  g_->Bullets = 5;
  for (int n : {1, 2, 4, 5}) g_->EffectTimers[n] = 1400;
  for (int frame = 0; frame < 320; ++frame) g_->UpdateFrame();
  g_->DrawBonusIcons();
  // light, frost, target, sight1 at y = 40, 80, 120, 160.
  EXPECT_EQ(Run(5, 74, kBar), 43);
  EXPECT_EQ(Run(5, 114, kBar), 33) << "1080 / 32";
  EXPECT_EQ(Run(5, 154, kBar), 43);
  EXPECT_EQ(Run(5, 194, kBar), 43);

  g_->EffectTimers[2] = 1;
  for (int frame = 0; frame < 65; ++frame) g_->UpdateFrame();
  Clear();
  g_->DrawBonusIcons();
  // Frost is gone; the others moved up and shrank: 1400 - 64 = 1336 (light waited one more
  // frame: timer 1 is counted before timer 2 ran out) and 1400 - 65 = 1335, both 41 long.
  EXPECT_EQ(g_->EffectTimers[1], 1336);
  EXPECT_EQ(g_->EffectTimers[4], 1335);
  EXPECT_EQ(Run(5, 74, kBar), 41);
  EXPECT_EQ(Run(5, 114, kBar), 41);
  EXPECT_EQ(Run(5, 154, kBar), 41);
  EXPECT_EQ(Run(5, 194, kBar), 0);
}

}  // namespace
