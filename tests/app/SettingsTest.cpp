// vor.ini: what it may hold, damaged files ignored with a word, and saving it where it belongs.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/Settings.h"

namespace {

struct ParseCase {
  std::string text;
  bool ok;
  std::optional<bool> fullscreen;
};

class SettingsParseTest : public testing::TestWithParam<ParseCase> {};

TEST_P(SettingsParseTest, ReadsOrRefusesTheWholeFile) {
  const ParseCase& c = GetParam();
  Settings s;
  std::string error;
  EXPECT_EQ(ParseSettings(c.text, s, error), c.ok) << error;
  if (c.ok) {
    EXPECT_EQ(s.fullscreen, c.fullscreen);
  }
  EXPECT_EQ(error.empty(), c.ok);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SettingsParseTest,
    testing::Values(ParseCase{"", true, std::nullopt}, ParseCase{"fullscreen=1\n", true, true},
                    ParseCase{"# mine\r\n; too\r\n\r\n  fullscreen = 0  \r\n", true, false},
                    ParseCase{"volume=7\nfullscreen=0", true, false},
                    ParseCase{"fullscreen=yes\n", false, std::nullopt},
                    ParseCase{"fullscreen=\n", false, std::nullopt},
                    ParseCase{"fullscreen\n", false, std::nullopt},
                    ParseCase{"=1\n", false, std::nullopt},
                    ParseCase{"[vor]\nfullscreen=1\n", false, std::nullopt},
                    ParseCase{"full screen=1\n", false, std::nullopt},
                    ParseCase{std::string("fullscreen=1\0", 13), false, std::nullopt},
                    ParseCase{std::string(70000, '#'), false, std::nullopt}));

TEST(SettingsTest, UnknownKeysSurviveASave) {
  Settings s;
  std::string error;
  ASSERT_TRUE(ParseSettings("colour=blue\nfullscreen=1\n", s, error));
  s.fullscreen = false;
  Settings again;
  ASSERT_TRUE(ParseSettings(FormatSettings(s), again, error)) << error;
  EXPECT_EQ(again.fullscreen, false);
  ASSERT_EQ(again.others.size(), 1u);
  EXPECT_EQ(again.others[0].first, "colour");
  EXPECT_EQ(again.others[0].second, "blue");
}

class SettingsFileTest : public testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/vor-settings-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override {
    chmod(dir_.c_str(), 0700);
    std::filesystem::remove_all(dir_);
  }
  std::string dir_;
};

TEST_F(SettingsFileTest, SavesIntoANewFolderAndLoadsBack) {
  const std::string path = dir_ + "/config/vor/vor.ini";
  Settings s;
  s.fullscreen = false;
  ASSERT_TRUE(SaveSettings(path, s));
  EXPECT_EQ(LoadSettings(path).fullscreen, false);
  EXPECT_EQ(std::filesystem::directory_iterator(dir_ + "/config/vor")->path().filename(),
            "vor.ini");
  EXPECT_EQ(LoadSettings(dir_ + "/missing.ini").fullscreen, std::nullopt);
}

TEST_F(SettingsFileTest, DamagedFileIsNamedAndIgnored) {
  const std::string path = dir_ + "/vor.ini";
  std::ofstream(path) << "fullscreen=0\ngarbage\n";
  testing::internal::CaptureStderr();
  const Settings s = LoadSettings(path);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(s.fullscreen, std::nullopt);
  EXPECT_NE(err.find(path), std::string::npos) << err;
  EXPECT_NE(err.find("line 2"), std::string::npos) << err;
}

TEST_F(SettingsFileTest, UnwritableFolderIsReportedNotFatal) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes anywhere";
  chmod(dir_.c_str(), 0500);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(SaveSettings(dir_ + "/vor/vor.ini", Settings{}));
  EXPECT_NE(testing::internal::GetCapturedStderr().find(dir_), std::string::npos);
}

TEST_F(SettingsFileTest, FileInPlaceOfTheFolderIsReported) {
  std::ofstream(dir_ + "/vor") << "x";
  testing::internal::CaptureStderr();
  EXPECT_FALSE(SaveSettings(dir_ + "/vor/vor.ini", Settings{}));
  EXPECT_NE(testing::internal::GetCapturedStderr().find(dir_ + "/vor"), std::string::npos);
}

}  // namespace
