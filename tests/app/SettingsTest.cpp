// vor.ini: what it may hold, damaged files ignored with a word, and saving it where it belongs.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/Settings.h"

namespace {

// Whole-file damage refuses the file; each damaged line is named and leaves its key unset.
struct ParseCase {
  std::string text;
  bool ok;
  std::optional<bool> fullscreen;
  size_t damaged = 0;
};

class SettingsParseTest : public testing::TestWithParam<ParseCase> {};

TEST_P(SettingsParseTest, ReadsWhatItCanAndNamesTheRest) {
  const ParseCase& c = GetParam();
  Settings s;
  std::string error;
  std::vector<std::string> damaged;
  EXPECT_EQ(ParseSettings(c.text, s, error, damaged), c.ok) << error;
  EXPECT_EQ(s.fullscreen, c.fullscreen);
  EXPECT_EQ(error.empty(), c.ok);
  EXPECT_EQ(damaged.size(), c.damaged) << testing::PrintToString(damaged);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SettingsParseTest,
    testing::Values(ParseCase{"", true, std::nullopt}, ParseCase{"fullscreen=1\n", true, true},
                    ParseCase{"# mine\r\n; too\r\n\r\n  fullscreen = 0  \r\n", true, false},
                    ParseCase{"volume=7\nfullscreen=0", true, false},
                    ParseCase{"fullscreen=yes\n", true, std::nullopt, 1},
                    ParseCase{"fullscreen=\n", true, std::nullopt, 1},
                    ParseCase{"fullscreen=1\nfullscreen=2\n", true, std::nullopt, 1},
                    ParseCase{"fullscreen\n", true, std::nullopt, 1},
                    ParseCase{"=1\nfullscreen=1\n", true, true, 1},
                    ParseCase{"[vor]\nfullscreen=1\n", true, true, 1},
                    ParseCase{"full screen=1\n", true, std::nullopt, 1},
                    ParseCase{std::string("fullscreen=1\0", 13), false, std::nullopt},
                    ParseCase{std::string(70000, '#'), false, std::nullopt}));

// One value of a menu setting: read into the game's value, or refused.
struct ValueCase {
  std::string line;
  std::optional<uint8_t> Settings::*field;
  std::optional<uint8_t> value;  // nullopt: damaged
};

void PrintTo(const ValueCase& c, std::ostream* os) { *os << c.line; }

class SettingsValueTest : public testing::TestWithParam<ValueCase> {};

TEST_P(SettingsValueTest, TakesTheMenuValuesOnly) {
  const ValueCase& c = GetParam();
  Settings s;
  std::string error;
  std::vector<std::string> damaged;
  ASSERT_TRUE(ParseSettings("fullscreen=0\n" + c.line + "\ncolour=blue\n", s, error, damaged));
  EXPECT_EQ(s.*c.field, c.value) << c.line;
  // The keys around it still count.
  EXPECT_EQ(s.fullscreen, false);
  EXPECT_EQ(s.others.size(), 1u);
  ASSERT_EQ(damaged.size(), c.value ? 0u : 1u);
  if (!c.value) {
    EXPECT_NE(damaged[0].find("line 2: "), std::string::npos) << damaged[0];
    EXPECT_NE(damaged[0].find("default"), std::string::npos) << damaged[0];
  }
}

using S = Settings;
INSTANTIATE_TEST_SUITE_P(
    Values, SettingsValueTest,
    testing::Values(ValueCase{"difficulty=normal", &S::difficulty, 0},
                    ValueCase{"difficulty = kindly", &S::difficulty, 1},
                    ValueCase{"difficulty=hardly", &S::difficulty, 2},
                    ValueCase{"difficulty=2", &S::difficulty, std::nullopt},
                    ValueCase{"difficulty=Hardly", &S::difficulty, std::nullopt},
                    ValueCase{"control_type=mouse", &S::controlType, 1},
                    ValueCase{"control_type=keyboard", &S::controlType, 0},
                    ValueCase{"control_type=pad", &S::controlType, std::nullopt},
                    // The file says the speed the menu shows; the game stores 15 minus it.
                    ValueCase{"control_speed=10", &S::controlSpeed, 5},
                    ValueCase{"control_speed=1", &S::controlSpeed, 14},
                    ValueCase{"control_speed=15", &S::controlSpeed, 0},
                    ValueCase{"control_speed=0", &S::controlSpeed, std::nullopt},
                    ValueCase{"control_speed=16", &S::controlSpeed, std::nullopt},
                    ValueCase{"control_speed=+5", &S::controlSpeed, std::nullopt},
                    ValueCase{"control_speed=5.0", &S::controlSpeed, std::nullopt},
                    ValueCase{"brightness=0", &S::brightness, 0},
                    ValueCase{"brightness=100", &S::brightness, 100},
                    ValueCase{"brightness=55", &S::brightness, std::nullopt},
                    ValueCase{"brightness=110", &S::brightness, std::nullopt},
                    ValueCase{"brightness=-10", &S::brightness, std::nullopt},
                    ValueCase{"brightness=99999999999999999999", &S::brightness, std::nullopt},
                    ValueCase{"sound=on", &S::soundOn, 1},
                    ValueCase{"sound=1", &S::soundOn, std::nullopt},
                    ValueCase{"sound=", &S::soundOn, std::nullopt}));

struct ScenarioCase {
  std::string value;
  bool ok;
};

void PrintTo(const ScenarioCase& c, std::ostream* os) {
  *os << "scenario=" << (c.value.size() > 40 ? std::to_string(c.value.size()) + " bytes" : c.value);
}

class SettingsScenarioTest : public testing::TestWithParam<ScenarioCase> {};

TEST_P(SettingsScenarioTest, TakesABareFileName) {
  Settings s;
  std::string error;
  std::vector<std::string> damaged;
  ASSERT_TRUE(ParseSettings("scenario=" + GetParam().value + "\n", s, error, damaged));
  EXPECT_EQ(s.scenario.has_value(), GetParam().ok);
  EXPECT_EQ(damaged.empty(), GetParam().ok);
  if (GetParam().ok) {
    EXPECT_EQ(*s.scenario, GetParam().value);
  }
}

INSTANTIATE_TEST_SUITE_P(Names, SettingsScenarioTest,
                         testing::Values(ScenarioCase{"main.lev", true},
                                         ScenarioCase{"My Levels.LEV", true},
                                         ScenarioCase{"\xd0\x96\xd1\x83\xd0\xba.lev", true},
                                         ScenarioCase{"", false}, ScenarioCase{"..", false},
                                         ScenarioCase{"../main.lev", false},
                                         ScenarioCase{"/usr/share/vor/main.lev", false},
                                         ScenarioCase{"a\\b.lev", false},
                                         ScenarioCase{"a\x01.lev", false},
                                         ScenarioCase{std::string(256, 'a'), false}));

// The server of shared tables: an http:// address is kept as written; anything the game could
// not send to leaves the key unset (the game keeps its own tables only) and names the line.
TEST(SettingsTest, TakesAServerAddressTheGameCanUse) {
  const struct {
    const char* value;
    bool ok;
  } cases[] = {{"http://127.0.0.1:8477", true},
               {"http://records.example.org/vor/", true},
               {"ftp://127.0.0.1/", false},
               {"127.0.0.1:8477", false},
               {"http://", false},
               {"http://:8477/", false},
               {"http://user@host/", false},
               {"http://host/?limit=3", false},
               {"http://ho st/", false},
               {"http://h\xc3\xa9.org/", false}};
  for (const auto& c : cases) {
    Settings s;
    std::string error;
    std::vector<std::string> damaged;
    ASSERT_TRUE(ParseSettings(std::string("records_server=") + c.value + "\n", s, error, damaged));
    EXPECT_EQ(s.recordsServer.has_value(), c.ok) << c.value;
    EXPECT_EQ(damaged.size(), c.ok ? 0u : 1u) << c.value;
    if (!c.ok) continue;
    EXPECT_EQ(*s.recordsServer, c.value);
    EXPECT_NE(FormatSettings(s).find(std::string("records_server=") + c.value + "\n"),
              std::string::npos);
  }
  // It is the player's, never a recording's.
  Settings start;
  start.recordsServer = "http://127.0.0.1:8477";
  start.soundOn = 1;
  EXPECT_EQ(SettingsScriptLines(start), "# vor-setting sound=on\n");
  Settings read;
  std::vector<std::string> damaged;
  EXPECT_TRUE(SettingsFromScript("# vor-setting records_server=http://127.0.0.1:1/\n", read,
                                 damaged));
  EXPECT_FALSE(read.recordsServer);
  EXPECT_EQ(damaged.size(), 1u);
}

TEST(SettingsTest, EveryKeyAndUnknownOnesSurviveASave) {
  Settings s;
  std::string error;
  std::vector<std::string> damaged;
  ASSERT_TRUE(ParseSettings("colour=blue\nfullscreen=1\n", s, error, damaged));
  s.fullscreen = false;
  s.scenario = "training.lev";
  s.difficulty = 1;
  s.brightness = 0;
  s.controlType = 0;
  s.controlSpeed = 14;
  s.soundOn = 0;
  const std::string text = FormatSettings(s);
  for (const char* line : {"scenario=training.lev\n", "difficulty=kindly\n", "brightness=0\n",
                           "control_type=keyboard\n", "control_speed=1\n", "sound=off\n"})
    EXPECT_NE(text.find(line), std::string::npos) << line << " in\n" << text;
  Settings again;
  ASSERT_TRUE(ParseSettings(text, again, error, damaged)) << error;
  EXPECT_TRUE(damaged.empty());
  EXPECT_EQ(again, s);
}

TEST(SettingsTest, OnlyChangedMenuSettingsReplaceTheFilesOwn) {
  Settings before, now, file;
  before.difficulty = now.difficulty = 0;
  before.soundOn = 1;
  now.soundOn = 0;
  before.scenario = now.scenario = "main.lev";
  // Another copy of the game kept these meanwhile; this one changed only the sound.
  file.difficulty = 2;
  file.scenario = "training.lev";
  file.others = {{"colour", "blue"}};
  file.fullscreen = true;
  CopyChangedMenuSettings(before, now, file);
  EXPECT_EQ(file.soundOn, uint8_t(0));
  EXPECT_EQ(file.difficulty, uint8_t(2));
  EXPECT_EQ(file.scenario, "training.lev");
  EXPECT_EQ(file.fullscreen, true);
  EXPECT_EQ(file.others.size(), 1u);
}

TEST(SettingsTest, ARecordingCarriesTheMenuSettingsOnly) {
  Settings start;
  start.fullscreen = true;
  start.others = {{"colour", "blue"}};
  start.scenario = "My Levels.lev";
  start.difficulty = 2;
  start.soundOn = 0;
  const std::string lines = SettingsScriptLines(start);
  EXPECT_EQ(lines,
            "# vor-setting scenario=My Levels.lev\n# vor-setting difficulty=hardly\n"
            "# vor-setting sound=off\n");
  Settings read;
  std::vector<std::string> damaged;
  ASSERT_TRUE(SettingsFromScript("# vor-script 1\n" + lines + "3 key Down down\n", read, damaged));
  EXPECT_TRUE(damaged.empty()) << testing::PrintToString(damaged);
  start.fullscreen.reset();
  start.others.clear();
  EXPECT_EQ(read, start);
  EXPECT_FALSE(SettingsFromScript("# vor-script 1\n# vor-settings are not here\n3 key Down down\n",
                                  read, damaged));
}

TEST(SettingsTest, KeepsTheScaleModeInWords) {
  const struct {
    const char* text;
    std::optional<ScaleMode> scale;
  } cases[] = {{"scale=sharp", ScaleMode::Sharp},
               {"scale = integer", ScaleMode::Integer},
               {"scale=Integer", std::nullopt},
               {"scale=1", std::nullopt},
               {"scale=", std::nullopt}};
  for (const auto& c : cases) {
    Settings s;
    std::string error;
    std::vector<std::string> damaged;
    ASSERT_TRUE(ParseSettings(c.text, s, error, damaged)) << c.text;
    EXPECT_EQ(s.scale, c.scale) << c.text;
    EXPECT_EQ(damaged.size(), c.scale ? 0u : 1u) << c.text;
    if (!c.scale) continue;
    Settings again;
    ASSERT_TRUE(ParseSettings(FormatSettings(s), again, error, damaged));
    EXPECT_EQ(again, s) << c.text;
  }
}

TEST(SettingsTest, ADamagedSettingOfAScriptNamesItsLine) {
  const struct {
    const char* line;
    const char* why;
  } cases[] = {{"# vor-setting difficulty=awful", "line 2: difficulty is"},
               {"# vor-setting fullscreen=1", "line 2: not a setting a script carries"},
               {"# vor-setting scale=integer", "line 2: not a setting a script carries"},
               {"# vor-setting colour=blue", "line 2: not a setting a script carries"},
               {"# vor-setting garbage", "line 2 is not key=value"}};
  for (const auto& c : cases) {
    Settings read;
    std::vector<std::string> damaged;
    EXPECT_TRUE(SettingsFromScript(std::string("1 key Down down\n") + c.line + "\n", read, damaged));
    ASSERT_EQ(damaged.size(), 1u) << c.line;
    EXPECT_EQ(damaged[0].rfind(c.why, 0), 0u) << damaged[0];
  }
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

TEST_F(SettingsFileTest, DamagedLinesAreNamedAndTheRestApplies) {
  const std::string path = dir_ + "/vor.ini";
  std::ofstream(path) << "fullscreen=0\ngarbage\ndifficulty=awful\nsound=off\n";
  testing::internal::CaptureStderr();
  const Settings s = LoadSettings(path);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(s.fullscreen, false);
  EXPECT_EQ(s.difficulty, std::nullopt);
  EXPECT_EQ(s.soundOn, uint8_t(0));
  EXPECT_NE(err.find(path + ": line 2 is not key=value"), std::string::npos) << err;
  EXPECT_NE(err.find(path + ": line 3: difficulty is normal, kindly or hardly, not 'awful'"),
            std::string::npos)
      << err;
  // The reload before a save says nothing again.
  testing::internal::CaptureStderr();
  EXPECT_EQ(LoadSettings(path, true).soundOn, uint8_t(0));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST_F(SettingsFileTest, ManyDamagedLinesAreCountedNotAllNamed) {
  const std::string path = dir_ + "/vor.ini";
  std::string lines;
  for (int i = 0; i < 40; ++i) lines += "junk\n";
  std::ofstream(path) << lines;
  testing::internal::CaptureStderr();
  (void)LoadSettings(path);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 11) << err;
  EXPECT_NE(err.find("30 more damaged lines"), std::string::npos) << err;
}

// A folder, a FIFO or a device in place of the file is named and never read (a FIFO would hang).
TEST_F(SettingsFileTest, SpecialFilesAreNamedNotRead) {
  const std::string folder = dir_ + "/folder.ini", fifo = dir_ + "/fifo.ini";
  ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& path : {folder, fifo, std::string("/dev/null")}) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(LoadSettings(path), Settings{}) << path;
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find(path + ": it is not a regular file"), std::string::npos) << err;
  }
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
