// Fixture of the screen and table tests: a headless game whose current folder is a fresh one of
// the test's own (the game opens its tables and files by bare name), removed afterwards.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "game/GameUnit.h"
#include "platform/System.h"

class GameInFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string folder = (std::filesystem::temp_directory_path() / "vor-game-XXXXXX").string();
    ASSERT_NE(::mkdtemp(folder.data()), nullptr);
    dir_ = folder;
    old_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_);
    system_ = System::Create(true, false);
    game_ = std::make_unique<TGame>(*system_);
  }
  void TearDown() override {
    game_.reset();
    std::filesystem::current_path(old_);
    std::filesystem::remove_all(dir_);
  }

  std::filesystem::path old_, dir_;
  std::unique_ptr<System> system_;
  std::unique_ptr<TGame> game_;
};
