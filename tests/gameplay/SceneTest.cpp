// The scene: background frames and their five animations, the night mask and the condition icons.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "game/GameUnit.h"
#include "display/SpriteSurface.h"
#include "gameplay/PlayingGame.h"
#include "platform/System.h"

namespace {

using Pixels = std::vector<uint32_t>;

class Scene : public PlayingGame {
 protected:
  // Backgrounds with one w x h picture whose every pixel differs from its neighbours, and the
  // work sheet as loading makes it.
  // With pw and ph, the picture is pw x ph in cells of w x h.
  void Backgrounds(int w = 256, int h = 256, int pw = 0, int ph = 0) {
    Display& dd = *g_->DirectDraw;
    g_->Backgrounds = std::make_unique<TDXBaseSurface>();
    g_->Backgrounds->Allocate(dd, w, h, 1);
    g_->Backgrounds->ClipEnabled = true;
    Surface picture(pw ? pw : w, ph ? ph : h);
    for (int y = 0; y < picture.Height(); ++y)
      for (int x = 0; x < picture.Width(); ++x)
        picture.Row(y)[x] = 0x404040 | uint32_t(x & 0xFF) << 16 | uint32_t(y & 0xFF) << 8 |
                            uint32_t((x * 7 + y) & 0xBF);
    int32_t slot = 0;
    ASSERT_TRUE(g_->Backgrounds->PutSurface(slot, "0", picture, false));
    g_->BackgroundWork = std::make_unique<TDXBaseSurface>();
    g_->BackgroundWork->Allocate(dd, w, h, 20);
    g_->BackgroundWork->ClipEnabled = true;
    g_->BackgroundIndex = 0;
  }
  void Level(uint8_t type, int32_t phaze1 = 0, int32_t phaze2 = 0, uint8_t brightness = 100) {
    g_->BackgroundType = type;
    g_->BackgroundPhaze1 = phaze1;
    g_->BackgroundPhaze2 = phaze2;
    g_->Brightness = brightness;
    ASSERT_TRUE(g_->BuildBackground());
  }

  Surface& Screen() { return *g_->BackBuffer; }
  Pixels ScreenPixels() { return Pixels(Screen().Data(), Screen().Data() + 800 * 600); }
  Pixels Draw() {
    g_->DrawBackground();
    return ScreenPixels();
  }
  static bool AllBlack(const Pixels& p) {
    return std::all_of(p.begin(), p.end(), [](uint32_t v) { return v == 0; });
  }
  // The pixels of a frame of a sheet.
  static Pixels Frame(TDXBaseSurface& sheet, int32_t slot) {
    const TRect r = sheet.GetFrameRect(slot);
    Pixels p;
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x) p.push_back(sheet.Surface->Row(y)[x]);
    return p;
  }

  // Pictures holding the condition icons, 10 x 10 each in a colour of its own.
  std::map<std::string, uint32_t> Icons() {
    const std::map<std::string, uint32_t> icons = {
        {"men", 0x000011},    {"child", 0x000022},  {"skull", 0x000033}, {"clock", 0x000044},
        {"magnet", 0x000055}, {"mirror", 0x000066}, {"right", 0x000077}, {"left", 0x000088},
        {"up", 0x000099},     {"down", 0x0000AA}};
    g_->Pictures = std::make_unique<TDXBaseSurface>();
    g_->Pictures->Allocate(*g_->DirectDraw, 10, 10, int32_t(icons.size()));
    g_->Pictures->ClipEnabled = true;
    for (const auto& [name, colour] : icons) {
      Surface s(10, 10);
      s.Fill(nullptr, colour);
      int32_t slot = -1;
      EXPECT_TRUE(g_->Pictures->PutSurface(slot, name, s, false));
    }
    return icons;
  }
  // Length of the run of colour on row y starting at x.
  int Run(int x, int y, uint32_t colour) {
    int n = 0;
    while (x + n < 800 && Screen().Row(y)[x + n] == colour) ++n;
    return n;
  }
};

