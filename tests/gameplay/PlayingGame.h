// A headless game with its display, in the playing state: the fixture of the play tests.
#pragma once
#include <gtest/gtest.h>

#include <memory>

#include "game/GameUnit.h"
#include "platform/System.h"

class PlayingGame : public ::testing::Test {
 protected:
  void SetUp() override {
    system_ = System::Create(true, false);
    g_ = std::make_unique<TGame>(*system_);
    ASSERT_TRUE(g_->InitDisplay());
    g_->State = gsPlaying;
  }

  std::unique_ptr<System> system_;
  std::unique_ptr<TGame> g_;
};
