#include <gtest/gtest.h>

#include "server/CheckPool.h"
#include "server/Server.h"
#include "server/Store.h"

namespace {

SharedRow Row(int64_t id, int32_t score, int32_t won, int32_t levels, int32_t targets = 0) {
  SharedRow r;
  r.id = id;
  r.score = score;
  r.won = won;
  r.levels = levels;
  r.targets = targets;
  return r;
}

std::vector<int64_t> Ids(const std::vector<SharedRow>& rows) {
  std::vector<int64_t> ids;
  for (const SharedRow& r : rows) ids.push_back(r.id);
  return ids;
}

}  // namespace

// Rows of one score stand as the game's table would hold them had it taken them in order of
// arrival, including the pairs that each rank above the other (won with fewer levels, lost with
// more); higher scores always stand above.
TEST(SharedTableOrder, FollowsTheGamesInsertion) {
  struct Case {
    const char* what;
    std::vector<SharedRow> in;  // by score from the best, then by arrival
    std::vector<int64_t> order;
  } cases[] = {
      {"scores", {Row(1, 300, 0, 1), Row(2, 200, 1, 9)}, {1, 2}},
      {"a won row goes above a lost one of its score", {Row(1, 100, 0, 5), Row(2, 100, 1, 3)},
       {2, 1}},
      {"then more levels above the won row", {Row(1, 100, 0, 5), Row(2, 100, 1, 3),
                                              Row(3, 100, 0, 9)},
       {3, 2, 1}},
      {"a lost row with more levels after a won one", {Row(1, 100, 1, 3), Row(2, 100, 0, 5)},
       {2, 1}},
      {"targets, then arrival", {Row(1, 50, 0, 2, 4), Row(2, 50, 0, 2, 7), Row(3, 50, 0, 2, 7)},
       {2, 3, 1}},
  };
  for (Case& c : cases) {
    OrderAsTheGame(c.in);
    EXPECT_EQ(Ids(c.in), c.order) << c.what;
  }
}

TEST(StoredName, KeepsTheGamesNamesOnly) {
  std::string utf8;
  EXPECT_TRUE(StoredName("\xC2\xEE\xF0", utf8));
  EXPECT_EQ(utf8, "\xD0\x92\xD0\xBE\xD1\x80");  // the same letters in UTF-8
  EXPECT_TRUE(StoredName("", utf8));
  EXPECT_FALSE(StoredName("ABCDEFGHIJK", utf8));  // 11 characters
  EXPECT_FALSE(StoredName(std::string("A\0B", 3), utf8));
  EXPECT_FALSE(StoredName("A\nB", utf8));
}

// A checker's answer is read back exactly, and anything else on its output is refused.
TEST(CheckOutcomeLine, RoundTripsAndRefusesOtherLines) {
  CheckOutcome o;
  o.verdict = CheckVerdict::Accepted;
  o.result = {std::string(64, 'a'), "\xC2\n", 1, 2, 3, 4, 5, 1, 2, 99};
  CheckOutcome back;
  ASSERT_TRUE(ParseCheckOutcome(FormatCheckOutcome(o), back));
  EXPECT_EQ(back.result.name, o.result.name);
  EXPECT_EQ(back.result.misses, 5);
  EXPECT_EQ(back.result.ticks, 99);
  for (const char* bad : {"", "{}", "[1]", R"({"verdict":"accepted","reason":""})",
                          R"({"verdict":"maybe","reason":""})",
                          R"({"verdict":"refused","reason":"zz"})"})
    EXPECT_FALSE(ParseCheckOutcome(bad, back)) << bad;
}
