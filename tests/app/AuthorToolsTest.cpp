// The authors' tools: lint findings with the lines they name, lint of lists and scenarios, level
// arguments, the sight's reach and one level played alone with its file watched.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "app/AuthorTools.h"
#include "app/GameUnit.h"
#include "gameplay/ScenarioFile.h"
#include "platform/Random.h"
#include "platform/System.h"

namespace fs = std::filesystem;

namespace {

// A level that lints clean: one target to hit, well in reach.
constexpr const char* kTarget = "T1_VISIBLE=1\nT1_NEEDHIT=1\nT1_X=400\nT1_Y=300\n";

struct Expected {
  int32_t line;
  bool error;
  const char* text;
};

std::string Describe(const std::vector<TLintFinding>& findings) {
  std::string s;
  for (const TLintFinding& f : findings) s += FormatFinding("", f) + "\n";
  return s;
}

class Lint : public ::testing::Test {
 protected:
  void SetUp() override { system_ = System::Create(true, false); }
  std::unique_ptr<System> system_;
};

TEST_F(Lint, EachFindingNamesItsLine) {
  const struct {
    std::string text;
    std::vector<Expected> findings;
  } cases[] = {
      {kTarget, {}},
      // Comments and blank lines count as lines; CR LF ends lines too.
      {"# level\r\n\r\n" + std::string(kTarget) + "T1_X=500\n",
       {{7, false, "T1_X is given again; the first, on line 5, counts"}}},
      {std::string(kTarget) + "T1_PICTUREINDX=3\n",
       {{5, false, "unknown key T1_PICTUREINDX; did you mean T1_PICTUREINDEX?"}}},
      {std::string(kTarget) + "COLOUR=3\n", {{5, false, "unknown key COLOUR"}}},
      {std::string(kTarget) + "t11_x=4\n", {{5, false, "T11_X: targets are numbered 1 to 10"}}},
      {"NAME = Fair\n" + std::string(kTarget),
       {{1, false, "blank around the key 'NAME ': the game knows only NAME"}}},
      {std::string(kTarget) + "ISNIGHT= 0\n", {{5, false, "blank after '=' in ISNIGHT"}}},
      {std::string(kTarget) + "T1_TYPE=9\n", {{5, false, "T1_TYPE=9 is outside 0..7"}}},
      {std::string(kTarget) + "M2_SIZE=-1\n", {{5, false, "M2_SIZE=-1 is outside 0..2"}}},
      {std::string(kTarget) + "WINDX=3 \n", {{5, false, "WINDX='3 ' is not an integer"}}},
      {std::string(kTarget) + "T1_PICTUREINDEX=23\n",
       {{5, false, "beyond the 23 target pictures"}}},
      {std::string(kTarget) + "T1_PICTUREINDEX=-1\n", {}},
      {"BACKGROUNDINDEX=26\n" + std::string(kTarget), {{1, false, "beyond the 26 backgrounds"}}},
      {std::string(kTarget) + "T1_COORDARRAY=400,300\n",
       {{5, false, "point 0 has 2 of its 3 numbers"}}},
      {std::string(kTarget) + "T1_COORDARRAY=400,x,2\n", {{5, false, "'x' in point 0"}}},
      {std::string(kTarget) + "T1_GOTYPE=1\nT1_COORDARRAY=400,300,9:900,300,9\n",
       {{6, false, "T1's path point 1 (900, 300) is outside the field"}}},
      {std::string(kTarget) + "T2_VISIBLE=1\nT2_X=900\nT2_Y=300\n",
       {{6, false, "T2 at (900, 300) is outside the field"}}},
      {std::string(kTarget) + "T2_VISIBLE=1\nT2_Y=520\nT2_X=700\n",
       {{7, false, "T2 at (700, 520) is out of the sight's reach"}}},
      {std::string(kTarget) + "M1_VISIBLE=1\nM1_X=900\nM1_Y=100\n",
       {{6, false, "M1 at (900, 100) is outside the 800 x 600 field"}}},
      {std::string(kTarget) + "M1_VISIBLE=1\nM1_X=400\nM1_Y=100\nM1_PHAZE1=30\n",
       {{8, false, "M1_PHAZE1=30 is outside the frames 0..29"}}},
      {std::string(kTarget) + "M1_VISIBLE=1\nM1_SIZE=2\nM1_X=20\nM1_Y=555\n",
       {{3, false, "T1 at (400, 300) is out of the sight's reach"},
        {7, false, "M1's core covers the sight's start"}}},
      {std::string(kTarget) + "T2_VISIBLE=1\nT2_NEEDHIT=1\nT2_X=600\nT2_Y=200\nT2_TYPE=6\n",
       {{9, false, "T2 falls at once (TYPE=6) and can never be hit"}}},
      // Errors: the parse stops, the level ends at once or can never be played.
      {std::string(kTarget) + "M1_VISIBLE=\nNAME=Late\n",
       {{5, true, "the flag M1_VISIBLE has no value: the game stops reading the level here"}}},
      {"ISWIND=\n" + std::string(kTarget),
       {{1, true, "the flag ISWIND has no value"},
        {1, true,
         "no visible target needs a hit (VISIBLE=1 with NEEDHIT=1): the level ends at "
         "once (the reading stopped on line 1)"}}},
      {"NAME=Empty\n", {{1, true, "no visible target needs a hit"}}},
      {"T1_X=400\nT1_Y=300\nT1_NEEDHIT=1\n", {{3, true, "no visible target needs a hit"}}},
      {std::string(kTarget) + "T1_TYPE=6\n",
       {{2, true, "no target that needs a hit can ever be hit (T1 falls at once (TYPE=6))"},
        {5, false, "T1 falls at once"}}},
      {"T1_VISIBLE=1\nT1_NEEDHIT=1\nT1_X=900\nT1_Y=300\n",
       {{2, true, "(T1 never enters the field)"}, {3, false, "T1 at (900, 300) is outside"}}},
  };
  TLevelLint lint(*system_);
  for (const auto& c : cases) {
    const std::vector<TLintFinding> found = lint.CheckLevelFile(c.text);
    ASSERT_EQ(found.size(), c.findings.size()) << c.text << "gave\n" << Describe(found);
    for (size_t i = 0; i < found.size(); ++i) {
      EXPECT_EQ(found[i].line, c.findings[i].line) << c.text << Describe(found);
      EXPECT_EQ(found[i].error, c.findings[i].error) << c.text << Describe(found);
      EXPECT_NE(found[i].message.find(c.findings[i].text), std::string::npos) << c.text << "gave\n"
                                                                              << Describe(found);
    }
  }
}

TEST_F(Lint, LeavesTheGameAsItWas) {
  GameRandom().Seed(5);
  const Random before = GameRandom();
  TLevelLint lint(*system_);
  (void)lint.CheckLevelFile("T1_VISIBLE=1\nT1_PICTUREINDEX=-1\nBACKGROUNDINDEX=99\n");
  Random a = before, b = GameRandom();
  EXPECT_EQ(a.Int(1000000), b.Int(1000000));
}

TEST_F(Lint, StoredLevelsCountTheirCrEndedLines) {
  TLevelLint lint(*system_);
  const auto found = lint.CheckStoredLevel(
      "T1_VISIBLE=1\rT1_NEEDHIT=1\rno equals\rT1_X=400\r"
      "T1_Y=300\rT1_X=1\r");
  ASSERT_EQ(found.size(), 1u) << Describe(found);
  EXPECT_EQ(found[0].line, 6);
}

class LintFilesTest : public Lint {
 protected:
  void SetUp() override {
    Lint::SetUp();
    dir_ = fs::temp_directory_path() / ("vor-lint-" + std::to_string(getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  fs::path dir_;
};

TEST_F(LintFilesTest, ListsScenariosAndTheSummary) {
  const std::string good = Write("good.txt", kTarget);
  const std::string warned = Write("warned.txt", std::string(kTarget) + "T1_X=1\n");
  const std::string list =
      Write("levels.list", good + "\n\n" + (dir_ / "gone.txt").string() + "\n" + warned + "\n");
  std::string out;
  EXPECT_EQ(LintFiles(*system_, {list}, false, out), 1);
  EXPECT_EQ(out, list + ":3: error: no level file '" + (dir_ / "gone.txt").string() +
                     "' (names are read from the folder compile runs in): compile leaves this "
                     "level out\n" +
                     warned + ":5: warning: T1_X is given again; the first, on line 3, counts\n" +
                     "vor lint: 1 error, 1 warning\n");

  // Warnings alone: status 0; quiet leaves them and the summary out.
  out.clear();
  EXPECT_EQ(LintFiles(*system_, {warned, good}, true, out), 0);
  EXPECT_EQ(out, "");

  const std::string lev =
      Write("s.lev", JoinScenario({"T1_VISIBLE=1\rT1_NEEDHIT=1\rT1_X=400\rT1_Y=300\r",
                                   "T1_VISIBLE=1\rT1_NEEDHIT=1\rT1_X=400\rT1_Y=300\rT1_TYPE=8\r"}));
  out.clear();
  EXPECT_EQ(LintFiles(*system_, {lev}, false, out), 0);
  EXPECT_EQ(out, lev + ":level 2:5: warning: T1_TYPE=8 is outside 0..7 and becomes 0\n" +
                     "vor lint: 0 errors, 1 warning\n");

  const std::string empty = Write("empty.lev", JoinScenario({}));
  const std::string damaged = Write("damaged.lev", "short");
  const std::string none = Write("none.list", "\n");
  out.clear();
  EXPECT_EQ(LintFiles(*system_, {empty, damaged, none, (dir_ / "nothing.txt").string()}, true, out),
            1);
  EXPECT_NE(out.find(empty + ":1: error: the scenario holds no levels"), std::string::npos) << out;
  EXPECT_NE(out.find(damaged + ":1: error: not a scenario file"), std::string::npos) << out;
  EXPECT_NE(out.find(none + ":1: error: the list names no level file"), std::string::npos) << out;
  EXPECT_NE(out.find("nothing.txt:1: error: no such file"), std::string::npos) << out;
  EXPECT_NE(out.find("vor lint: 4 errors, 0 warnings\n"), std::string::npos) << out;
}

TEST(LevelSource, FileOrScenarioLevel) {
  const struct {
    const char* argument;
    bool ok;
    const char* file;
    int32_t level;
  } cases[] = {
      {"mine/01.txt", true, "mine/01.txt", 0},
      {"main.lev:3", true, "main.lev", 3},
      {"dir/MAIN.LEV:12", true, "dir/MAIN.LEV", 12},
      {"a:b.txt", true, "a:b.txt", 0},
      {"main.lev", false, "", 0},
      {"main.lev:0", false, "", 0},
      {"main.lev:x", false, "", 0},
      {"main.lev:", false, "", 0},
  };
  for (const auto& c : cases) {
    TLevelSource s;
    std::string error;
    EXPECT_EQ(ParseLevelSource(c.argument, s, error), c.ok) << c.argument;
    if (c.ok) {
      EXPECT_EQ(s.file, c.file);
      EXPECT_EQ(s.level, c.level);
    } else {
      EXPECT_FALSE(error.empty()) << c.argument;
    }
  }
}

TEST_F(LintFilesTest, LevelSourcesReadAsTheGamePlaysThem) {
  std::vector<std::string> levels;
  int first = 0;
  std::string error;
  const std::string text = Write("one.txt", "# a comment\r\nNAME=One\r\n\r\nT1_X=5\r\n");
  ASSERT_TRUE(ReadLevelSource({text, 0}, levels, first, error)) << error;
  EXPECT_EQ(levels, std::vector<std::string>{"NAME=One\rT1_X=5\r"});
  EXPECT_EQ(first, 1);

  const std::string lev = Write("two.lev", JoinScenario({"NAME=A\r", "NAME=B\r"}));
  ASSERT_TRUE(ReadLevelSource({lev, 2}, levels, first, error)) << error;
  EXPECT_EQ(levels.size(), 2u);
  EXPECT_EQ(first, 2);
  EXPECT_FALSE(ReadLevelSource({lev, 3}, levels, first, error));
  EXPECT_NE(error.find("holds 2 levels; there is no level 3"), std::string::npos) << error;
  EXPECT_FALSE(ReadLevelSource({(dir_ / "none.txt").string(), 0}, levels, first, error));
  EXPECT_FALSE(ReadLevelSource({text, 1}, levels, first, error)) << "a text is no scenario";
}

TEST(SightReach, OnlyUpAndRightAroundCores) {
  const TSightReach open({});
  EXPECT_TRUE(open.Reaches(700, 300));
  EXPECT_FALSE(open.Reaches(700, 500)) << "flatter than the sight can fly";
  EXPECT_FALSE(open.Reaches(40, 100)) << "steeper than the sight can fly";
  EXPECT_FALSE(open.Reaches(5, 300)) << "left of the start";
  // A row of big cores across the whole way up.
  std::vector<TSightReach::Circle> wall;
  for (int x = 0; x <= 800; x += 60) wall.push_back({double(x), 400, 40});
  const TSightReach walled(wall);
  EXPECT_FALSE(walled.Reaches(400, 200));
  EXPECT_TRUE(walled.Reaches(400, 450));
}

class LevelRunTest : public LintFilesTest {
 protected:
  void SetUp() override {
    LintFilesTest::SetUp();
    game_ = std::make_unique<TGame>(*system_);
    ASSERT_TRUE(game_->InitDisplay());
  }
  // Rewrites the file and moves its time on, as an editor's save does.
  void Edit(const std::string& path, const std::string& text) {
    const auto before = fs::last_write_time(path);
    Write(fs::path(path).filename().string(), text);
    fs::last_write_time(path, before + std::chrono::seconds(2));
  }
  std::unique_ptr<TGame> game_;
};

TEST_F(LevelRunTest, PlaysOneLevelUntilItEndsOrEscape) {
  const std::string lev = Write(
      "run.lev", JoinScenario({"NAME=A\r", std::string("NAME=B\r") + "T1_VISIBLE=1\rT1_NEEDHIT=1\r",
                               "NAME=C\r"}));
  TLevelRun run(lev + ":2", false);
  std::string error;
  ASSERT_TRUE(run.Read(error)) << error;
  run.Start(*game_);
  EXPECT_EQ(game_->State, gsPlaying);
  EXPECT_EQ(game_->Level, 2);
  EXPECT_EQ(game_->LevelName, "B");
  EXPECT_EQ(game_->Bullets, 7);
  EXPECT_FALSE(run.AfterTick());
  game_->State = gsLevelDone;
  EXPECT_FALSE(run.AfterTick()) << "the level-done picture belongs to the level";
  game_->LoadLevel(3);
  EXPECT_TRUE(run.AfterTick()) << "the next level is not played";

  run.Start(*game_);
  game_->State = gsGameMenu;
  EXPECT_TRUE(run.AfterTick()) << "Escape ends the run";

  TLevelRun bad("missing.txt", false);
  EXPECT_FALSE(bad.Read(error));
}

TEST_F(LevelRunTest, WatchReloadsTheChangedFileAndRestartsAtTheEnd) {
  const std::string file = Write("watched.txt", "NAME=First\nT1_VISIBLE=1\nT1_NEEDHIT=1\n");
  TLevelRun run(file, true);
  std::string error;
  ASSERT_TRUE(run.Read(error)) << error;
  run.Start(*game_);
  EXPECT_EQ(game_->LevelName, "First");
  game_->Bullets = 2;
  for (int i = 0; i < 20; ++i) EXPECT_FALSE(run.AfterTick());
  EXPECT_EQ(game_->Bullets, 2) << "an unchanged file is not read again";

  Edit(file, "NAME=Second\nT1_VISIBLE=1\nT1_NEEDHIT=1\n");
  for (int i = 0; i < 8; ++i) EXPECT_FALSE(run.AfterTick());
  EXPECT_EQ(game_->LevelName, "Second");
  EXPECT_EQ(game_->Bullets, 7);
  EXPECT_EQ(game_->State, gsPlaying);

  // A file that cannot be read leaves the level playing.
  fs::remove(file);
  for (int i = 0; i < 8; ++i) EXPECT_FALSE(run.AfterTick());
  EXPECT_EQ(game_->LevelName, "Second");

  game_->State = gsGameOver;
  EXPECT_FALSE(run.AfterTick());
  EXPECT_EQ(game_->State, gsPlaying) << "the level starts again";
}

}  // namespace
