// The display set-up, the video memory report and the error log "err.txt".
#include "display/DisplayDevice.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "platform/System.h"

namespace {

namespace fs = std::filesystem;

// A fresh folder that is the current folder during the test.
class ErrorLog : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (fs::temp_directory_path() / "vor-errlog-XXXXXX").string();
    ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
    old_ = fs::current_path();
    fs::current_path(dir_);
  }
  void TearDown() override {
    fs::current_path(old_);
    fs::remove_all(dir_);
  }
  static std::string Get(const std::string& name) {
    std::ifstream f(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
  }

 private:
  fs::path dir_, old_;
};

TEST_F(ErrorLog, EachCallAppendsOneLine) {
  LogError("first");
  EXPECT_EQ(Get("err.txt"), "first\r\n");
  LogError("second");
  LogError("");
  EXPECT_EQ(Get("err.txt"), "first\r\nsecond\r\n\r\n");
}

TEST_F(ErrorLog, AnExistingLogInOtherLetterCaseIsAppendedTo) {
  std::ofstream("ERR.TXT", std::ios::binary) << "old\r\n";
  LogError("new");
  EXPECT_EQ(Get("ERR.TXT"), "old\r\nnew\r\n");
  EXPECT_FALSE(fs::exists("err.txt"));
}

TEST_F(ErrorLog, AnUnwritableLogIsSkipped) {
  fs::create_directory("err.txt");
  EXPECT_NO_THROW(LogError("lost"));
  EXPECT_TRUE(fs::is_directory("err.txt"));
}

TEST(DisplayDevice, OnlyThe800x600x32ModeOpens) {
  auto system = System::Create(true, false);
  std::unique_ptr<Display> display;
  EXPECT_FALSE(CreateDisplay(display, *system, 1024, 640, 32, 480));
  EXPECT_FALSE(CreateDisplay(display, *system, 1024, 800, 16, 600));
  ASSERT_TRUE(CreateDisplay(display, *system, 1024, 800, 32, 600));
  SurfacePtr primary, back;
  ASSERT_TRUE(CreateFlipChain(*display, primary, back));
  ASSERT_TRUE(primary && back);
  EXPECT_EQ(back->Width(), 800);
  EXPECT_EQ(back->Height(), 600);
  // The frame drawn is the frame shown once flipped, and stays shown while nothing is drawn.
  back->Fill(nullptr, 0x123456);
  ASSERT_EQ(display->Flip(), DD_OK);
  ASSERT_EQ(display->Flip(), DD_OK);
  EXPECT_EQ(display->Shown().Row(599)[799], 0x123456u);
  EXPECT_EQ(primary->Row(0)[0], 0x123456u);
}

TEST(DisplayDevice, VideoMemoryIsReportedInWholeKilobytes) {
  auto system = System::Create(true, false);
  Display display(*system, 3);
  uint32_t total = 0, free = 0;
  QueryVideoMemory(display, total, free);
  EXPECT_EQ(total, 3u);
  EXPECT_EQ(free, 3u);
  SurfacePtr s;
  ASSERT_EQ(display.CreateSurface(16, 40, false, s), DD_OK);  // 2560 bytes
  QueryVideoMemory(display, total, free);
  EXPECT_EQ(free, 0u);  // 512 bytes left
  s.reset();
  QueryVideoMemory(display, total, free);
  EXPECT_EQ(free, 3u);
}

}  // namespace
