// The table of records: its checksummed file, the ranking rules and the name entry.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "game/GameUnit.h"
#include "frontend/RecordsFile.h"
#include "platform/System.h"
#include "frontend/GameInFolder.h"

namespace fs = std::filesystem;

namespace {

TRecordRow Row(int32_t score, int32_t levels = 1, uint8_t won = 0, int32_t targets = 0,
               int32_t medals = 0, const char* name = "") {
  TRecordRow r;
  r.used = 1;
  r.score = score;
  r.levels = levels;
  r.won = won;
  r.targets = targets;
  r.medals = medals;
  r.nameLength = uint8_t(std::strlen(name));
  std::memcpy(r.name, name, r.nameLength);
  return r;
}

std::string Name(const TRecordRow& r) {
  return std::string(r.name, r.nameLength);
}

class Records : public GameInFolder {
 protected:
  static std::string Read(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  static void Write(const std::string& name, const std::string& bytes) {
    std::ofstream(name, std::ios::binary) << bytes;
  }
  int UsedRows() const {
    int n = 0;
    for (const TRecordRow& r : game_->Records) n += r.used != 0;
    return n;
  }
  // Fills the table with rows of scores 1000, 900, ... (ten rows with full = true).
  void FillTable(int rows) {
    game_->ClearRecords();
    for (int i = 0; i < rows; ++i) game_->Records[i] = Row(1000 - 100 * i);
  }

};

// --- The file ---

TEST_F(Records, ZeroFileLoadsAsAnEmptyTable) {
  game_->Records[0] = Row(5);
  Write("z.tbl", std::string(kRecordsFileBytes, '\0'));
  EXPECT_TRUE(game_->LoadRecords("z.tbl"));
  EXPECT_EQ(UsedRows(), 0);
  EXPECT_EQ(game_->MessageFrames, 0);
}

TEST_F(Records, ChecksumOfTheExampleRowSitsInItsFivePlaces) {
  TRecordRow r = Row(12345, 5, 0, 20, 9);
  r.misses = 3;
  game_->Records[0] = r;
  EXPECT_EQ(RecordsChecksum(game_->Records), 2435u);
  for (int round = 0; round < 3; ++round) {  // the filler differs, the places do not
    ASSERT_TRUE(game_->SaveRecords("e.tbl"));
    const std::string f = Read("e.tbl");
    ASSERT_EQ(f.size(), kRecordsFileBytes);
    const auto check = [&](size_t i) { return uint8_t(f[kRecordRows * kRecordRowBytes + i]); };
    EXPECT_EQ(check(13), 0);
    EXPECT_EQ(check(23), 0);
    EXPECT_EQ(check(25), 9);
    EXPECT_EQ(check(16) >> 4, 3);
    EXPECT_EQ(check(17) & 0x0F, 8);
    EXPECT_EQ(std::memcmp(f.data(), &r, kRecordRowBytes), 0) << "rows are stored as in memory";
  }
  game_->ClearRecords();
  ASSERT_TRUE(game_->LoadRecords("e.tbl"));
  EXPECT_EQ(std::memcmp(&game_->Records[0], &r, kRecordRowBytes), 0);
}

TEST_F(Records, ChangedNumbersAreCorruptionChangedNamesAndFlagsAreNot) {
  TRecordRow r = Row(12345, 5, 0, 20, 9, "Ivan");
  r.misses = 3;
  game_->Records[0] = r;
  game_->Records[1] = Row(700, 3);
  ASSERT_TRUE(game_->SaveRecords("t.tbl"));
  const std::string good = Read("t.tbl");

  const auto patched = [&](size_t offset, uint8_t value) {
    std::string f = good;
    f[offset] = char(value);
    return f;
  };
  const auto plus5 = [&](size_t offset) {  // adds 5 to the 32-bit number at offset
    std::string f = good;
    int32_t v;
    std::memcpy(&v, f.data() + offset, 4);
    v += 5;
    std::memcpy(f.data() + offset, &v, 4);
    return f;
  };
  const struct {
    const char* what;
    std::string file;
    bool loads;
  } cases[] = {
      {"score + 5", plus5(12), false},
      {"score of row 2 + 5", plus5(36 + 12), false},
      {"misses + 5", plus5(32), false},
      {"check byte 13", patched(360 + 13, 1), false},
      {"check byte 17 low half", patched(360 + 17, uint8_t(good[360 + 17] ^ 0x01)), false},
      {"name", patched(2, 'J'), true},
      {"won flag", patched(28, 1), true},
      {"difficulty", patched(29, 2), true},
      {"used flag of an empty row", patched(72, 1), true},
      {"filler", patched(360 + 0, uint8_t(good[360] ^ 0xFF)), true},
      {"check byte 16 low half", patched(360 + 16, uint8_t(good[360 + 16] ^ 0x0F)), true},
  };
  for (const auto& c : cases) {
    Write("t.tbl", c.file);
    game_->MessageFrames = 0;
    EXPECT_EQ(game_->LoadRecords("t.tbl"), c.loads) << c.what;
    if (c.loads) {
      EXPECT_EQ(game_->MessageFrames, 0) << c.what;
      EXPECT_EQ(game_->Records[0].score, 12345) << c.what;
    } else {
      EXPECT_EQ(game_->Message, "File &1t.tbl&0\r\nis corrupted!") << c.what;
      EXPECT_EQ(game_->MessageFrames, 200) << c.what;
      EXPECT_EQ(UsedRows(), 0) << c.what;
    }
  }
}

TEST_F(Records, MissingShortAndUnreadableFiles) {
  game_->Records[0] = Row(5);
  EXPECT_TRUE(game_->LoadRecords("new.tbl")) << "a new scenario has no table yet";
  EXPECT_EQ(UsedRows(), 0);
  EXPECT_EQ(game_->MessageFrames, 0);

  game_->Records[0] = Row(5);
  ASSERT_TRUE(game_->SaveRecords("full.tbl"));
  const std::string good = Read("full.tbl");
  Write("short.tbl", good.substr(0, kRecordsFileBytes - 1));
  Write("long.tbl", good + "trailing bytes are ignored");
  fs::create_directory("dir.tbl");
  ASSERT_EQ(::mkfifo("pipe.tbl", 0600), 0);  // never read: it would wait for a writer forever
  ::alarm(20);
  for (const char* name : {"short.tbl", "dir.tbl", "pipe.tbl"}) {
    game_->MessageFrames = 0;
    EXPECT_FALSE(game_->LoadRecords(name)) << name;
    EXPECT_EQ(game_->Message, std::string("Error of loading\r\ntable of records\r\n&1") + name);
    EXPECT_EQ(game_->MessageFrames, 200);
    EXPECT_EQ(UsedRows(), 0);
  }
  ::alarm(0);
  EXPECT_TRUE(game_->LoadRecords("long.tbl"));
  EXPECT_EQ(game_->Records[0].score, 5);
}

TEST_F(Records, NameLengthAboveTenReadsAsTen) {
  game_->Records[0] = Row(5, 1, 0, 0, 0, "abcdefghij");
  ASSERT_TRUE(game_->SaveRecords("n.tbl"));
  std::string f = Read("n.tbl");
  f[1] = char(255);  // names are not covered by the checksum
  Write("n.tbl", f);
  ASSERT_TRUE(game_->LoadRecords("n.tbl"));
  EXPECT_EQ(game_->Records[0].nameLength, 10);
  EXPECT_EQ(Name(game_->Records[0]), "abcdefghij");
}

TEST_F(Records, ExtremeNumbersWrapAroundInTheChecksum) {
  game_->Records[0] = Row(INT_MAX, INT_MAX, 1, INT_MAX, INT_MAX);
  game_->Records[0].misses = INT_MAX;
  game_->Records[1] = Row(INT_MIN, INT_MIN, 0, INT_MIN, INT_MIN);
  game_->Records[1].misses = INT_MIN;
  for (int i = 2; i < kRecordRows; ++i) game_->Records[i] = game_->Records[i % 2];
  ASSERT_TRUE(game_->SaveRecords("x.tbl"));
  const TRecordRow first = game_->Records[0];
  game_->ClearRecords();
  ASSERT_TRUE(game_->LoadRecords("x.tbl"));
  EXPECT_EQ(std::memcmp(&game_->Records[0], &first, kRecordRowBytes), 0);
}

TEST_F(Records, ScenarioFilesCutAtTheFirstDotShareATable) {
  game_->ScenarioFile = "x.old.lev";
  game_->Records[0] = Row(4242);
  ASSERT_TRUE(game_->SaveRecords());
  EXPECT_TRUE(fs::exists("x.tbl"));
  game_->ClearRecords();
  game_->ScenarioFile = "x.lev";
  ASSERT_TRUE(game_->LoadRecords());
  EXPECT_EQ(game_->Records[0].score, 4242);
}

TEST_F(Records, TableWhoseNameDiffersInLetterCaseIsUsed) {
  game_->Records[0] = Row(77);
  ASSERT_TRUE(game_->SaveRecords("CASE.TBL"));
  game_->ClearRecords();
  ASSERT_TRUE(game_->LoadRecords("case.tbl"));
  EXPECT_EQ(game_->Records[0].score, 77);
  game_->Records[0] = Row(88);
  ASSERT_TRUE(game_->SaveRecords("case.tbl"));
  EXPECT_FALSE(fs::exists("case.tbl")) << "the existing file is replaced, no second one made";
  ASSERT_TRUE(game_->LoadRecords("CASE.TBL"));
  EXPECT_EQ(game_->Records[0].score, 88);
}

TEST_F(Records, FailedSaveLeavesTheOldTableAndTellsThePlayer) {
  game_->Records[0] = Row(300);
  fs::create_directory("blocked.tbl");
  Write("blocked.tbl/keep", "x");
  const struct { const char* name; } cases[] = {{"no-such-folder/t.tbl"}, {"blocked.tbl"}};
  for (const auto& c : cases) {
    game_->MessageFrames = 0;
    EXPECT_FALSE(game_->SaveRecords(c.name)) << c.name;
    EXPECT_EQ(game_->Message, std::string("Error of saving\r\ntable of records\r\n&1") + c.name);
    EXPECT_EQ(game_->MessageFrames, 200);
    EXPECT_EQ(game_->Records[0].score, 300) << "the table stays in memory";
  }
  EXPECT_EQ(Read("blocked.tbl/keep"), "x");
  int files = 0;
  for (const auto& e : fs::directory_iterator(".")) files += e.is_regular_file();
  EXPECT_EQ(files, 0) << "no temporary file is left behind";
}

TEST_F(Records, FailedSaveNamesFolderFileAndReasonOnStderr) {
  fs::create_directory("blocked.tbl");
  testing::internal::CaptureStderr();
  EXPECT_FALSE(game_->SaveRecords("blocked.tbl"));
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(err, "vor: cannot save the table of records blocked.tbl in the folder " +
                     fs::current_path().string() + ": Is a directory\n");
}

// Two copies of the game chose the same scenario; each saves its result in turn. The later one
// reads the table again before inserting, so both results are kept.
TEST_F(Records, ResultsOfTwoCopiesAreBothKept) {
  TGame other(*system_);
  game_->ScenarioFile = other.ScenarioFile = "main.lev";
  FillTable(3);
  ASSERT_TRUE(game_->SaveRecords("main.tbl"));
  ASSERT_TRUE(game_->LoadRecords("main.tbl"));
  ASSERT_TRUE(other.LoadRecords("main.tbl"));
  ASSERT_TRUE(game_->SaveResult(Row(850, 1, 0, 0, 0, "first")));
  ASSERT_TRUE(other.SaveResult(Row(650, 1, 0, 0, 0, "second")));
  ASSERT_TRUE(game_->LoadRecords("main.tbl"));
  EXPECT_EQ(UsedRows(), 5);
  EXPECT_EQ(Name(game_->Records[2]), "first");
  EXPECT_EQ(Name(game_->Records[4]), "second");
  for (int i = 0; i < kRecordRows; ++i)
    EXPECT_EQ(std::memcmp(&game_->Records[i], &other.Records[i], sizeof(TRecordRow)), 0) << i;
  EXPECT_FALSE(fs::exists(".main.tbl.lock")) << "the lock file goes with the lock";
}

TEST_F(Records, TableThatFailedToLoadIsKeptAsBadOnTheNextSave) {
  game_->Records[0] = Row(900);
  ASSERT_TRUE(game_->SaveRecords("k.tbl"));
  std::string damaged = Read("k.tbl");
  damaged[12] ^= 0x40;  // the score changes a lot
  for (const std::string& old : {damaged, damaged.substr(0, 100)}) {
    Write("k.tbl", old);
    fs::remove("k.tbl.bad");
    EXPECT_FALSE(game_->LoadRecords("k.tbl"));
    game_->Records[0] = Row(50);
    ASSERT_TRUE(game_->SaveRecords("k.tbl"));
    EXPECT_EQ(Read("k.tbl.bad"), old);
    ASSERT_TRUE(game_->LoadRecords("k.tbl"));
    EXPECT_EQ(game_->Records[0].score, 50);
  }
  // After a good load nothing is kept aside; a table that failed elsewhere does not count.
  fs::remove("k.tbl.bad");
  Write("other.tbl", "short");
  EXPECT_FALSE(game_->LoadRecords("other.tbl"));
  ASSERT_TRUE(game_->LoadRecords("k.tbl"));
  ASSERT_TRUE(game_->SaveRecords("k.tbl"));
  EXPECT_FALSE(fs::exists("k.tbl.bad"));
}

// --- Ranking ---

TEST_F(Records, RankingRules) {
  TRecordRow unused = Row(999999, 99, 1, 99, 99);
  unused.used = 0;
  const struct {
    const char* what;
    TRecordRow a, b;
    bool bAbove;
  } cases[] = {
      {"unused b never", Row(0), unused, false},
      {"used b above unused a", unused, Row(-5), true},
      {"two unused", unused, unused, false},
      {"higher score", Row(100, 9, 1, 9, 9), Row(101), true},
      {"lower score", Row(101), Row(100, 9, 1, 9, 9), false},
      {"won above lost of the same score", Row(100, 5), Row(100, 1, 1), true},
      {"lost facing won goes on with levels", Row(100, 1, 1), Row(100, 5), true},
      {"lost facing won, fewer levels", Row(100, 5, 1), Row(100, 4), false},
      {"more levels", Row(100, 3), Row(100, 4), true},
      {"lost, equal levels: targets", Row(100, 3, 0, 5, 9), Row(100, 3, 0, 6, 0), true},
      {"lost, equal levels: fewer targets", Row(100, 3, 0, 6, 0), Row(100, 3, 0, 5, 9), false},
      {"then medals", Row(100, 3, 0, 5, 1), Row(100, 3, 0, 5, 2), true},
      {"equal rows", Row(100, 3, 0, 5, 1), Row(100, 3, 0, 5, 1), false},
  };
  for (const auto& c : cases) EXPECT_EQ(game_->IsBetterRow(c.a, c.b), c.bAbove) << c.what;

  // Misses, names and difficulty never decide.
  TRecordRow a = Row(100, 3, 0, 5, 1, "a"), b = Row(100, 3, 0, 5, 1, "zzz");
  a.misses = 0;
  b.misses = 50;
  b.difficulty = 2;
  EXPECT_FALSE(game_->IsBetterRow(a, b));
  EXPECT_FALSE(game_->IsBetterRow(b, a));
}

TEST_F(Records, SortKeepsEqualRowsInOrderAndSinksUnusedRows) {
  game_->ClearRecords();
  game_->Records[0] = Row(10, 1, 0, 0, 0, "low");
  game_->Records[2] = Row(50, 1, 0, 0, 0, "first");
  game_->Records[4] = Row(50, 1, 0, 0, 0, "second");
  game_->Records[9] = Row(90, 1, 0, 0, 0, "top");
  game_->SortRecords();
  const char* order[] = {"top", "first", "second", "low"};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(Name(game_->Records[i]), order[i]);
  EXPECT_EQ(UsedRows(), 4);
  for (int i = 4; i < kRecordRows; ++i) EXPECT_FALSE(game_->Records[i].used);
}

TEST_F(Records, SortEndsForRowsThatRankAboveEachOther) {
  // A won row with fewer levels and a lost row of the same score each rank above the other.
  const TRecordRow won = Row(100, 2, 1, 0, 0, "won"), lost = Row(100, 5, 0, 0, 0, "lost");
  ASSERT_TRUE(game_->IsBetterRow(won, lost));
  ASSERT_TRUE(game_->IsBetterRow(lost, won));
  for (int i = 0; i < kRecordRows; ++i) game_->Records[i] = i % 2 ? won : lost;
  game_->SortRecords();  // must return
  EXPECT_EQ(UsedRows(), kRecordRows);
  EXPECT_GE(game_->FindRecordPlace(Row(1000)), 1);
}

TEST_F(Records, PlaceOfANewResult) {
  FillTable(3);  // 1000, 900, 800
  EXPECT_EQ(game_->FindRecordPlace(Row(2000)), 1);
  EXPECT_EQ(game_->FindRecordPlace(Row(900)), 3) << "never above an equal result";
  EXPECT_EQ(game_->FindRecordPlace(Row(-100)), 4) << "an empty row always takes a result";
  FillTable(10);  // ... 100
  EXPECT_EQ(game_->FindRecordPlace(Row(100)), -1) << "equal to row 10";
  EXPECT_EQ(game_->FindRecordPlace(Row(101)), 10);
  TRecordRow unused = Row(5000);
  unused.used = 0;
  EXPECT_EQ(game_->FindRecordPlace(unused), -1);
}

TEST_F(Records, InsertMovesRowsDownAndDropsTheLast) {
  FillTable(10);
  game_->InsertRecord(Row(950, 1, 0, 0, 0, "new"));
  EXPECT_EQ(game_->Records[0].score, 1000);
  EXPECT_EQ(Name(game_->Records[1]), "new");
  EXPECT_EQ(game_->Records[2].score, 900);
  EXPECT_EQ(game_->Records[9].score, 200);
  game_->InsertRecord(Row(200));  // equal to row 10: nothing changes
  EXPECT_EQ(game_->Records[9].score, 200);
  EXPECT_EQ(Name(game_->Records[1]), "new");
  game_->InsertRecord(game_->Records[3]);  // a row of the table itself
  EXPECT_EQ(game_->Records[4].score, game_->Records[3].score);

  // A row of an unsorted table: the sort that finds the place must not change the row inserted.
  game_->ClearRecords();
  game_->Records[0] = Row(100, 1, 0, 0, 0, "low");
  game_->Records[1] = Row(500, 1, 0, 0, 0, "high");
  game_->InsertRecord(game_->Records[0]);
  EXPECT_EQ(Name(game_->Records[0]), "high");
  EXPECT_EQ(Name(game_->Records[1]), "low");
  EXPECT_EQ(Name(game_->Records[2]), "low");
  EXPECT_FALSE(game_->Records[3].used);
}

// --- Leaving a result screen and typing the name ---

TEST_F(Records, ResultThatDoesNotRankGoesStraightToTheTable) {
  FillTable(10);
  game_->RecordEntry = Row(100);
  game_->State = gsGameOver;
  game_->FinishResult(32, true);
  EXPECT_EQ(game_->State, gsRecords);
  EXPECT_EQ(game_->Records[9].score, 100) << "the table is shown without the result";

  game_->RecordEntry = Row(150);
  game_->State = gsWin;
  game_->FinishResult(32, true);
  EXPECT_EQ(game_->State, gsEnterName);
}

class NameEntry : public Records {
 protected:
  void Type(const std::string& keys) {
    for (unsigned char c : keys) game_->FinishResult(c, false);
  }
  std::string Typed() const { return Name(game_->RecordEntry); }
};

TEST_F(NameEntry, TypedNamesKeepInnerBlanksAndArePaddedToTen) {
  EXPECT_EQ(Typed(), std::string(10, ' ')) << "the name starts as ten blanks";
  const struct {
    std::string start, keys, name;
    bool full;
  } cases[] = {
      {"", "Ivan", "Ivan      ", false},
      {"", "abcdefghijk", "abcdefghij", true},
      {"", "\b\b", "          ", false},
      {"", "ab\b", "a         ", false},
      {"", "  a", "a         ", false},  // leading blanks are dropped
      {"", "   ", "          ", false},
      {"", "a b", "a b       ", false},
      {"", "Newbie \xc6\xf3\xea", "Newbie \xc6\xf3\xea", true},  // "Newbie Zhuk" in cp1251
      {"", "Newbie  \xc6\xf3\xea", "Newbie  \xc6\xf3", true},    // the eleventh is dropped
      {"", "ab   c", "ab   c    ", false},
      {"", "ab  ", "ab        ", false},        // trailing blanks stand as padding...
      {"", "abcdefgh  x", "abcdefgh  ", true},  // ...yet fill the name
      {"", "ab \b", "ab        ", false},
      {"", "a b\bc", "a c       ", false},
      {"", "a b\b\bc", "ac        ", false},
      {"", "a \x01\x1b\tb", "a b       ", false},
      {"", "a\x7f", "a         ", false},
      {"Old", "x", "Oldx      ", false},
      {"Old", " x", "Old x     ", false},
      {" Old Name", "\b", "Old Nam   ", false},
      {"", "\xc8\xe2\xe0\xed", "\xc8\xe2\xe0\xed      ", false},  // cp1251 letters
  };
  for (const auto& c : cases) {
    const std::string start = c.start + std::string(10 - c.start.size(), ' ');
    game_->RecordEntry.nameLength = 10;
    std::memcpy(game_->RecordEntry.name, start.data(), 10);
    game_->NameBlanks = 0;  // as every entry starts
    Type(c.keys);
    EXPECT_EQ(Typed(), c.name) << "keys '" << c.keys << "'";
    EXPECT_EQ(game_->NameEntryFull(), c.full) << "keys '" << c.keys << "'";
  }
}

TEST_F(NameEntry, EnterSavesTheTableAndShowsIt) {
  game_->ScenarioFile = "main.lev";
  FillTable(2);
  game_->RecordEntry = Row(950);
  game_->State = gsEnterName;
  Type(" Olga Li  ");
  game_->ControlSpeed = 7;
  game_->FinishResult(13, false);
  EXPECT_EQ(game_->State, gsRecords);
  EXPECT_EQ(game_->KeyLatch[28], 7);
  EXPECT_EQ(game_->KeyLatch[57], 7);
  EXPECT_EQ(game_->KeyLatch[1], 7);
  EXPECT_EQ(Name(game_->Records[1]), "Olga Li   ");

  game_->ClearRecords();
  ASSERT_TRUE(game_->LoadRecords("main.tbl"));
  EXPECT_EQ(UsedRows(), 3);
  EXPECT_EQ(game_->Records[1].score, 950);
  EXPECT_EQ(Name(game_->Records[1]), "Olga Li   ");

  // The next entry starts from that name; the blanks typed before Enter are gone.
  game_->RecordEntry = game_->Records[1];
  game_->RecordEntry.score = 960;
  game_->State = gsGameOver;
  game_->FinishResult(32, true);
  ASSERT_EQ(game_->State, gsEnterName);
  Type("n");
  EXPECT_EQ(Typed(), "Olga Lin  ");
}

}  // namespace
