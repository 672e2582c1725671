// Scenarios and levels on the game object: reading a level text into the level fields, starting a
// scenario, loading a level and stepping through the scenario files of the folder.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "game/GameUnit.h"
#include "display/SpriteSurface.h"
#include "gameplay/ScenarioFile.h"
#include "platform/Input.h"
#include "base/Random.h"
#include "platform/System.h"

namespace fs = std::filesystem;

namespace {

class Level : public ::testing::Test {
 protected:
  void SetUp() override {
    system_ = System::Create(true, false);
    game_ = std::make_unique<TGame>(*system_);
    GameRandom().Seed(11);
  }
  // Parses lines joined by CR on the given difficulty.
  bool Parse(const std::string& lines, uint8_t difficulty = 0) {
    game_->Difficulty = difficulty;
    return game_->ParseLevel(lines);
  }
  std::unique_ptr<System> system_;
  std::unique_ptr<TGame> game_;
};

TEST_F(Level, BlanksAroundTheEqualsSignBelongToKeyAndValue) {
  struct Case {
    const char* text;
    const char* name;
  } cases[] = {
      {"name = Forest\r", ""},  // the key is "NAME "
      {"NAME=Forest\r", "Forest"},
      {"name=Forest\r", "Forest"},  // keys are upper-cased
      {"NAME= Forest \r", " Forest "},
      {"NAME=a=b\r", "a=b"},              // the first "=" splits
      {"NAME=Forest", "Forest"},          // the last line needs no CR
      {"NAME=Forest\nX\r", "Forest\nX"},  // only CR ends a line
      {"NAME=First\rNAME=Second\r", "First"},
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(Parse(c.text)) << c.text;
    EXPECT_EQ(game_->LevelName, c.name) << c.text;
  }
  EXPECT_TRUE(Parse("NAME=" + std::string(200, 'n') + "\r"));
  EXPECT_EQ(game_->LevelName, std::string(128, 'n'));
}

TEST_F(Level, FlagsAreFalseOnlyForALeadingZero) {
  struct Case {
    const char* value;
    uint8_t on;
  } cases[] = {{"0", 0}, {"00", 0}, {"0no", 0}, {"1", 1}, {" 0", 1}, {"no", 1}, {"2", 1}};
  for (const Case& c : cases) {
    ASSERT_TRUE(Parse(std::string("ISNIGHT=") + c.value + "\rT1_VISIBLE=" + c.value + "\r"));
    EXPECT_EQ(game_->NightOn, c.on) << c.value;
    EXPECT_EQ(game_->Targets[1].VISIBLE, c.on) << c.value;
  }
}

TEST_F(Level, AnEmptyFlagStopsTheParseWithWhatWasRead) {
  // Keys are looked up in table order, so ISWIND (after ISNIGHT) is never read.
  EXPECT_FALSE(Parse("NAME=Dusk\rISWIND=1\rISNIGHT=\rT1_VISIBLE=1\r"));
  EXPECT_EQ(game_->LoadFailure, 2);
  EXPECT_EQ(game_->LevelName, "Dusk");
  EXPECT_EQ(game_->WindOn, 0);
  EXPECT_EQ(game_->Targets[1].VISIBLE, 0);

  // A target flag: the slots before it are read, the rest keep their defaults.
  EXPECT_FALSE(Parse("T1_X=5\rT2_X=6\rT2_NEEDHIT=\rT3_VISIBLE=1\rM1_VISIBLE=1\r", 1));
  EXPECT_EQ(game_->Targets[1].X, 5);
  EXPECT_EQ(game_->Targets[1].SIZE, 0);
  EXPECT_EQ(game_->Targets[2].X, 0);
  EXPECT_EQ(game_->Targets[3].VISIBLE, 0);
  EXPECT_EQ(game_->Magnets[1].VISIBLE, 0);

  // The next good level clears the failure; a graphics failure is left alone.
  EXPECT_TRUE(Parse("ISNIGHT=1\r"));
  EXPECT_EQ(game_->LoadFailure, 0);
  game_->LoadFailure = 1;
  EXPECT_TRUE(Parse("ISNIGHT=1\r"));
  EXPECT_EQ(game_->LoadFailure, 1);
}

TEST_F(Level, RangesAreClampedAndSizeFollowsDifficulty) {
  struct Case {
    const char* text;
    uint8_t difficulty;
    uint8_t type, size, isBonus, bonusNumber, goType, magnetSize, backgroundType;
  } cases[] = {
      {"T3_TYPE=9\rT3_SIZE=1\r", 0, 0, 1, 0, 0, 0, 0, 0},
      {"T3_TYPE=7\rT3_SIZE=1\r", 1, 7, 0, 0, 0, 0, 0, 0},
      {"T3_TYPE=-1\rT3_SIZE=1\r", 2, 0, 2, 0, 0, 0, 0, 0},
      {"", 2, 0, 2, 0, 0, 0, 0, 0},  // no SIZE key: "hardly" still sets 2
      {"T3_SIZE=3\rT3_ISBONUS=3\rT3_BONUSNUMBER=8\rT3_GOTYPE=2\rM3_SIZE=2\rBACKGROUNDTYPE=4\r", 0,
       0, 0, 3, 8, 2, 2, 4},
      {"T3_ISBONUS=4\rT3_BONUSNUMBER=9\rT3_GOTYPE=3\rM3_SIZE=3\rBACKGROUNDTYPE=5\r", 0, 0, 0, 0, 0,
       0, 0, 0},
      {"T3_TYPE=$100000005\r", 0, 0, 0, 0, 0, 0, 0, 0},  // not a 32-bit number: 0
      {"T3_TYPE=261\r", 0, 0, 0, 0, 0, 0, 0, 0},         // not narrowed to a byte first
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(Parse(c.text, c.difficulty)) << c.text;
    const TTargetRec& t = game_->Targets[3];
    EXPECT_EQ(t.TYPE, c.type) << c.text;
    EXPECT_EQ(t.SIZE, c.size) << c.text;
    EXPECT_EQ(t.ISBONUS, c.isBonus) << c.text;
    EXPECT_EQ(t.BONUSNUMBER, c.bonusNumber) << c.text;
    EXPECT_EQ(t.GOTYPE, c.goType) << c.text;
    EXPECT_EQ(game_->Magnets[3].SIZE, c.magnetSize) << c.text;
    EXPECT_EQ(game_->BackgroundType, c.backgroundType) << c.text;
  }
}

TEST_F(Level, TimeLimitIsScaledByDifficultyRoundingHalvesToEven) {
  struct Case {
    const char* text;
    uint8_t difficulty;
    int32_t counter;
  } cases[] = {
      {"TIMELIMIT=1001\r", 0, 1001},
      {"TIMELIMIT=1001\r", 1, 1502},  // 1501.5
      {"TIMELIMIT=1003\r", 1, 1504},  // 1504.5
      {"TIMELIMIT=1001\r", 2, 701},   // 700.7
      {"TIMELIMIT=45\r", 2, 32},      // 31.5
      {"TIMELIMIT=15\r", 2, 10},      // 10.5
      {"TIMELIMIT=-45\r", 2, -32},    // -31.5
      {"", 0, 1000},
      {"", 1, 1000},
      {"", 2, 1000},
      {"TIMELIMIT=x\r", 1, 0},
      {"TIMELIMIT=2000000000\r", 1, 2147483647},  // saturates
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(Parse(c.text, c.difficulty));
    EXPECT_EQ(game_->TimeCounter, c.counter) << c.text << " difficulty " << int(c.difficulty);
  }
}

TEST_F(Level, ReadsEveryKeyIntoItsField) {
  const std::string text =
      "; a comment line\r"
      "ISWIND=1\rISMIRROR=1\rISTIME=1\rWINDX=-3\rWINDY=$10\rISMAGNET=1\r"
      "ISUNIFORMBACKGROUND=1\rBACKGROUNDCOLOR=0xFF8000\rBACKGROUNDINDEX=5\rBACKGROUNDTYPE=2\r"
      "BACKGROUNDPHAZE1=7\rBACKGROUNDPHAZE2=-8\r"
      "T10_VISIBLE=1\rT10_NEEDHIT=1\rT10_X=120\rT10_Y= 340\rT10_PICTUREINDEX=3\r"
      "T10_PHAZE1=4\rT10_PHAZE2=9\rT10_GOTYPE=1\rT10_COORDARRAY=10,20:30\r"
      "M10_VISIBLE=1\rM10_X=400\rM10_Y=300\rM10_SIZE=1\rM10_PHAZE1=29\r"
      "T11_VISIBLE=1\rM0_VISIBLE=1\rT1_X =5\r";
  ASSERT_TRUE(Parse(text));
  TGame& g = *game_;
  EXPECT_EQ(g.NightOn, 0);
  EXPECT_EQ(g.WindOn, 1);
  EXPECT_EQ(g.MirrorOn, 1);
  EXPECT_EQ(g.TimeLimitOn, 1);
  EXPECT_EQ(g.WindX, -3.0f);
  EXPECT_EQ(g.WindY, 16.0f);
  EXPECT_EQ(g.MagnetOn, 1);
  EXPECT_EQ(g.UniformBackground, 1);
  EXPECT_EQ(g.BackgroundColor, 0xFF8000u);
  EXPECT_EQ(g.BackgroundIndex, 5);
  EXPECT_EQ(g.BackgroundType, 2);
  EXPECT_EQ(g.BackgroundPhaze1, 7);
  EXPECT_EQ(g.BackgroundPhaze2, -8);
  const TTargetRec& t = g.Targets[10];
  EXPECT_EQ(t.VISIBLE, 1);
  EXPECT_EQ(t.NEEDHIT, 1);
  EXPECT_EQ(t.X, 120);
  EXPECT_EQ(t.Y, 340);
  EXPECT_EQ(t.PICTUREINDEX, 3);
  EXPECT_EQ(t.PHAZE1, 4);
  EXPECT_EQ(t.PHAZE2, 9);
  EXPECT_EQ(t.GOTYPE, 1);
  EXPECT_EQ(t.PathIndex, -1);
  EXPECT_EQ(t.COORDARRAY[0].x, 10);
  EXPECT_EQ(t.COORDARRAY[0].y, 20);
  EXPECT_EQ(t.COORDARRAY[0].n, 0);
  EXPECT_EQ(t.COORDARRAY[1].x, 30);
  EXPECT_EQ(t.COORDARRAY[1].y, 0);
  const TMagnetRec& m = g.Magnets[10];
  EXPECT_EQ(m.VISIBLE, 1);
  EXPECT_EQ(m.X, 400);
  EXPECT_EQ(m.Y, 300);
  EXPECT_EQ(m.SIZE, 1);
  EXPECT_EQ(m.PHAZE1, 29);
  for (int i = 1; i < 10; ++i) {
    EXPECT_EQ(g.Targets[i].VISIBLE, 0) << i;
    EXPECT_EQ(g.Targets[i].X, 0) << i;
    EXPECT_EQ(g.Magnets[i].VISIBLE, 0) << i;
  }
}

TEST_F(Level, ATabBeforeAnIntegerIsABlank) {
  ASSERT_TRUE(Parse("WINDX=\t-3\rBACKGROUNDINDEX= \t5\rT1_X=\t120\rT1_Y=\t $10\r"
                    "T1_COORDARRAY=\t10,\t20:\t30\rM1_X=120\t\r"));
  const TGame& g = *game_;
  EXPECT_EQ(g.WindX, -3.0f);
  EXPECT_EQ(g.BackgroundIndex, 5);
  EXPECT_EQ(g.Targets[1].X, 120);
  EXPECT_EQ(g.Targets[1].Y, 16);
  EXPECT_EQ(g.Targets[1].COORDARRAY[0].x, 10);
  EXPECT_EQ(g.Targets[1].COORDARRAY[0].y, 20);
  EXPECT_EQ(g.Targets[1].COORDARRAY[1].x, 30);
  EXPECT_EQ(g.Magnets[1].X, 0);  // a tab after the number makes it no integer
}

TEST_F(Level, TheFirstOfTwoEqualKeysCounts) {
  ASSERT_TRUE(Parse("T1_X=5\rT1_X=7\rt1_x=9\r"));
  EXPECT_EQ(game_->Targets[1].X, 5);
}

TEST_F(Level, ANewLevelStartsFromTheDefaults) {
  ASSERT_TRUE(
      Parse("NAME=Old\rISNIGHT=1\rTIMELIMIT=5\rT1_VISIBLE=1\rT1_X=9\rM2_VISIBLE=1\r"
            "BACKGROUNDCOLOR=7\rWINDX=3\r"));
  game_->LevelNameTicks = 40;
  game_->Targets[1].GlideStepX = 2;
  ASSERT_TRUE(Parse(""));
  TGame& g = *game_;
  EXPECT_EQ(g.LevelName, "");
  EXPECT_EQ(g.LevelNameTicks, 0);
  EXPECT_EQ(g.NightOn, 0);
  EXPECT_EQ(g.TimeCounter, 1000);
  EXPECT_EQ(g.BackgroundColor, 0u);
  EXPECT_EQ(g.WindX, 0.0f);
  EXPECT_EQ(g.Targets[1].VISIBLE, 0);
  EXPECT_EQ(g.Targets[1].X, 0);
  EXPECT_EQ(g.Targets[1].GlideStepX, 0.0f);
  EXPECT_EQ(g.Targets[1].PathIndex, -1);
  EXPECT_EQ(g.Magnets[2].VISIBLE, 0);
}

TEST_F(Level, OutOfRangeIndexesAreReplacedByRandomOnes) {
  const int32_t backgrounds = game_->BackgroundCount();
  const int32_t pictures = game_->TargetPictureCount();
  std::set<int32_t> seenBackgrounds, seenPictures;
  for (int i = 0; i < 300; ++i) {
    const std::string background = i % 3 == 0 ? "-1" : i % 3 == 1 ? "9999" : "x";
    const std::string picture = i % 2 ? "-1" : std::to_string(pictures);
    ASSERT_TRUE(Parse("BACKGROUNDINDEX=" + background + "\rT2_PICTUREINDEX=" + picture + "\r"));
    ASSERT_GE(game_->BackgroundIndex, 0);
    ASSERT_LT(game_->BackgroundIndex, backgrounds);
    ASSERT_GE(game_->Targets[2].PICTUREINDEX, 1);  // never picture 0
    ASSERT_LT(game_->Targets[2].PICTUREINDEX, pictures);
    // "x" reads as 0, a valid index.
    if (i % 3 == 2) {
      EXPECT_EQ(game_->BackgroundIndex, 0);
    }
    seenBackgrounds.insert(game_->BackgroundIndex);
    seenPictures.insert(game_->Targets[2].PICTUREINDEX);
  }
  EXPECT_GT(seenBackgrounds.size(), 10u);
  EXPECT_EQ(seenPictures.size(), size_t(pictures - 1));
  // Valid values stay; without the key the default is random too.
  ASSERT_TRUE(Parse("BACKGROUNDINDEX=0\rT2_PICTUREINDEX=0\r"));
  EXPECT_EQ(game_->BackgroundIndex, 0);
  EXPECT_EQ(game_->Targets[2].PICTUREINDEX, 0);
  ASSERT_TRUE(Parse(""));
  for (int i = 1; i <= kTargetSlots; ++i) {
    EXPECT_GE(game_->Targets[i].PICTUREINDEX, 1);
    EXPECT_LT(game_->Targets[i].PICTUREINDEX, pictures);
  }
}

TEST_F(Level, RandomChoicesFollowTheSheetsFrameCounts) {
  game_->Backgrounds = std::make_unique<TDXBaseSurface>();
  game_->Backgrounds->FrameCount = 3;
  game_->TargetPictures = std::make_unique<TDXBaseSurface>();
  game_->TargetPictures->FrameCount = 1;
  for (int i = 0; i < 50; ++i) {
    ASSERT_TRUE(Parse("BACKGROUNDINDEX=3\rT1_PICTUREINDEX=1\r"));
    EXPECT_LT(game_->BackgroundIndex, 3);
    // With one picture the random choice is that picture.
    for (int t = 1; t <= kTargetSlots; ++t) EXPECT_EQ(game_->Targets[t].PICTUREINDEX, 0);
  }
}

TEST_F(Level, TheSameSeedGivesTheSameLevel) {
  GameRandom().Seed(5);
  ASSERT_TRUE(Parse("BACKGROUNDINDEX=-1\r"));
  const int32_t background = game_->BackgroundIndex, picture = game_->Targets[4].PICTUREINDEX;
  GameRandom().Seed(5);
  ASSERT_TRUE(Parse("BACKGROUNDINDEX=-1\r"));
  EXPECT_EQ(game_->BackgroundIndex, background);
  EXPECT_EQ(game_->Targets[4].PICTUREINDEX, picture);
}

// Tests that work with files run in a fresh folder of their own.
class ScenarioFolder : public Level {
 protected:
  void SetUp() override {
    Level::SetUp();
    old_ = fs::current_path();
    char pattern[] = "/tmp/vor-scenario-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    fs::current_path(dir_);
  }
  void TearDown() override {
    fs::current_path(old_);
    fs::remove_all(dir_);
  }
  static void Write(const std::string& name, const std::string& bytes) {
    std::ofstream(name, std::ios::binary) << bytes;
  }
  fs::path old_, dir_;
};

TEST_F(ScenarioFolder, StartScenarioStartsLevelOneWithBulletsByDifficulty) {
  Write("hunt.lev", JoinScenario({"NAME=One\rT1_VISIBLE=1\rT1_NEEDHIT=1\r", "NAME=Two\r"}));
  for (uint8_t difficulty : {0, 1, 2}) {
    game_->Difficulty = difficulty;
    game_->Score = game_->PendingScore = game_->HitStreak = 9;
    game_->TargetsHit = game_->Medals = game_->Misses = 9;
    ASSERT_TRUE(game_->StartScenario("hunt.lev"));
    EXPECT_EQ(game_->Bullets, difficulty == 0 ? 7 : difficulty == 1 ? 10 : 4);
    EXPECT_EQ(game_->State, gsPlaying);
    EXPECT_EQ(game_->Level, 1);
    EXPECT_EQ(game_->LevelName, "One");
    EXPECT_EQ(game_->LevelTexts.size(), 2u);
    for (int32_t v : {game_->Score, game_->PendingScore, game_->HitStreak, game_->TargetsHit,
                      game_->Medals, game_->Misses})
      EXPECT_EQ(v, 0);
  }
  // The name is matched in any letter case.
  EXPECT_TRUE(game_->StartScenario("HUNT.LEV"));
}

TEST_F(ScenarioFolder, StartScenarioFailsWithoutLevelsOrFile) {
  game_->State = gsMainMenu;
  EXPECT_FALSE(game_->StartScenario("missing.lev"));
  EXPECT_EQ(game_->MessageFrames, 0);
  Write("empty.lev", JoinScenario({}));
  EXPECT_FALSE(game_->StartScenario("empty.lev"));
  EXPECT_EQ(game_->Message, "Scanario is not\r\ncontain levels!");
  EXPECT_EQ(game_->MessageFrames, 200);
  Write("short.lev", std::string(100, '\0'));
  EXPECT_FALSE(game_->StartScenario("short.lev"));
  EXPECT_EQ(game_->State, gsMainMenu);
}

TEST_F(ScenarioFolder, AHostileScenarioIsRefusedAndLeavesNoLevels) {
  std::string file = JoinScenario({"A=1\r", "B=2\r"});
  file[256 + 4] = char(0x7F);  // level 2 starts far past the body
  Write("bad.lev", file);
  game_->LevelTexts = {"stale"};
  EXPECT_FALSE(game_->LoadScenarioFile("bad.lev"));
  EXPECT_TRUE(game_->LevelTexts.empty());
}

TEST_F(ScenarioFolder, AnEmptyFlagIsPlayedWithLoadFailureTwo) {
  Write("night.lev", JoinScenario({"NAME=Night\rISNIGHT=\rISWIND=1\r", "NAME=Next\r"}));
  ASSERT_TRUE(game_->StartScenario("night.lev"));
  EXPECT_EQ(game_->State, gsPlaying);
  EXPECT_EQ(game_->LoadFailure, 2);
  EXPECT_EQ(game_->LevelName, "Night");
  EXPECT_EQ(game_->MessageFrames, 0);
  game_->LoadLevel(2);
  EXPECT_EQ(game_->LoadFailure, 0);
  EXPECT_EQ(game_->LevelName, "Next");
}

TEST_F(Level, LoadLevelPreparesPlay) {
  game_->LevelTexts = {"NAME=A\r", "NAME=B\rISTIME=1\r"};
  game_->EffectTimers[3] = 50;
  game_->KeyLatch[DIK_LEFT] = 7;
  game_->ShotMarks[4] = TShotMark{1, 2, 3};
  game_->LoadLevel(2);
  EXPECT_EQ(game_->State, gsPlaying);
  EXPECT_EQ(game_->Level, 2);
  EXPECT_EQ(game_->LevelName, "B");
  EXPECT_EQ(game_->TimeLimitOn, 1);
  EXPECT_EQ(game_->EffectTimers[3], 0);
  EXPECT_EQ(game_->KeyLatch[DIK_LEFT], 0);
  EXPECT_EQ(game_->KeyLatch[DIK_SPACE], 10);
  EXPECT_EQ(game_->ShotMarks[4].frame, -1);
  // A level past the end plays with the defaults.
  game_->LoadLevel(3);
  EXPECT_EQ(game_->State, gsPlaying);
  EXPECT_EQ(game_->LevelName, "");
}

TEST_F(ScenarioFolder, NextScenarioStepsThroughTheFolderIgnoringCase) {
  for (const char* name : {"a.lev", "main.lev", "z.lev", "notes.txt", "x.levels"}) Write(name, "");
  fs::create_directory("dir.lev");
  struct Case {
    const char* current;
    const char* next;
  } cases[] = {
      {"MAIN.LEV", "z.lev"}, {"z.lev", "a.lev"},    {"missing.lev", "a.lev"},
      {"", "a.lev"},         {"a.lev", "main.lev"},
  };
  for (const Case& c : cases) {
    game_->ScenarioFile = c.current;
    game_->NextScenario();
    EXPECT_EQ(game_->ScenarioFile, c.next) << c.current;
  }
  // Upper-case extensions count as scenario files.
  Write("B.LEV", "");
  game_->ScenarioFile = "a.lev";
  game_->NextScenario();
  EXPECT_EQ(game_->ScenarioFile, "B.LEV");
}

TEST_F(ScenarioFolder, AnInstalledGameOffersTheScenariosOfItsDataAndOfThePlayer) {
  struct Reset {
    ~Reset() { SetFileFolders({}); }
  } reset;
  fs::create_directory("share");
  fs::create_directory("mine");
  Write("share/main.lev", JoinScenario({"NAME=Shipped\r"}));
  Write("share/training.lev", "");
  Write("mine/own.lev", JoinScenario({"NAME=Own\r"}));
  Write("mine/training.lev", "");
  Write("stray.lev", "");
  const std::string root = fs::current_path().string();
  SetFileFolders({root + "/share", root + "/mine", root + "/cache"});
  game_->ScenarioFile = "main.lev";
  for (const char* next : {"own.lev", "training.lev", "main.lev"}) {
    game_->NextScenario();
    EXPECT_EQ(game_->ScenarioFile, next);
  }
  ASSERT_TRUE(game_->StartScenario("own.lev"));
  EXPECT_EQ(game_->LevelName, "Own");
  ASSERT_TRUE(game_->StartScenario("main.lev"));
  EXPECT_EQ(game_->LevelName, "Shipped");
}

TEST_F(ScenarioFolder, NextScenarioWithNoScenarioFilesChangesNothing) {
  game_->ScenarioFile = "main.lev";
  game_->NextScenario();
  EXPECT_EQ(game_->ScenarioFile, "main.lev");
}

}  // namespace
