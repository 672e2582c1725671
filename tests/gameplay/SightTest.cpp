// The sight's flight and steering, hits, scoring and bonuses.
#include <gtest/gtest.h>

#include "game/GameUnit.h"
#include "platform/Input.h"
#include "platform/System.h"

namespace {

class Sight : public ::testing::Test {
 protected:
  void SetUp() override {
    system_ = System::Create(true, false);
    g_ = std::make_unique<TGame>(*system_);
    g_->State = gsPlaying;
    g_->Level = 1;
    g_->LevelTexts = {"NAME=a", "NAME=b"};
    g_->Bullets = 7;
    g_->ResetSight();
  }
  TTargetRec& Target(int slot, int x, int y, uint8_t type = 0, uint8_t size = 0) {
    TTargetRec& t = g_->Targets[slot];
    t.VISIBLE = 1;
    t.NEEDHIT = 1;
    t.X = x;
    t.Y = y;
    t.TYPE = type;
    t.SIZE = size;
    return t;
  }
  std::unique_ptr<System> system_;
  std::unique_ptr<TGame> g_;
};

TEST_F(Sight, UnsteeredFlightLeavesTheTopInItsFrame551AndMisses) {
  g_->SightActive = 1;
  int frames = 0;
  while (g_->SightActive && frames < 1000) {
    g_->MoveSight();
    ++frames;
  }
  EXPECT_EQ(frames, 551);
  EXPECT_EQ(g_->Bullets, 6);
  EXPECT_EQ(g_->Misses, 1);
  EXPECT_EQ(g_->ShotMarks[0].x, 566);
  EXPECT_EQ(g_->ShotMarks[0].y, 9);
  EXPECT_EQ(g_->SightX, 15.0f);  // back at the start, waiting
  EXPECT_EQ(g_->KeyLatch[DIK_SPACE], 15);
}

TEST_F(Sight, SteeringFloorsByDifficultyAndMirror) {
  struct Case {
    uint8_t difficulty;
    bool mirror;
    float speed;
    int step;
    float expected;
  } cases[] = {
      {0, false, 1.5f, -1, 1.0f}, {0, false, 1.0f, -1, 1.0f},   {0, false, 3.0f, -1, 2.0f},
      {2, false, 1.5f, -1, 1.0f}, {1, false, 0.5f, -1, 0.0f},   {1, false, 1.0f, -1, 0.0f},
      {1, false, 0.0f, -1, 0.0f}, {0, false, -2.0f, -1, -2.0f}, {0, false, -2.0f, 1, -1.0f},
      {0, false, 8.5f, 1, 9.0f},  {0, false, 8.0f, 1, 9.0f},    {0, true, 5.0f, 1, 4.0f},
      {0, true, 5.0f, -1, 6.0f},
  };
  for (const Case& c : cases) {
    g_->Difficulty = c.difficulty;
    g_->MirrorOn = c.mirror;
    g_->SightSpeedX = c.speed;
    g_->SightSpeedY = c.speed;
    g_->SteerSight(c.step, 0);
    EXPECT_FLOAT_EQ(g_->SightSpeedX, c.expected)
        << "difficulty " << int(c.difficulty) << " speed " << c.speed << " step " << c.step;
    g_->SteerSight(0, c.step);
    EXPECT_FLOAT_EQ(g_->SightSpeedY, c.expected);
  }
}

TEST_F(Sight, CentreHitOnSizeTwoIsWorth450And350WithTheTargetBonus) {
  for (bool bonus : {false, true}) {
    SetUp();
    Target(1, 300, 300, 0, 2);
    g_->EffectTimers[4] = bonus ? 100 : 0;
    g_->SightX = 300;
    g_->SightY = 300;
    g_->SightActive = 1;
    g_->SightSpeedX = g_->SightSpeedY = 0;
    g_->MoveSight();
    ASSERT_TRUE(g_->SightOnTarget);
    g_->Shoot();
    EXPECT_EQ(g_->PendingScore, bonus ? 350 : 450);
    EXPECT_EQ(g_->Bullets, 7);
    EXPECT_EQ(g_->Medals, 1);
    EXPECT_EQ(g_->Targets[1].TYPE, 6);
  }
}

TEST_F(Sight, HitTestRulesOfTheKinds) {
  struct Case {
    uint8_t type;
    int32_t phase;
    float dx;
    bool hit;
  } cases[] =
      {
          {3, 0, 8, false},  // the transparent middle ring of a ring target
          {3, 0, 13, true},  // its outer ring
          {3, 0, 7, true},   // its centre
          {0, 0, 19.9f, true}, {0, 0, 20.1f, false},
          {2, 10, 0, false},  // a fading target while it is faded out
          {2, 40, 0, false},   {2, 41, 0, true},
          {2, 9, 0, true},     {6, 0, 0, false},  // falling
      };
  for (const Case& c : cases) {
    SetUp();
    Target(1, 400, 300, c.type).PHAZE1 = c.phase;
    bool hit, centre;
    int32_t slot;
    g_->HitTest(400 + c.dx, 300, hit, centre, slot);
    EXPECT_EQ(hit, c.hit) << "type " << int(c.type) << " phase " << c.phase << " at " << c.dx;
    EXPECT_EQ(slot, c.hit ? 1 : -1);
  }
  // Overlapping circles: the lowest slot wins.
  SetUp();
  Target(4, 400, 300);
  Target(2, 405, 300);
  bool hit, centre;
  int32_t slot;
  g_->HitTest(402, 300, hit, centre, slot);
  EXPECT_EQ(slot, 2);
}

TEST_F(Sight, ClearingAnEvenLevelGivesABullet) {
  g_->Level = 2;
  g_->Bullets = 3;
  g_->LevelCleared();
  EXPECT_EQ(g_->Bullets, 4);
  EXPECT_EQ(g_->PendingScore, 1100);
  EXPECT_EQ(g_->State, gsLevelDone);
  EXPECT_EQ(g_->TransitionStep, 1);
}

TEST_F(Sight, MagnetCoreShootsAndItsFieldPullsAWaitingSight) {
  TMagnetRec& m = g_->Magnets[1];
  m.VISIBLE = 1;
  m.SIZE = 2;  // radius 25: core below 20, field below 75
  m.X = 15;
  m.Y = 500;  // 60 above the start point
  g_->MoveSight();
  EXPECT_EQ(g_->SightX, 15.0f);  // a waiting sight does not move...
  EXPECT_FLOAT_EQ(g_->SightSpeedX, 1.0f);
  EXPECT_GT(g_->SightSpeedY, 1.0f);  // ...but the magnet above pulls its speed up
  m.Y = 545;
  g_->MoveSight();
  EXPECT_EQ(g_->Misses, 1);  // the core shot it
}

TEST_F(Sight, BonusesByNumber) {
  g_->Difficulty = 2;
  g_->GiveBonus(1);
  EXPECT_EQ(g_->EffectTimers[1], 1000);
  g_->GiveBonus(3);
  EXPECT_EQ(g_->Bullets, 10);
  EXPECT_EQ(g_->EffectTimers[3], 30);
  g_->GiveBonus(6);
  EXPECT_EQ(g_->PendingScore, 100 + 100 + 2500);
  g_->GiveBonus(0);  // a random one of frost, 3bullets, target, sight1, 2500
  int running = 0;
  for (int n : {2, 4, 5}) running += g_->EffectTimers[n] > 0;
  EXPECT_TRUE(running == 1 || g_->Bullets == 13 || g_->PendingScore == 2700 + 2500);
  g_->GiveBonus(7);
  EXPECT_EQ(g_->State, gsLevelDone);
}

TEST_F(Sight, ShotMarksUseFreeSlotsOnly) {
  for (int i = 0; i < 12; ++i) g_->AddShotMark(i, i);
  EXPECT_EQ(g_->ShotMarks[9].x, 9);
  for (const TShotMark& m : g_->ShotMarks) EXPECT_EQ(m.frame, 0);
}

}  // namespace