TEST_F(Scene, UniformColourIgnoresBrightness) {
  g_->UniformBackground = 1;
  g_->BackgroundColor = 255;  // red in the low byte
  g_->Brightness = 10;
  const Pixels p = Draw();
  EXPECT_TRUE(std::all_of(p.begin(), p.end(), [](uint32_t v) { return v == 0xFF0000; }));
}

TEST_F(Scene, StillBackgroundAtFullBrightnessIsThePictureTiled) {
  Backgrounds(256, 256);
  Level(0);
  EXPECT_EQ(Frame(*g_->BackgroundWork, 0), Frame(*g_->Backgrounds, 0));
  Draw();
  for (int y : {0, 255, 256, 599})
    for (int x : {0, 255, 256, 799})
      EXPECT_EQ(Screen().Row(y)[x], g_->Backgrounds->Surface->Row(y % 256)[x % 256])
          << x << "," << y;
  // Half brightness halves every channel (truncated).
  Level(0, 0, 0, 50);
  const Pixels dark = Frame(*g_->BackgroundWork, 0), full = Frame(*g_->Backgrounds, 0);
  for (size_t i = 0; i < full.size(); i += 97) {
    const uint32_t f = full[i];
    EXPECT_EQ(dark[i], ((f >> 16 & 0xFF) / 2) << 16 | ((f >> 8 & 0xFF) / 2) << 8 | (f & 0xFF) / 2);
  }
}

TEST_F(Scene, ScrollingBackgroundComesBackAfter256Frames) {
  Backgrounds(256, 256);
  Level(1);
  const Pixels first = Draw();
  const Pixels second = Draw();
  EXPECT_NE(first, second);
  // One pixel left and one up per frame.
  EXPECT_EQ(second[0], first[800 + 1]);
  for (int i = 2; i < 256; ++i) g_->DrawBackground();
  EXPECT_EQ(g_->BackgroundPhaze1, 0);
  EXPECT_EQ(g_->BackgroundPhaze2, 0);
  EXPECT_EQ(Draw(), first);
}

TEST_F(Scene, FadingBackgroundIsFullAtFirstAndBlackFromFrame59) {
  Backgrounds(64, 64);
  Level(2);
  EXPECT_TRUE(AllBlack(Frame(*g_->BackgroundWork, 19)));
  const Pixels first = Draw();
  g_->BackgroundType = 0;
  EXPECT_EQ(first, Draw());  // phase 0 shows the picture itself
  g_->BackgroundType = 2;
  g_->BackgroundPhaze1 = 0;
  g_->BackgroundPhaze2 = 0;
  int firstBlack = 0;
  for (int frame = 1; frame <= 200 && !firstBlack; ++frame)
    if (AllBlack(Draw())) firstBlack = frame;
  EXPECT_EQ(firstBlack, 59);  // phase 29 shows frame 19
  // Black over phases 29..40 and -40..-29, two frames each; brightening from -28.
  int black = 1;
  while (AllBlack(Draw())) ++black;
  EXPECT_EQ(g_->BackgroundPhaze1, -28);
  EXPECT_EQ(black, 2 * 24);
}

TEST_F(Scene, BlinkingBackgroundAlternatesTileGroups) {
  Backgrounds(100, 100);
  Level(3);  // phase 1 of 0 becomes groups of one tile
  Draw();
  EXPECT_EQ(g_->BackgroundPhaze1, 1);
  const uint32_t full = g_->Backgrounds->Surface->Row(50)[50];
  // The first frame is drawn shifted by |phase 2| = 0; the next by 1.
  EXPECT_EQ(Screen().Row(50)[50], full);
  EXPECT_EQ(Screen().Row(50)[150],
            ((full >> 16 & 0xFF) / 2) << 16 | ((full >> 8 & 0xFF) / 2) << 8 | (full & 0xFF) / 2);
  EXPECT_EQ(Screen().Row(50)[250], full);
  // A negative group width shows the dark frame everywhere.
  g_->BackgroundPhaze1 = -3;
  g_->BackgroundPhaze2 = 0;
  Draw();
  EXPECT_NE(Screen().Row(50)[50], full);
}

