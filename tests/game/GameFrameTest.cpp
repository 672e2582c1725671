// The frame cycle of the game object: score count-up, effect timers, time limit, message box.
#include <gtest/gtest.h>

#include <cstdint>

#include "game/GameUnit.h"
#include "platform/System.h"

namespace {

class GameFrame : public ::testing::Test {
 protected:
  void SetUp() override {
    system_ = System::Create(true, false);
    game_ = std::make_unique<TGame>(*system_);
    ASSERT_TRUE(game_->InitDisplay());
  }
  // A level in play that is not cleared: one required target stands.
  void Play() {
    game_->State = gsPlaying;
    game_->Targets[1].VISIBLE = 1;
    game_->Targets[1].NEEDHIT = 1;
    game_->Bullets = 5;
  }
  std::unique_ptr<System> system_;
  std::unique_ptr<TGame> game_;
};

TEST_F(GameFrame, PendingScoreIsCountedInByDifficulty) {
  struct Case {
    uint8_t difficulty;
    int32_t pending;
    std::vector<int32_t> scores;  // Score after each frame
  } cases[] = {
      {0, 76, {75, 76}},
      {1, 76, {40, 40}},    // the rest of 1 halves to 0
      {2, 76, {110, 112}},  // then 1.5 rounds to 2
      {1, 3, {1}},
      {2, 3, {4}},  // 4.5 rounds to the even 4
      {2, 5, {8}},  // 7.5 rounds to 8
      {1, 250, {40, 80, 120, 132}},
      {0, -10, {-10}},
  };
  for (const Case& c : cases) {
    game_->State = gsMainMenu;
    game_->Difficulty = c.difficulty;
    game_->Score = 0;
    game_->PendingScore = c.pending;
    for (size_t i = 0; i < c.scores.size(); ++i) {
      game_->UpdateFrame();
      EXPECT_EQ(game_->Score, c.scores[i])
          << "difficulty " << int(c.difficulty) << " pending " << c.pending << " frame " << i;
    }
    EXPECT_EQ(game_->PendingScore, 0);
  }
}

TEST_F(GameFrame, FrostPausesTimersOneFourFiveAndTheTimeLimit) {
  Play();
  game_->TimeLimitOn = 1;
  game_->TimeCounter = 100;
  for (int i = 1; i <= 7; ++i) game_->EffectTimers[i] = 10;
  game_->UpdateFrame();
  const int32_t expected[8] = {0, 10, 9, 9, 10, 10, 9, 9};
  for (int i = 1; i <= 7; ++i) EXPECT_EQ(game_->EffectTimers[i], expected[i]) << "timer " << i;
  EXPECT_EQ(game_->TimeCounter, 100);

  // Timer 1 looks at timer 2 before timer 2 counts down in the same frame; 4 and 5 after it.
  game_->EffectTimers[2] = 1;
  game_->UpdateFrame();
  EXPECT_EQ(game_->EffectTimers[1], 10);
  EXPECT_EQ(game_->EffectTimers[2], 0);
  EXPECT_EQ(game_->EffectTimers[4], 9);
  EXPECT_EQ(game_->TimeCounter, 99);
}

TEST_F(GameFrame, TimeLimitTakesThreeBulletsAndCanEndTheGameAtOnce) {
  Play();
  game_->TimeLimitOn = 1;
  game_->TimeCounter = 1;
  game_->Bullets = 2;
  game_->UpdateFrame();
  EXPECT_EQ(game_->Bullets, -1);
  EXPECT_EQ(game_->TimeCounter, 1500);
  EXPECT_EQ(game_->State, gsGameOver);

  // A level may start the counter at the lowest int: the penalty comes, the count does not wrap.
  Play();
  game_->TimeCounter = INT32_MIN;
  game_->UpdateFrame();
  EXPECT_EQ(game_->Bullets, 2);
  EXPECT_EQ(game_->TimeCounter, 1500);
}

TEST_F(GameFrame, SevenCentreHitsGiveABulletAndAThousandPoints) {
  Play();
  game_->HitStreak = 8;
  game_->UpdateFrame();
  EXPECT_EQ(game_->HitStreak, 1);
  EXPECT_EQ(game_->Bullets, 6);
  EXPECT_EQ(game_->PendingScore, 1000);
}

TEST_F(GameFrame, TimersDoNotRunOutsidePlay) {
  game_->State = gsGameMenu;
  game_->EffectTimers[3] = 5;
  game_->TimeLimitOn = 1;
  game_->TimeCounter = 1;
  game_->UpdateFrame();
  EXPECT_EQ(game_->EffectTimers[3], 5);
  EXPECT_EQ(game_->TimeCounter, 1);
}

TEST_F(GameFrame, MessageBoxLastsItsFramesInEveryState) {
  game_->State = gsStart;
  game_->ShowMessageBox("Error", kMessageBoxFrames);
  for (int i = 0; i < kMessageBoxFrames; ++i) {
    game_->BackBuffer->Fill(nullptr, 0);
    game_->DrawFrame();
    ASSERT_EQ(game_->BackBuffer->Row(290)[395], 0xFF0000u) << "frame " << i;
  }
  EXPECT_EQ(game_->MessageFrames, 0);
  game_->BackBuffer->Fill(nullptr, 0);
  game_->DrawFrame();
  EXPECT_EQ(game_->BackBuffer->Row(290)[395], 0u);
  // A new message replaces the old one at once.
  game_->ShowMessageBox("One", 5);
  game_->ShowMessageBox("Two", 7);
  EXPECT_EQ(game_->Message, "Two");
  EXPECT_EQ(game_->MessageFrames, 7);
}

TEST_F(GameFrame, StatesWithoutDrawingKeepThePreviousFrame) {
  for (uint8_t s : {gsStart, gsLevelLoading, gsExit}) {
    game_->State = s;
    game_->BackBuffer->Fill(nullptr, 0x123456);
    game_->DrawFrame();
    EXPECT_EQ(game_->BackBuffer->Row(10)[10], 0x123456u) << "state " << int(s);
  }
}

}  // namespace
