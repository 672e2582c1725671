// The authors' tools: lint findings with the lines they name, lint of lists and scenarios, level
// arguments, the sight's reach and one level played alone with its file watched.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "authoring/AuthorTools.h"
#include "game/GameUnit.h"
#include "gameplay/ScenarioFile.h"
#include "base/Random.h"
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
      {std::string(kTarget) + "ISNIGHT= 0\n",
       {{5, false, "ISNIGHT=' 0' reads as on (1): a flag is off only when its value starts with "
                   "the digit 0, and this one starts with a blank"}}},
      {std::string(kTarget) + "ISNIGHT=no\n", {{5, false, "ISNIGHT='no' reads as on (1)"}}},
      {std::string(kTarget) + "ISMIRROR=False\n", {{5, false, "ISMIRROR='False' reads as on"}}},
      {std::string(kTarget) + "ISNIGHT=yes\n", {}},
      // Integers may start with blanks or tabs.
      {"T1_VISIBLE=1\nT1_NEEDHIT=1\nT1_X=\t400\nT1_Y= 300\nWINDX= \t-2\n", {}},
      {std::string(kTarget) + "T1_TYPE=9\n", {{5, false, "T1_TYPE=9 is outside 0..7"}}},
      {std::string(kTarget) + "M2_SIZE=-1\n",
       {{5, false, "M2_SIZE=-1 is outside 0..2"}, {5, false, "M2 has keys but no M2_VISIBLE"}}},
      {std::string(kTarget) + "WINDX=3 \n", {{5, false, "WINDX='3 ' is not an integer"}}},
      {std::string(kTarget) + "T1_PICTUREINDEX=23\n",
       {{5, false, "T1_PICTUREINDEX=23 is outside the 23 target pictures (0..22)"}}},
      {std::string(kTarget) + "T1_PICTUREINDEX=-1\n",
       {{5, false, "T1_PICTUREINDEX=-1 is outside the 23 target pictures (0..22); one other "
                   "than 0 is chosen at random at every start"}}},
      {"BACKGROUNDINDEX=26\n" + std::string(kTarget), {{1, false, "outside the 26 backgrounds"}}},
      {"BACKGROUNDINDEX=-3\n" + std::string(kTarget),
       {{1, false, "BACKGROUNDINDEX=-3 is outside the 26 backgrounds"}}},
      {std::string(kTarget) + "T1_GOTYPE=1\nT1_COORDARRAY=400,300\n",
       {{6, false, "point 0 has 2 of its 3 numbers"},
        {6, false, "T1's path point 0 has n=0: the target glides there in a single frame"}}},
      {std::string(kTarget) + "T1_GOTYPE=2\nT1_COORDARRAY=400,x,2\n",
       {{6, false, "'x' in point 0"}, {6, false, "T1's path point 0 (400, 0) is outside"}}},
      // Paths: one without GOTYPE stands still; n below 1; an n of 0 ends the path.
      {std::string(kTarget) + "T1_COORDARRAY=400,300,9:500,300,9\n",
       {{5, false, "T1_COORDARRAY is given but T1_GOTYPE is missing: the target stands still"}}},
      {std::string(kTarget) + "T1_GOTYPE=0\nT1_COORDARRAY=400,300,9:500,300,9\n",
       {{6, false, "T1_COORDARRAY is given but T1_GOTYPE is 0"}}},
      {std::string(kTarget) + "T1_GOTYPE=2\nT1_COORDARRAY=400,300,5:500,300,-3\n",
       {{6, false, "T1's path point 1 has n=-3: the target waits there only one frame"}}},
      {std::string(kTarget) + "T1_GOTYPE=1\nT1_COORDARRAY=400,300,9:500,300,0:600,300,9:1,1,1\n",
       {{6, false, "T1's path point 1 has n=0, which ends the path: the target never goes to "
                   "points 1..3"}}},
      // A slot's keys without its VISIBLE.
      {std::string(kTarget) + "T2_X=300\nT2_Y=300\nM3_X=5\n",
       {{5, false, "T2 has keys but no T2_VISIBLE: the target is not in the level"},
        {7, false, "M3 has keys but no M3_VISIBLE: the magnet is not in the level"}}},
      {std::string(kTarget) + "T2_VISIBLE=0\nT2_X=300\n", {}},
      // The time limit that runs out at once, on the difficulties where it does.
      {std::string(kTarget) + "ISTIME=1\nTIMELIMIT=0\n",
       {{6, false, "the time limit runs out on the first frame (TIMELIMIT=0 with ISTIME on): it "
                   "costs three bullets at once"}}},
      {std::string(kTarget) + "ISTIME=1\nTIMELIMIT=-40\n", {{6, false, "the time limit runs out"}}},
      {std::string(kTarget) + "ISTIME=1\nTIMELIMIT=1\n",
       {{6, false, "runs out on the first frame on normal and hardly (TIMELIMIT=1"}}},
      {std::string(kTarget) + "ISTIME=1\nTIMELIMIT=2\n",
       {{6, false, "runs out on the first frame on hardly (TIMELIMIT=2"}}},
      {std::string(kTarget) + "TIMELIMIT=0\n", {}},
      // A magnet beside the way up takes the sight before the player can steer (and walls the
      // start in).
      {std::string(kTarget) + "M1_VISIBLE=1\nM1_X=60\nM1_Y=515\n",
       {{3, false, "T1 at (400, 300) is out of the sight's reach"},
        {6, false, "M1 pulls the sight into its core 12 frames after a launch without steering, "
                   "too soon to steer away"}}},
      {std::string(kTarget) + "M1_VISIBLE=1\nM1_SIZE=2\nM1_X=100\nM1_Y=520\n", {}},
      // Encodings: the game reads cp1251.
      {"NAME=\xD0\x9B\xD0\xB5\xD1\x81\n" + std::string(kTarget),
       {{1, false, "the text is UTF-8, but the game reads level texts as cp1251, one byte a "
                   "letter: '\xD0\x9B\xD0\xB5\xD1\x81' shows as "
                   "'\xD0\xA0\xE2\x80\xBA\xD0\xA0\xC2\xB5\xD0\xA1\xD0\x83'"}}},
      {"NAME=\xCB\xE5\xF1\n" + std::string(kTarget), {}},
      {"\xEF\xBB\xBFNAME=Fair\n" + std::string(kTarget),
       {{1, false, "the file starts with a UTF-8 byte order mark, which the game reads as part "
                   "of the first key: NAME on this line does nothing"}}},
      {"\xEF\xBB\xBF# a comment\n" + std::string(kTarget), {}},
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
       {{9, false, "T2 falls at once (TYPE=6) and vanishes: it can never be hit, and needs no "
                   "hit"}}},
      // A glide between two points outside the field crosses it.
      {"T1_VISIBLE=1\nT1_NEEDHIT=1\nT1_X=-100\nT1_Y=300\nT1_GOTYPE=1\n"
       "T1_COORDARRAY=-100,300,50:900,300,50\n",
       {{3, false, "T1 at (-100, 300) is outside the field"},
        {6, false, "T1's path point 0 (-100, 300) is outside"},
        {6, false, "T1's path point 1 (900, 300) is outside"}}},
      // The glide goes from the start to point 1 first: that crossing counts, though the way
      // between the points passes around the field.
      {"T1_VISIBLE=1\nT1_NEEDHIT=1\nT1_X=-100\nT1_Y=700\nT1_GOTYPE=1\n"
       "T1_COORDARRAY=-100,-100,50:900,-100,50\n",
       {{3, false, "T1 at (-100, 700) is outside the field"},
        {6, false, "T1's path point 0 (-100, -100) is outside"},
        {6, false, "T1's path point 1 (900, -100) is outside"}}},
      // Just beyond the edge is near enough: a big circle there is hit from the field.
      {"T1_VISIBLE=1\nT1_NEEDHIT=1\nT1_X=800\nT1_Y=300\n",
       {{3, false, "T1 at (800, 300) is outside the field"}}},
      // Errors: the parse stops, the level ends at once or can never be played.
      {std::string(kTarget) + "M1_VISIBLE=\nNAME=Late\n",
       {{5, true, "the flag M1_VISIBLE has no value: the game stops reading the level here"}}},
      // What an empty flag wipes goes by the game's order of keys, not by the file's lines.
      {"T2_X=5\nT1_VISIBLE=\nISNIGHT=1\nT1_NEEDHIT=1\nM1_X=3\nT1_X=4\nT3_X=1\nM2_Y=1\n",
       {{1, false, "T2 has keys but no T2_VISIBLE"},
        {1, true, "no visible target needs a hit"},
        {2, true,
         "the flag T1_VISIBLE has no value: the game stops reading the level here; the keys it "
         "reads after this one (its order is the level keys, T1 to T10, M1 to M10, not the "
         "file's) keep their defaults; not read: T2_X (line 1), T1_NEEDHIT (line 4), M1_X (line "
         "5), T1_X (line 6) and 2 more"},
        {5, false, "M1 has keys but no M1_VISIBLE"},
        {7, false, "T3 has keys but no T3_VISIBLE"},
        {8, false, "M2 has keys but no M2_VISIBLE"}}},
      {"ISWIND=\n" + std::string(kTarget),
       {{1, true, "the flag ISWIND has no value"},
        {1, true,
         "no visible target needs a hit (VISIBLE=1 with NEEDHIT=1): the level ends at "
         "once (the reading stopped on line 1)"}}},
      {"NAME=Empty\n", {{1, true, "no visible target needs a hit"}}},
      {"T1_X=400\nT1_Y=300\nT1_NEEDHIT=1\n",
       {{1, false, "T1 has keys but no T1_VISIBLE"}, {3, true, "no visible target needs a hit"}}},
      {std::string(kTarget) + "T1_TYPE=6\n",
       {{5, false, "T1 falls at once"},
        {5, true, "every target that needs a hit falls at once (T1): the level ends after ten "
                  "frames"}}},
      {"T1_VISIBLE=1\nT1_NEEDHIT=1\nT1_X=900\nT1_Y=300\n",
       {{2, true, "T1 needs a hit but never comes near the field the sight flies in: the level "
                  "can never be finished"},
        {3, false, "T1 at (900, 300) is outside"}}},
      // One target of several that can never be hit is enough.
      {std::string(kTarget) + "T2_VISIBLE=1\nT2_NEEDHIT=1\nT2_X=400\nT2_Y=700\n",
       {{6, true, "T2 needs a hit but never comes near"},
        {7, false, "T2 at (400, 700) is outside"}}},
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
                     "' (names are read from the folder compile runs in): compile fails\n" +
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

