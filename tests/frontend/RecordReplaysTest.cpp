// The replays kept with the rows of a table of records.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "game/GameUnit.h"
#include "frontend/RecordReplays.h"
#include "platform/System.h"
#include "replay/ReplayFile.h"
#include "frontend/GameInFolder.h"

namespace fs = std::filesystem;

namespace {

TRecordRow Row(int32_t score, const std::string& name) {
  TRecordRow r;
  r.used = 1;
  r.score = score;
  r.levels = 1;
  r.nameLength = uint8_t(name.size());
  std::memcpy(r.name, name.data(), name.size());
  return r;
}

// A replay as the game keeps it for a result, told apart by the seed.
std::string GameReplay(uint32_t seed) {
  TReplay r;
  r.scenarioSha256 = r.dataSha256 = std::string(64, 'c');
  r.scenarioName = "main.lev";
  r.seed = {seed, 1, 2, 3};
  r.input = {0};
  r.pad = {0};
  return FormatReplay(r);
}

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

size_t ReplayFiles() {
  size_t n = 0;
  for (const auto& e : fs::directory_iterator("main.replays"))
    n += e.path().extension() == ".replay";
  return n;
}

class RecordReplays : public GameInFolder {
 protected:
  void SetUp() override {
    GameInFolder::SetUp();
    if (HasFatalFailure()) return;
    game_->ScenarioFile = "main.lev";
  }
  bool Save(int32_t score, const std::string& name) {
    game_->ResultReplay = GameReplay(uint32_t(score));
    return game_->SaveResult(Row(score, name));
  }
  // Every used row of the table on disk has its own replay, carrying the row's name.
  void ExpectEveryRowHasItsReplay() {
    TGame reader(*system_);
    ASSERT_TRUE(reader.LoadRecords("main.tbl"));
    const auto paths = RowReplays("main.tbl", reader.Records);
    for (int i = 0; i < kRecordRows; ++i) {
      const TRecordRow& r = reader.Records[i];
      if (!r.used) {
        EXPECT_EQ(paths[i], "") << i;
        continue;
      }
      ASSERT_NE(paths[i], "") << "row " << i << " has no replay";
      TReplay replay;
      std::string error;
      ASSERT_TRUE(ParseReplay(Read(paths[i]), replay, error)) << error;
      EXPECT_EQ(replay.name, std::string(r.name, r.nameLength)) << i;
      EXPECT_EQ(replay.seed[0], uint32_t(r.score)) << "row " << i << " has another's replay";
    }
  }

};

TEST_F(RecordReplays, EachRowKeepsItsReplayAndADroppedRowLosesIt) {
  const std::string table = Read("main.tbl");
  for (int i = 1; i <= kRecordRows; ++i) ASSERT_TRUE(Save(100 * i, "p" + std::to_string(i)));
  ExpectEveryRowHasItsReplay();
  EXPECT_EQ(ReplayFiles(), 10u);
  // The eleventh better result pushes out the score 100 and its replay.
  ASSERT_TRUE(Save(5000, "best"));
  ExpectEveryRowHasItsReplay();
  EXPECT_EQ(ReplayFiles(), 10u);
  EXPECT_EQ(std::string(game_->Records[0].name, 4), "best");
  // A result that does not enter keeps no replay.
  ASSERT_TRUE(Save(50, "low"));
  EXPECT_EQ(ReplayFiles(), 10u);
}

TEST_F(RecordReplays, TheTableFileStaysAsItWasWithoutReplays) {
  TGame plain(*system_);
  plain.ScenarioFile = "main.lev";
  ASSERT_TRUE(Save(300, "a"));
  const std::string withReplays = Read("main.tbl");
  fs::remove_all("main.replays");
  fs::remove("main.tbl");
  ASSERT_TRUE(plain.SaveResult(Row(300, "a")));
  // The check row's filler is random; the rows themselves are the same bytes.
  EXPECT_EQ(Read("main.tbl").substr(0, 360), withReplays.substr(0, 360));
  EXPECT_FALSE(fs::exists("main.replays"));
}

TEST_F(RecordReplays, IdenticalRowsEachHaveOneAndStrayFilesAreIgnored) {
  ASSERT_TRUE(Save(200, "twin"));
  ASSERT_TRUE(Save(200, "twin"));
  EXPECT_EQ(ReplayFiles(), 1u) << "the same replay is stored once under its content";
  game_->ResultReplay = GameReplay(200) + "1 key Space down\n";
  ASSERT_TRUE(game_->SaveResult(Row(200, "twin")));
  EXPECT_EQ(ReplayFiles(), 2u);  // three rows, two distinct replays
  // What a save killed before its table left: a replay no row names, and temporaries.
  std::ofstream("main.replays/0123456789abcdef-0123456789abcdef.replay") << GameReplay(1);
  std::ofstream("main.replays/.x.replay.AbC123") << "half";
  const auto paths = RowReplays("main.tbl", game_->Records);
  for (const std::string& p : paths) EXPECT_EQ(p.find("0123456789abcdef-"), std::string::npos);
  ASSERT_TRUE(Save(100, "next"));
  EXPECT_FALSE(fs::exists("main.replays/0123456789abcdef-0123456789abcdef.replay"));
}

// Saves killed at any moment leave no row without its replay.
TEST_F(RecordReplays, KilledSavesLeaveNoRowWithoutItsReplay) {
  for (int round = 0; round < 12; ++round) {
    const std::string before = Read("main.tbl");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (int32_t score = 1000 * (round + 1);; ++score) {
        game_->ResultReplay = GameReplay(uint32_t(score));
        (void)game_->SaveResult(Row(score, "k" + std::to_string(score % 100)));
      }
    }
    // The kill comes after the copy saved at least once, somewhere in a later save.
    for (int i = 0; i < 5000 && Read("main.tbl") == before; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    std::this_thread::sleep_for(std::chrono::milliseconds(round % 4));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ExpectEveryRowHasItsReplay();
  }
  // The next save clears what the killed ones left.
  ASSERT_TRUE(Save(999999, "last"));
  ExpectEveryRowHasItsReplay();
  ASSERT_TRUE(game_->LoadRecords("main.tbl"));
  size_t rows = 0;
  for (const TRecordRow& r : game_->Records) rows += r.used != 0;
  EXPECT_GT(rows, 3u) << "the killed copies saved nothing";
  EXPECT_EQ(ReplayFiles(), rows);
}

}  // namespace
