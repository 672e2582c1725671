// Targets and magnets: phases, glide and jump paths, frost, drawing from the state before the
// update, the circle frames and the magnet frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "game/GameUnit.h"
#include "display/SpriteSurface.h"
#include "gameplay/PlayingGame.h"
#include "base/Random.h"
#include "platform/System.h"

namespace {

constexpr uint32_t kPictureColour = 0x00FF00;

class Targets : public PlayingGame {
 protected:
  // One green 20 x 30 target picture, the circle frames and the ten work sheets, as loading
  // leaves them.
  void Sheets() {
    Display& dd = *g_->DirectDraw;
    g_->TargetPictures = std::make_unique<TDXBaseSurface>();
    g_->TargetPictures->Allocate(dd, 20, 30, 1);
    g_->TargetPictures->ClipEnabled = true;
    g_->TargetPictures->SetUseColorKey(true);
    Surface picture(20, 30);
    picture.Fill(nullptr, kPictureColour);
    int32_t slot = 0;
    ASSERT_TRUE(g_->TargetPictures->PutSurface(slot, "-1", picture, false));

    GameRandom().Seed(5);
    g_->TargetCircles = std::make_unique<TDXBaseSurface>();
    g_->TargetCircles->Allocate(dd, 39, 39, 190);
    g_->TargetCircles->ClipEnabled = true;
    g_->TargetCircles->SetUseColorKey(true);
    ASSERT_TRUE(g_->BuildTargetCircles(*g_->TargetCircles));

    g_->TargetWork = std::make_unique<TSurfaceList>();
    for (int n = 0; n < 10; ++n) {
      auto sheet = std::make_unique<TDXBaseSurface>();
      sheet->Allocate(dd, 20, 30, 20);
      sheet->ClipEnabled = true;
      sheet->SetUseColorKey(true);
      g_->TargetWork->AddSurface(std::to_string(n), std::move(sheet));
    }
  }

  TTargetRec& Target(int slot, int x, int y, uint8_t type = 0, uint8_t size = 0) {
    TTargetRec& t = g_->Targets[slot];
    t = TTargetRec{};
    t.VISIBLE = 1;
    t.NEEDHIT = 1;
    t.X = x;
    t.Y = y;
    t.TYPE = type;
    t.SIZE = size;
    return t;
  }

  // The path of a level key such as "100,100,0:200,100,9".
  static void Path(TTargetRec& t, std::vector<TPathPoint> points, uint8_t go) {
    t.GOTYPE = go;
    for (size_t i = 0; i < points.size(); ++i) t.COORDARRAY[i] = points[i];
  }