// Files that are no texts of the game are named as such; nothing from a file reaches the report
// as a control byte, so no zero byte cuts it short.
TEST_F(LintFilesTest, NotALevelTextAndControlBytes) {
  std::string utf16 = "\xFF\xFE";
  for (const char c : std::string("NAME=A\r\n")) utf16 += std::string(1, c) + '\0';
  const std::string marked = Write("marked.txt", utf16);
  const std::string unmarked = Write("unmarked.txt", utf16.substr(2));
  const std::string binary = Write("binary.txt", std::string("T1_VISIBLE=1\n\0\x01\x02", 16));
  const std::string list = Write("bin.list", std::string("a\0b", 3));
  const std::string lev = Write(
      "odd.lev", JoinScenario({"T1_VISIBLE=1\rT1_NEEDHIT=1\rT1_X=400\rT1_Y=300\r\x01K\x7F=1\r"}));
  std::string out;
  EXPECT_EQ(LintFiles(*system_, {marked, unmarked, binary, list, lev}, false, out), 1);
  EXPECT_NE(out.find(marked + ":1: error: not a level text: it is UTF-16 text (it starts with a "
                              "UTF-16 byte order mark)"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find(unmarked + ":1: error: not a level text: it looks like UTF-16 text"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find(binary + ":1: error: not a level text: it holds a zero byte (at offset 13)"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find(list + ":1: error: not a list file: it holds a zero byte"), std::string::npos)
      << out;
  EXPECT_NE(out.find(lev + ":level 1:5: warning: unknown key \\x01K\\x7f"), std::string::npos)
      << out;
  EXPECT_EQ(out.find('\0'), std::string::npos);
  EXPECT_NE(out.find("vor lint: 4 errors, 1 warning\n"), std::string::npos) << out;
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
  EXPECT_TRUE(open.Reaches(555, 500)) << "1 in 9, as flat as the sight flies";
  EXPECT_TRUE(open.Reaches(75, 20)) << "9 in 1, as steep as the sight flies";
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
