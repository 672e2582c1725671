// Scenario files: cutting them into levels (hostile tables refused), writing them, path values,
// the table-of-records name and the random picture choice.
#include <gtest/gtest.h>

#include <set>

#include "base/Bytes.h"
#include "gameplay/ScenarioFile.h"
#include "base/Random.h"

namespace {

// A scenario file with the given count and table entries over body.
std::string Scenario(int32_t count, const std::vector<int32_t>& table, const std::string& body) {
  std::string file = IntToBytes(count);
  file.resize(256, '\0');
  for (int32_t e : table) file += IntToBytes(e);
  file.resize(768, '\0');
  return file + body;
}

TEST(ScenarioFile, SplitsLevelsByTheOffsetTable) {
  std::vector<std::string> levels;
  ASSERT_TRUE(SplitScenario(Scenario(3, {0, 4, 4}, "A=1\rB=2\r"), levels));
  EXPECT_EQ(levels, (std::vector<std::string>{"A=1\r", "", "B=2\r"}));
}

TEST(ScenarioFile, UsesAtMostOneHundredLevels) {
  // 150 levels stored, one byte each; the table holds 128 entries.
  std::vector<int32_t> table;
  for (int i = 0; i < 128; ++i) table.push_back(i);
  std::string body(150, 'x');
  for (int i = 0; i < 150; ++i) body[i] = char('0' + i % 10);
  std::vector<std::string> levels;
  ASSERT_TRUE(SplitScenario(Scenario(150, table, body), levels));
  ASSERT_EQ(levels.size(), 100u);
  EXPECT_EQ(levels[0], "0");
  // Level 100 ends where level 101 begins, not at the end of the body.
  EXPECT_EQ(levels[99], "9");
}

TEST(ScenarioFile, NoLevelsIsNotAnError) {
  for (int32_t count : {0, -5}) {
    std::vector<std::string> levels{"old"};
    EXPECT_TRUE(SplitScenario(Scenario(count, {}, "A=1\r"), levels)) << count;
    EXPECT_TRUE(levels.empty());
  }
}

TEST(ScenarioFile, RefusesHostileFiles) {
  struct Case {
    const char* what;
    std::string file;
  } cases[] = {
      {"empty", ""},
      {"shorter than the header", Scenario(1, {0}, "").substr(0, 767)},
      {"negative offset", Scenario(2, {-1, 2}, "A=1\r")},
      {"offsets backwards", Scenario(2, {3, 1}, "A=1\r")},
      {"offset past the body", Scenario(2, {0, 5}, "A=1\r")},
      {"first offset past the body", Scenario(1, {9}, "A=1\r")},
      {"huge offset", Scenario(2, {0, 0x7FFFFFFF}, "A=1\r")},
      {"count of 150 with a bad entry 101",
       [] {
         std::vector<int32_t> t(128, 0);
         t[100] = -1;
         return Scenario(150, t, "A=1\r");
       }()},
  };
  for (const Case& c : cases) {
    std::vector<std::string> levels{"old"};
    EXPECT_FALSE(SplitScenario(c.file, levels)) << c.what;
    EXPECT_TRUE(levels.empty()) << c.what;
  }
}

TEST(ScenarioFile, JoinWritesCountTableAndBody) {
  const std::string file = JoinScenario({"A=1\rB=2\r", "C=3\r"});
  EXPECT_EQ(file, Scenario(2, {0, 8}, "A=1\rB=2\rC=3\r"));
  std::vector<std::string> levels;
  ASSERT_TRUE(SplitScenario(file, levels));
  EXPECT_EQ(levels, (std::vector<std::string>{"A=1\rB=2\r", "C=3\r"}));
  EXPECT_EQ(JoinScenario({}).size(), 768u);
}

TEST(ScenarioFile, JoinKeepsOnly128Offsets) {
  const std::vector<std::string> many(130, "A=1\r");
  const std::string file = JoinScenario(many);
  EXPECT_EQ(ReadInt32At(file, 0), 130);
  EXPECT_EQ(file.size(), 768u + 130 * 4);
  EXPECT_EQ(ReadInt32At(file, 256 + 4 * 127), 127 * 4);
}

TEST(ScenarioFile, PathPoints) {
  struct Case {
    const char* value;
    std::vector<TPathPoint> expected;  // the first points; the rest stay zero
  } cases[] = {
      {"100,200,30:400,200,30", {{100, 200, 30}, {400, 200, 30}}},
      {"10,20:30", {{10, 20, 0}, {30, 0, 0}}},
      {"a,5,$10", {{0, 5, 16}}},
      {"1,2,3,4", {{1, 2, 3}}},
      {":7", {{0, 0, 0}, {7, 0, 0}}},
      {" -3, 0x10 ,9", {{-3, 0, 9}}},  // a trailing blank makes a number invalid
      {"", {}},
  };
  for (const Case& c : cases) {
    TPathPoint points[kPathPoints] = {};
    ParsePathPoints(c.value, points);
    for (int i = 0; i < kPathPoints; ++i) {
      const TPathPoint e = i < int(c.expected.size()) ? c.expected[i] : TPathPoint{};
      EXPECT_EQ(points[i].x, e.x) << c.value << " point " << i;
      EXPECT_EQ(points[i].y, e.y) << c.value << " point " << i;
      EXPECT_EQ(points[i].n, e.n) << c.value << " point " << i;
    }
  }
}

TEST(ScenarioFile, PathPointsPastTheTwentiethAreIgnored) {
  std::string value;
  for (int i = 1; i <= 25; ++i) value += std::to_string(i) + "," + std::to_string(i) + ",1:";
  TPathPoint points[kPathPoints] = {};
  ParsePathPoints(value, points);
  EXPECT_EQ(points[0].x, 1);
  EXPECT_EQ(points[19].x, 20);
}

TEST(ScenarioFile, RecordsFileName) {
  EXPECT_EQ(RecordsFileName("main.lev"), "main.tbl");
  EXPECT_EQ(RecordsFileName("a.b.lev"), "a.tbl");
  EXPECT_EQ(RecordsFileName("dir.x/Hunt.LEV"), "Hunt.tbl");
  EXPECT_EQ(RecordsFileName("plain"), "plain.tbl");
}

TEST(ScenarioFile, RandomPictureNeverPicksZeroUnlessItIsTheOnlyOne) {
  GameRandom().Seed(3);
  std::set<int32_t> seen;
  for (int i = 0; i < 2000; ++i) seen.insert(RandomPictureIndex(16));
  EXPECT_EQ(seen, (std::set<int32_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}));
  EXPECT_EQ(RandomPictureIndex(2), 1);
  EXPECT_EQ(RandomPictureIndex(1), 0);
  EXPECT_EQ(RandomPictureIndex(0), 0);
}

}  // namespace
