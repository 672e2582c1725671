// The game's sound: start-up with and without a device or "wave.col", and playing by number.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "game/GameUnit.h"
#include "assets/Collections.h"
#include "platform/System.h"
#include "sound/WaveBlock.h"
#include "sound/WaveCollection.h"

namespace fs = std::filesystem;

namespace {

// A system without a sound device.
class Deaf : public System {
 public:
  bool OpenWindow(int32_t, int32_t) override { return true; }
  bool IsHeadless() const override { return true; }
  void Present(const Surface&) override {}
  void PumpEvents() override {}
  void ShowMessageBox(const std::string&, const std::string&) override {}
  std::unique_ptr<AudioDevice> OpenAudio() override { return nullptr; }
  uint64_t Ticks() const override { return 0; }
  void Sleep(uint32_t) override {}
};

std::vector<int32_t> Played(const TGame& g) {
  return std::vector<int32_t>(std::begin(g.SoundsPlayed), std::end(g.SoundsPlayed));
}

class GameSound : public ::testing::Test {
 protected:
  void SetUp() override {
    old_ = fs::current_path();
    dir_ = fs::temp_directory_path() /
           (std::string("vor_sound_") +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    fs::current_path(dir_);
    system_ = System::Create(true, false);
  }
  void TearDown() override {
    fs::current_path(old_);
    fs::remove_all(dir_);
  }
  // A "wave.col" of the given blocks.
  static void WriteWaveCol(const std::vector<std::string>& blocks) {
    TMemoryBlocksCollection c;
    for (const std::string& b : blocks) c.AddBlock("s", b);
    std::ofstream("wave.col", std::ios::binary) << c.SaveToBytes();
  }
  static std::string Sound() { return MakeWaveBlock(TWaveFormat{}, "abcd"); }

  fs::path old_, dir_;
  std::unique_ptr<System> system_;
};

TEST_F(GameSound, WithoutADeviceTheGameIsSilent) {
  Deaf deaf;
  TGame g(deaf);
  WriteWaveCol({Sound()});
  EXPECT_FALSE(g.InitSound());
  EXPECT_EQ(g.SoundOn, 0);
  EXPECT_FALSE(g.DirectSound);
  EXPECT_FALSE(g.Sounds);
  EXPECT_FALSE(g.LoadSounds());
  g.SoundOn = 1;  // even if the menu were to switch it on
  g.PlaySound(0);
  EXPECT_EQ(Played(g), std::vector<int32_t>(5, 0));
}

TEST_F(GameSound, WithoutWaveColTheGameIsSilent) {
  for (const char* content : {"", "\x05\x00\x00"}) {  // missing; damaged
    if (*content) std::ofstream("wave.col", std::ios::binary) << std::string(content, 3);
    TGame g(*system_);
    ASSERT_TRUE(g.InitSound());
    EXPECT_TRUE(g.Sounds);
    EXPECT_FALSE(g.LoadSounds());
    EXPECT_EQ(g.SoundOn, 0);
    EXPECT_FALSE(g.Sounds);
    g.SoundOn = 1;
    g.PlaySound(1);
    EXPECT_EQ(Played(g), std::vector<int32_t>(5, 0));
  }
}

TEST_F(GameSound, EffectsPlayByNumberWhileSoundIsOn) {
  // Three good sounds, a damaged fourth; the fifth is missing.
  WriteWaveCol({Sound(), Sound(), Sound(), Sound().substr(0, 21)});
  TGame g(*system_);
  ASSERT_TRUE(g.InitSound());
  ASSERT_TRUE(g.LoadSounds());
  EXPECT_EQ(g.SoundOn, 1);
  for (int i : {0, 1, 2, 2, 3, 4, -1, 5, 99}) g.PlaySound(i);
  EXPECT_EQ(Played(g), (std::vector<int32_t>{1, 1, 2, 0, 0}));

  g.SoundOn = 0;
  for (int i = 0; i < 5; ++i) g.PlaySound(i);
  EXPECT_EQ(Played(g), (std::vector<int32_t>{1, 1, 2, 0, 0})) << "sound off is silent";
  g.SoundOn = 1;
  g.PlaySound(1);
  EXPECT_EQ(g.SoundsPlayed[1], 2);

  // Opening the sound again lets the old collection and its playing buffer go before the device
  // they belong to.
  ASSERT_TRUE(g.InitSound());
  ASSERT_TRUE(g.LoadSounds());
  g.PlaySound(0);
  EXPECT_EQ(g.SoundsPlayed[0], 2);
}

TEST_F(GameSound, CountingInPointsRequestsEffectTwoEveryFrame) {
  WriteWaveCol({Sound(), Sound(), Sound(), Sound(), Sound()});
  TGame g(*system_);
  ASSERT_TRUE(g.InitSound());
  ASSERT_TRUE(g.LoadSounds());
  g.State = gsMainMenu;  // in whatever state
  g.PendingScore = 200;  // 75 + 75 + 50
  for (int frame = 0; frame < 5; ++frame) g.UpdateFrame();
  EXPECT_EQ(g.SoundsPlayed[2], 3);
}

}  // namespace