  Surface& Screen() { return *g_->BackBuffer; }
  void ClearScreen() { Screen().Fill(nullptr, 0); }
  int Count(uint32_t colour) {
    return int(std::count(Screen().Data(), Screen().Data() + 800 * 600, colour));
  }
  int Lit() { return 800 * 600 - Count(0); }
  // The circle frame drawn alone at (x, y), as a screen of its own.
  std::vector<uint32_t> CircleAlone(const std::string& name, int x, int y) {
    Surface s(800, 600);
    s.Fill(nullptr, 0);
    const int32_t f = g_->TargetCircles->FindFrame(name);
    EXPECT_GE(f, 0) << name;
    g_->TargetCircles->Draw(s, x, y, f, daCenter, daCenter);
    return std::vector<uint32_t>(s.Data(), s.Data() + 800 * 600);
  }
  std::vector<uint32_t> ScreenPixels() {
    return std::vector<uint32_t>(Screen().Data(), Screen().Data() + 800 * 600);
  }
};

TEST_F(Targets, GlideReachesEachPointInNPlusOneFramesAndLoops) {
  TTargetRec& t = Target(1, 100, 100);
  Path(t, {{100, 100, 0}, {200, 100, 9}}, 1);
  std::vector<int> xs;
  for (int frame = 0; frame < 26; ++frame) {
    g_->UpdateTarget(1);
    xs.push_back(t.X);
    EXPECT_EQ(t.Y, 100);
  }
  // The first frame only sets the step; ten frames to 200; one frame to set the step back; one
  // jump home; then the same again.
  const std::vector<int> expected = {100, 110, 120, 130, 140, 150, 160, 170, 180,
                                     190, 200, 200, 100, 100, 110, 120, 130, 140,
                                     150, 160, 170, 180, 190, 200, 200, 100};
  EXPECT_EQ(xs, expected);
}

TEST_F(Targets, JumpWaitsTheFramesOfEachPoint) {
  TTargetRec& t = Target(1, 10, 10);
  Path(t, {{50, 50, 3}, {60, 60, 5}}, 2);
  std::vector<std::pair<int, int>> drawnAt;
  for (int frame = 0; frame < 12; ++frame) {
    // The frame's drawing shows the record before its update.
    drawnAt.emplace_back(t.X, t.Y);
    g_->UpdateTarget(1);
  }
  const std::vector<std::pair<int, int>> expected = {{10, 10}, {10, 10}, {10, 10}, {60, 60},
                                                     {60, 60}, {60, 60}, {60, 60}, {60, 60},
                                                     {50, 50}, {50, 50}, {50, 50}, {60, 60}};
  EXPECT_EQ(drawnAt, expected);
}

TEST_F(Targets, HostilePathValuesNeitherDivideByZeroNorOverflow) {
  TTargetRec& t = Target(1, 0, 0);
  // A frame count of -1 would divide by zero; -5 would move the wrong way.
  Path(t, {{0, 0, 0}, {40, 0, -1}, {80, 0, -5}, {2000000000, -2000000000, 1}}, 1);
  g_->UpdateTarget(1);
  g_->UpdateTarget(1);
  EXPECT_EQ(t.X, 40);
  g_->UpdateTarget(1);
  g_->UpdateTarget(1);
  EXPECT_EQ(t.X, 80);
  for (int i = 0; i < 6; ++i) g_->UpdateTarget(1);
  EXPECT_GE(t.X, 0);
  TTargetRec& j = Target(2, 0, 0);
  Path(j, {{5, 5, 1}}, 2);
  j.PathIndex = 57;  // out of the path
  g_->UpdateTarget(2);
  EXPECT_EQ(j.X, 5);
}

TEST_F(Targets, FrostStopsMotionButNotAnimation) {
  TTargetRec& t = Target(1, 100, 100, 5);
  Path(t, {{100, 100, 0}, {200, 100, 9}}, 1);
  g_->UpdateTarget(1);
  g_->UpdateTarget(1);
  ASSERT_EQ(t.X, 110);
  g_->EffectTimers[2] = 50;
  for (int i = 0; i < 20; ++i) g_->UpdateTarget(1);
  EXPECT_EQ(t.X, 110);
  EXPECT_EQ(t.PHAZE1, 11);  // one phase every second frame
  g_->EffectTimers[2] = 0;
  g_->UpdateTarget(1);
  EXPECT_EQ(t.X, 120);
}

TEST_F(Targets, PhasesWrapByKind) {
  struct Case {
    uint8_t type;
    int32_t start, period;
  } cases[] = {{1, 29, 30}, {2, 69, 70}, {4, 38, 39}, {5, 30, 31}};
  for (const Case& c : cases) {
    TTargetRec& t = Target(1, 0, 0, c.type);
    t.PHAZE1 = c.start;
    g_->UpdateTarget(1);
    EXPECT_EQ(t.PHAZE1, c.start) << int(c.type);
    g_->UpdateTarget(1);
    EXPECT_EQ(t.PHAZE1, 0) << int(c.type);
  }
  TTargetRec& plain = Target(1, 0, 0, 3);
  plain.PHAZE1 = 7;
  g_->UpdateTarget(1);
  g_->UpdateTarget(1);
  EXPECT_EQ(plain.PHAZE1, 7);
  TTargetRec& huge = Target(1, 0, 0, 1);
  huge.PHAZE1 = INT32_MAX;
  huge.PHAZE2 = 1;
  g_->UpdateTarget(1);
  EXPECT_EQ(huge.PHAZE1, int32_t((int64_t(INT32_MAX) + 1) % 30));
}

TEST_F(Targets, FallingTargetVanishesAtPhaseTenOrBeyond) {
  TTargetRec& t = Target(1, 0, 0, 6);
  for (int i = 1; i < 10; ++i) {
    g_->UpdateTarget(1);
    ASSERT_TRUE(t.VISIBLE) << i;
  }
  g_->UpdateTarget(1);
  EXPECT_FALSE(t.VISIBLE);
  TTargetRec& late = Target(2, 0, 0, 6);
  late.PHAZE1 = 50;
  g_->UpdateTarget(2);
  EXPECT_FALSE(late.VISIBLE);

  // A level file may start a falling target at any phase: drawn without overflow, gone at once
  // from 10 on, counting up from below 0.
  Sheets();
  for (int32_t phase : {INT32_MAX, 8589935, INT32_MIN, -8589935}) {
    TTargetRec& wild = Target(3, 400, 300, 6);
    wild.PHAZE1 = phase;
    g_->DrawTargets();
    EXPECT_EQ(bool(wild.VISIBLE), phase < 0) << phase;
  }
}

TEST_F(Targets, DrawShowsTheRecordBeforeItsUpdate) {
  Sheets();
  TTargetRec& t = Target(1, 100, 200, 7);
  Path(t, {{500, 400, 1}}, 2);
  ClearScreen();
  g_->DrawTargets();  // jumps in this update, drawn where it stood
  EXPECT_EQ(t.X, 500);
  EXPECT_EQ(Screen().Row(199)[100], kPictureColour);
  EXPECT_EQ(Screen().Row(170)[90], kPictureColour);
  EXPECT_EQ(Screen().Row(200)[100], 0u);  // bottom edge on y
  EXPECT_EQ(Count(kPictureColour), 20 * 30);
  EXPECT_EQ(Lit(), 20 * 30);  // kind 7 has no circle
}

TEST_F(Targets, FadingTargetFromPhase15IsGoneAndUnhittableUntilPhase41) {
  Sheets();
  TTargetRec& t = Target(1, 400, 300, 2);
  t.PHAZE1 = 15;
  g_->BuildTargetFrames();
  int frame = 0;
  for (; frame < 200; ++frame) {
    const int32_t phase = t.PHAZE1;
    bool hit = false, centre = false;
    int32_t slot = -1;
    g_->HitTest(400, 300, hit, centre, slot);
    ClearScreen();
    g_->DrawTarget(1);
    if (phase >= 41) {
      EXPECT_TRUE(hit);
      EXPECT_GT(Lit(), 0);
      break;
    }
    ASSERT_FALSE(hit) << "phase " << phase;
    ASSERT_EQ(Lit(), 0) << "phase " << phase;
  }
  EXPECT_EQ(frame, 52);  // 26 phases of two frames each
  EXPECT_EQ(ScreenPixels(), [&] {
    // Phase 41 shows fade frame 9 and circle frame 9 of kind 2.
    ClearScreen();
    g_->TargetWork->GetSurface(0)->Draw(Screen(), 400, 300, 9, daCenter, daBottom);
    g_->TargetCircles->Draw(Screen(), 400, 300, g_->TargetCircles->FindFrame("02_9"), daCenter,
                            daCenter);
    return ScreenPixels();
  }());
}

TEST_F(Targets, SmallGleamingTargetShowsPlainCircleOnPhases9To11) {
  Sheets();
  for (int p = 0; p < 30; ++p) {
    TTargetRec& t = Target(1, 300, 300, 1, 2);
    t.PICTUREINDEX = 99;  // no picture: the circle alone
    t.PHAZE1 = p;
    ClearScreen();
    g_->DrawTarget(1);
    const int gleam = p >= 1 && p <= 8 ? p : 0;
    EXPECT_EQ(ScreenPixels(), CircleAlone("21_" + std::to_string(gleam), 300, 300)) << p;
  }
}

TEST_F(Targets, TargetBonusDrawsEveryCircleAtFullSize) {
  Sheets();
  const auto width = [&] {
    int minX = 800, maxX = -1;
    for (int y = 0; y < 600; ++y)
      for (int x = 0; x < 800; ++x)
        if (Screen().Row(y)[x] != 0 && Screen().Row(y)[x] != kPictureColour) {
          minX = std::min(minX, x);
          maxX = std::max(maxX, x);
        }
    return maxX - minX + 1;
  };
  TTargetRec& t = Target(1, 300, 300, 0, 2);
  t.PICTUREINDEX = 99;
  ClearScreen();
  g_->DrawTargets();
  EXPECT_LE(width(), 15);
  g_->EffectTimers[4] = 100;
  ClearScreen();
  g_->DrawTargets();
  EXPECT_GT(width(), 30);
  EXPECT_EQ(t.SIZE, 2);
}

TEST_F(Targets, CircleFramesNamesAndRings) {
  Sheets();
  TDXBaseSurface& c = *g_->TargetCircles;
  int taken = 0;
  for (const TFrameInfo& f : c.Frames) taken += !f.Free;
  EXPECT_EQ(taken, 59 + 58 + 57);
  EXPECT_EQ(c.FindFrame("0_0"), -1);
  EXPECT_EQ(c.FindFrame("00_0"), 0);
  EXPECT_EQ(c.FindFrame("11_9"), c.FindFrame("11_0") + 9);
  EXPECT_EQ(c.FindFrame("11_10"), -1);  // nine gleam frames at diameter 27
  EXPECT_GE(c.FindFrame("21_8"), 0);
  EXPECT_EQ(c.FindFrame("21_9"), -1);
  EXPECT_GE(c.FindFrame("25_15"), 0);
  // Size 0, kind 0: centre red, middle ring white, outer ring red, corners transparent.
  const TRect r = c.GetFrameRect(0);
  EXPECT_EQ(r.Width(), 39);
  const auto at = [&](int x, int y) { return c.Surface->Row(r.Top + y)[r.Left + x]; };
  EXPECT_EQ(at(19, 19), 0xFF0000u);
  EXPECT_EQ(at(19 + 10, 19), 0xFFFFFFu);
  EXPECT_EQ(at(19 + 17, 19), 0xFF0000u);
  EXPECT_EQ(at(0, 0), 0u);
  // Kind 3 leaves the middle ring transparent; kind 5 frame 15 tints it.
  const TRect r3 = c.GetFrameRect(c.FindFrame("03_0"));
  EXPECT_EQ(c.Surface->Row(r3.Top + 19)[r3.Left + 29], 0u);
  const TRect r5 = c.GetFrameRect(c.FindFrame("05_15"));
  EXPECT_EQ(c.Surface->Row(r5.Top + 19)[r5.Left + 19], 0xFFF0F0u);
  EXPECT_EQ(c.Surface->Row(r5.Top + 19)[r5.Left + 29], 0xFF0F0Fu);
}

TEST_F(Targets, MagnetsCycleThirtyFramesCentredOnTheirPoint) {
  Display& dd = *g_->DirectDraw;
  auto pictures = std::make_unique<TDXBaseSurface>();
  pictures->Allocate(dd, 16, 16, 1);
  pictures->SetUseColorKey(true);
  Surface icon(16, 16);
  icon.Fill(nullptr, 0x123456);
  int32_t slot = 0;
  ASSERT_TRUE(pictures->PutSurface(slot, "magnet", icon, false));
  g_->MagnetSurfaces = std::make_unique<TSurfaceList>();
  const int sizes[3] = {100, 76, 50};
  for (int n = 0; n < 3; ++n) {
    auto sheet = std::make_unique<TDXBaseSurface>();
    sheet->Allocate(dd, sizes[n], sizes[n], 30);
    sheet->ClipEnabled = true;
    sheet->SetUseColorKey(true);
    g_->MagnetSurfaces->AddSurface(std::to_string(n), std::move(sheet));
  }
  ASSERT_TRUE(g_->BuildMagnetFrames(*g_->MagnetSurfaces, *pictures));
  TDXBaseSurface& small = *g_->MagnetSurfaces->GetSurface(2);
  EXPECT_EQ(small.FindFrame("29"), 29);
  // The picture sits in the middle of every frame; the corners stay transparent.
  const TRect r = small.GetFrameRect(7);
  EXPECT_EQ(small.Surface->Row(r.Top + 25)[r.Left + 25], 0x123456u);
  EXPECT_EQ(small.Surface->Row(r.Top)[r.Left], 0u);

  TMagnetRec& m = g_->Magnets[3];
  m.VISIBLE = 1;
  m.X = 200;
  m.Y = 150;
  m.SIZE = 2;
  m.PHAZE1 = 28;
  ClearScreen();
  g_->DrawMagnets();
  EXPECT_EQ(m.PHAZE1, 29);
  EXPECT_EQ(Screen().Row(150)[200], 0x123456u);
  g_->DrawMagnets();
  EXPECT_EQ(m.PHAZE1, 0);
  int lit = 0;
  for (int y = 0; y < 600; ++y)
    for (int x = 0; x < 800; ++x)
      if (Screen().Row(y)[x]) {
        ++lit;
        EXPECT_LE(std::hypot(x - 200, y - 150), 26.0) << x << "," << y;
      }
  EXPECT_GT(lit, 100);
}

}  // namespace