TEST_F(Scene, SwingingBackgroundFrameTenIsUpright) {
  Backgrounds(64, 64);
  Level(4, 0, 0, 100);
  TDXBaseSurface& work = *g_->BackgroundWork;
  EXPECT_EQ(Frame(work, 10), Frame(*g_->Backgrounds, 0));
  EXPECT_NE(Frame(work, 0), Frame(work, 10));
  EXPECT_NE(Frame(work, 19), Frame(work, 10));
  // The phase runs -19..19 and shows frame |phase|.
  g_->BackgroundPhaze1 = 19;
  g_->DrawBackground();
  EXPECT_EQ(g_->BackgroundPhaze1, -19);
}

TEST_F(Scene, BadBackgroundIndexLeavesTheFramesAlone) {
  Backgrounds(64, 64);
  Level(0);
  const Pixels before = Frame(*g_->BackgroundWork, 0);
  for (int32_t index : {1, -1, 1000}) {
    g_->BackgroundIndex = index;
    g_->Brightness = 20;
    EXPECT_FALSE(g_->BuildBackground()) << index;
    EXPECT_EQ(Frame(*g_->BackgroundWork, 0), before);
  }
}

// Phases from a level file at the ends of int32 step on as they would in wide numbers: the top
// one wraps into the animation's range (a 32-bit sum would wrap to the bottom), the bottom one
// counts up.
TEST_F(Scene, HostilePhasesStepWithoutOverflow) {
  Backgrounds(64, 64);
  constexpr int32_t kMin = INT32_MIN, kMax = INT32_MAX;
  for (uint8_t type = 0; type <= 4; ++type) {
    Level(type);
    const int32_t fadeLimit = g_->BackgroundFadeFrames + 20, swing = g_->BackgroundSwingFrames;
    // Both phases before the frame, each phase after it.
    const struct {
      int32_t before, phase1, phase2;
    } cases[5][2] = {
        {{kMax, kMax, kMax}, {kMin, kMin, kMin}},
        {{kMax, 0, 0}, {kMin, -63, -63}},
        {{kMax, -fadeLimit, 0}, {kMin, kMin, -1}},
        {{kMax, kMax, -64}, {kMin, kMin, kMin + 1}},
        {{kMax, 1 - swing, kMax}, {kMin, kMin + 1, kMin}},
    };
    for (const auto& c : cases[type]) {
      g_->BackgroundPhaze1 = g_->BackgroundPhaze2 = c.before;
      g_->DrawBackground();
      EXPECT_EQ(g_->BackgroundPhaze1, c.phase1) << int(type) << " from " << c.before;
      EXPECT_EQ(g_->BackgroundPhaze2, c.phase2) << int(type) << " from " << c.before;
      g_->DrawBackground();
    }
  }
}

TEST_F(Scene, EveryPixelOfTheBackgroundIsDrawnEachFrame) {
  // Whatever the screen held before, the background leaves the same frame: black wherever no
  // picture lies (beside smaller frames, around a shifted grid, where a copy is refused) and
  // where the picture has its key.
  struct Case {
    uint8_t type;
    int32_t phaze1, phaze2;
    int pictureWidth, pictureHeight;
    bool keyed, clipped;
  };
  for (const Case c : {Case{0, 0, 0, 64, 64, false, true}, Case{1, 5, 7, 64, 64, false, true},
                       Case{1, -30, -10, 64, 64, false, true}, Case{3, 2, -40, 64, 64, true, true},
                       Case{4, 0, 0, 40, 30, true, true}, Case{4, 10, 0, 40, 30, true, true},
                       Case{4, 10, 0, 40, 30, false, true}, Case{1, 5, 7, 64, 64, true, false},
                       Case{2, 12, 0, 64, 64, false, true}, Case{1, INT32_MAX, 3, 64, 64, true, true}}) {
    Backgrounds(64, 64, c.pictureWidth, c.pictureHeight);
    g_->BackgroundWork->ColorKey = 0x0000FF;
    g_->BackgroundWork->SetUseColorKey(c.keyed);
    g_->BackgroundWork->ClipEnabled = c.clipped;
    Level(c.type, c.phaze1, c.phaze2);
    std::vector<Pixels> frames;
    for (uint32_t before : {0x111111u, 0x222222u}) {
      g_->BackgroundPhaze1 = c.phaze1;
      g_->BackgroundPhaze2 = c.phaze2;
      Screen().Fill(nullptr, before);
      frames.push_back(Draw());
    }
    const std::string what = "type " + std::to_string(c.type) + " phases " +
                             std::to_string(c.phaze1) + "," + std::to_string(c.phaze2);
    EXPECT_EQ(frames[0], frames[1]) << what;
    EXPECT_EQ(std::count(frames[0].begin(), frames[0].end(), 0x111111u), 0) << what;
    if (c.keyed) {
      EXPECT_EQ(std::count(frames[0].begin(), frames[0].end(), 0xFF0000u), 0) << what;
    }
  }
}

TEST_F(Scene, NightShowsOnlyTheDiscAroundTheSight) {
  g_->SightMask = std::make_unique<TDXBaseSurface>();
  g_->SightMask->Allocate(*g_->DirectDraw, 240, 240, 1);
  g_->SightMask->ColorKey = 0xFFFFFF;
  g_->SightMask->SetUseColorKey(true);
  g_->SightMask->ClipEnabled = true;
  g_->BuildSightMask();
  g_->SightX = 15;
  g_->SightY = 560;
  Screen().Fill(nullptr, 0x808080);
  g_->DrawNight();
  for (int y = 0; y < 600; y += 3)
    for (int x = 0; x < 800; x += 3) {
      const double d = std::hypot(x - 15, y - 560);
      if (d < 119) {
        ASSERT_EQ(Screen().Row(y)[x], 0x808080u) << x << "," << y;
      } else if (d > 121) {
        ASSERT_EQ(Screen().Row(y)[x], 0u) << x << "," << y;
      }
    }
  // The "light" bonus lifts the night.
  Screen().Fill(nullptr, 0x808080);
  g_->EffectTimers[1] = 10;
  g_->DrawNight();
  EXPECT_EQ(Screen().Row(0)[799], 0x808080u);
}

TEST_F(Scene, ConditionIconsAndTheirBars) {
  const auto icons = Icons();
  Screen().Fill(nullptr, 0);
  g_->Difficulty = 2;
  g_->TimeLimitOn = 1;
  g_->TimeCounter = 1000;
  g_->MagnetOn = 1;
  g_->WindOn = 1;
  g_->WindX = 3;
  g_->WindY = -2;
  g_->DrawConditionIcons();
  // Bottom edges on y = 550, centred on 780, then 740, 700, ...
  EXPECT_EQ(Screen().Row(549)[780], icons.at("skull"));
  EXPECT_EQ(Screen().Row(550)[780], 0u);
  EXPECT_EQ(Screen().Row(545)[740], icons.at("clock"));
  EXPECT_EQ(Run(732, 552, 0x00FF00), 7);  // 1000 div 128
  EXPECT_EQ(Run(732, 553, 0x00FF00), 7);
  EXPECT_EQ(Screen().Row(554)[732], 0u);
  EXPECT_EQ(Screen().Row(545)[700], icons.at("magnet"));
  EXPECT_EQ(Screen().Row(545)[660], icons.at("right"));
  EXPECT_EQ(Run(652, 552, 0xFF0000), 9);
  EXPECT_EQ(Screen().Row(545)[620], icons.at("down"));
  EXPECT_EQ(Run(612, 552, 0xFF0000), 6);
  EXPECT_EQ(Run(612, 553, 0xFF0000), 6);

  // Without a difficulty icon the row starts at 780.
  g_->Pictures.reset();
  Screen().Fill(nullptr, 0);
  g_->TimeCounter = 128 * 30;
  g_->MagnetOn = 0;
  g_->WindOn = 0;
  g_->DrawConditionIcons();
  EXPECT_EQ(Run(772, 552, 0x00FF00), 28);  // cut at the screen's edge
}

}  // namespace
