// The server as its users see it: started on 127.0.0.1 with SQLite, and in pairs on a private
// PostgreSQL cluster; results posted over HTTP and read back. Replays are played by a stand-in
// checker (FakeChecker.cpp) that says what each run reaches.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <future>
#include <nlohmann/json.hpp>
#include <thread>

#include "base/Sha256.h"
#include "gameplay/ScenarioFile.h"
#include "Harness.h"

// Results are written with designated initializers, the fields not named keeping their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

using namespace server_test;

namespace {

// The server with the stand-in checker.
class FakeServer : public RecordsServer {
 public:
  FakeServer(const std::string& data, const std::string& db, std::vector<std::string> extra = {})
      : RecordsServer(data, db, WithFake(std::move(extra))) {}

 private:
  static std::vector<std::string> WithFake(std::vector<std::string> extra) {
    extra.insert(extra.begin(), {"--checker", FAKE_CHECKER});
    return extra;
  }
};

struct Result {
  std::string scenario = "main.lev";
  int score = 100, targets = 10, medals = 1, levels = 2, misses = 3, won = 0, difficulty = 0;
  int64_t ticks = 4000;
  std::string nameHex = "c2eef0";  // cp1251
  std::string extra;               // more lines
};

std::string Replay(const Result& r) {
  return "# vor-replay 1\n# fake scenario " + r.scenario + "\n# fake result " +
         std::to_string(r.score) + " " + std::to_string(r.targets) + " " +
         std::to_string(r.medals) + " " + std::to_string(r.levels) + " " +
         std::to_string(r.misses) + " " + std::to_string(r.won) + " " +
         std::to_string(r.difficulty) + " " + std::to_string(r.ticks) + "\n# fake name " +
         r.nameHex + "\n" + r.extra + "1 key 200 1\n";
}

class SharedTable : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = MakeTempFolder();
    data_ = folder_ + "/data";
    fs::create_directory(data_);
    const std::string main = JoinScenario({"TITLE=one\r", "TITLE=two\r", "TITLE=three\r"});
    std::ofstream(data_ + "/main.lev", std::ios::binary) << main;
    std::ofstream(data_ + "/training.lev", std::ios::binary) << JoinScenario({"TITLE=t\r"});
    mainId_ = Sha256Hex(main);
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::string folder_, data_, mainId_;
};

}  // namespace

TEST_F(SharedTable, APostedResultIsInTheTableWithItsReplay) {
  FakeServer server(data_, "sqlite:" + folder_ + "/r.sqlite");
  const std::string replay = Replay({});
  json answer;
  ASSERT_EQ(Post(server, replay, &answer), 201);
  EXPECT_EQ(answer["scenario"], mainId_);
  EXPECT_EQ(answer["rank"], 1);
  EXPECT_EQ(answer["name"], "\xD0\x92\xD0\xBE\xD1\x80");
  EXPECT_EQ(answer["score"], 100);
  EXPECT_EQ(answer["misses"], 3);
  EXPECT_EQ(answer["replay"], Sha256Hex(replay));

  // The same replay again is the same row.
  json again;
  EXPECT_EQ(Post(server, replay, &again), 201);
  EXPECT_EQ(again["replay"], answer["replay"]);
  EXPECT_EQ(Results(server, mainId_), 1);

  const json top = Top(server, mainId_);
  ASSERT_EQ(top.size(), 1u);
  EXPECT_EQ(top[0]["rank"], 1);
  EXPECT_EQ(top[0]["targets"], 10);
  EXPECT_EQ(top[0]["replay"], answer["replay"]);

  auto file = server.Client().Get(("/api/v1/replays/" + Sha256Hex(replay)).c_str());
  ASSERT_TRUE(file);
  EXPECT_EQ(file->status, 200);
  EXPECT_EQ(file->body, replay);

  auto page = server.Client().Get("/");
  ASSERT_TRUE(page);
  EXPECT_EQ(page->status, 200);
  EXPECT_NE(page->body.find("\xD0\x92\xD0\xBE\xD1\x80"), std::string::npos);
  EXPECT_NE(page->body.find("?replay=/api/v1/replays/" + Sha256Hex(replay)), std::string::npos);
}

// Each row's "play" link opens the web build's page with ?replay= the replay's address: its path
// when the page is on this site, its whole address when the page is elsewhere.
TEST_F(SharedTable, PlayLinksGiveThePageTheReplaysAddress) {
  const std::string replay = Replay({}), path = "/api/v1/replays/" + Sha256Hex(replay);
  const struct {
    std::string playUrl;
    httplib::Headers headers;
    std::string link;  // "PORT" stands for the server's port
  } cases[] = {
      {"/play/", {}, "/play/?replay=" + path},
      {"https://game.example/vor/?lang=en", {},
       "https://game.example/vor/?lang=en&amp;replay=http%3A//127.0.0.1%3APORT" + path},
      {"https://game.example/vor/", {{"X-Forwarded-Proto", "https"}, {"Host", "records.example"}},
       "https://game.example/vor/?replay=https%3A//records.example" + path},
      {"https://game.example/vor/", {{"Host", "a\"><b>"}}, "https://game.example/vor/?replay=" + path},
  };
  for (const auto& c : cases) {
    fs::remove(folder_ + "/r.sqlite");
    FakeServer server(data_, "sqlite:" + folder_ + "/r.sqlite", {"--play-url", c.playUrl});
    ASSERT_EQ(Post(server, replay), 201);
    auto page = server.Client().Get("/", c.headers);
    ASSERT_TRUE(page);
    std::string link = c.link;
    if (const size_t at = link.find("PORT"); at != std::string::npos)
      link.replace(at, 4, std::to_string(server.Port()));
    EXPECT_NE(page->body.find("<a href=\"" + link + "\">play</a>"), std::string::npos)
        << c.playUrl << "\n" << page->body;
  }
}

// The table holds what the run reached, in the game's order, and limit cuts it.
TEST_F(SharedTable, TopIsInTheGamesOrder) {
  FakeServer server(data_, "sqlite:" + folder_ + "/r.sqlite");
  const Result rows[] = {{.score = 100, .levels = 5, .nameHex = "41"},
                         {.score = 100, .levels = 3, .won = 1, .nameHex = "42"},
                         {.score = 300, .nameHex = "43"},
                         {.score = 100, .levels = 9, .nameHex = "44"}};
  for (const Result& r : rows) ASSERT_EQ(Post(server, Replay(r)), 201);
  std::string names;
  for (const json& row : Top(server, mainId_)) names += row["name"].get<std::string>();
  EXPECT_EQ(names, "CDBA");
  EXPECT_EQ(Top(server, mainId_, 2).size(), 2u);
}

// Every refusal has its code, and the server keeps answering after each.
TEST_F(SharedTable, RefusesWhatTheRunDoesNotProve) {
  FakeServer server(data_, "sqlite:" + folder_ + "/r.sqlite",
                       {"--ticks", "144000", "--check-timeout", "2"});
  const struct {
    const char* what;
    std::string body;
    int status;
  } cases[] = {
      {"garbage", "GIF89a\x01\x02", 400},
      {"empty", "", 400},
      {"not text", std::string("# vor-replay 1\n\xFF\xFE", 17), 400},
      {"2 MiB", std::string(2 << 20, 'x'), 413},
      {"ten hours", Replay({.ticks = 10 * 144000}), 422},
      {"unknown scenario", Replay({.scenario = "missing.lev"}), 422},
      {"a name the game does not keep", Replay({.nameHex = "410a"}), 422},
      {"a run that crashes", Replay({.extra = "# fake crash\n"}), 422},
      {"a run past the time allowed", Replay({.extra = "# fake wait /nonexistent\n"}), 422},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Post(server, c.body), c.status) << c.what;
    EXPECT_EQ(Results(server, mainId_), 0) << c.what;
  }
  EXPECT_EQ(Post(server, Replay({})), 201);
  auto res = server.Client().Get("/api/v1/scenarios/0123/top");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 404);
  res = server.Client().Get(("/api/v1/scenarios/" + mainId_ + "/top?limit=0").c_str());
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 400);
  res = server.Client().Get(("/api/v1/replays/" + std::string(64, 'a')).c_str());
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 404);
}

TEST_F(SharedTable, LimitsPostsPerAddressButNotReads) {
  FakeServer server(data_, "sqlite:" + folder_ + "/r.sqlite", {"--posts-per-minute", "3"});
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Post(server, Replay({.score = i})), 201);
  EXPECT_EQ(Post(server, Replay({.score = 9})), 429);
  EXPECT_EQ(Top(server, mainId_).size(), 3u);
}

// With every worker busy and no room to wait, a post is turned away at once and reads are
// answered.
TEST_F(SharedTable, BusyCheckersDoNotHoldReads) {
  FakeServer server(data_, "sqlite:" + folder_ + "/r.sqlite",
                       {"--workers", "1", "--queue", "0"});
  const std::string started = folder_ + "/started", release = folder_ + "/release";
  auto slow = std::async(std::launch::async, [&] {
    return Post(server, Replay({.extra = "# fake started " + started + "\n# fake wait " +
                                         release + "\n"}));
  });
  while (!fs::exists(started)) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(Post(server, Replay({.score = 5})), 503);
  EXPECT_EQ(Results(server, mainId_), 0);
  EXPECT_TRUE(Top(server, mainId_).is_array());
  std::ofstream(release).put('1');
  EXPECT_EQ(slow.get(), 201);
}

TEST_F(SharedTable, AKilledServerKeepsWhatItAnswered) {
  std::vector<std::string> replays;
  {
    FakeServer server(data_, "sqlite:" + folder_ + "/r.sqlite");
    for (int i = 0; i < 5; ++i) {
      replays.push_back(Replay({.score = 10 * i}));
      ASSERT_EQ(Post(server, replays.back()), 201);
    }
    server.Kill();
  }
  FakeServer again(data_, "sqlite:" + folder_ + "/r.sqlite");
  EXPECT_EQ(Results(again, mainId_), 5);
  for (const std::string& r : replays) {
    auto file = again.Client().Get(("/api/v1/replays/" + Sha256Hex(r)).c_str());
    ASSERT_TRUE(file);
    EXPECT_EQ(file->body, r);
  }
}

TEST_F(SharedTable, ServersOnOnePostgresDatabaseServeTogether) {
  PostgresCluster cluster;
  if (!cluster.Installed()) GTEST_SKIP() << "PostgreSQL is not installed (tools/deps.sh test)";
  ASSERT_TRUE(cluster.Started());
  FakeServer a(data_, cluster.Address()), b(data_, cluster.Address());
  ASSERT_EQ(Post(a, Replay({.score = 7})), 201);
  ASSERT_EQ(Post(b, Replay({.score = 9})), 201);
  EXPECT_EQ(Post(b, Replay({.score = 7})), 201);  // stored once
  for (const RecordsServer* s : {&a, &b}) {
    const json top = Top(*s, mainId_);
    ASSERT_EQ(top.size(), 2u);
    EXPECT_EQ(top[0]["score"], 9);
    EXPECT_EQ(top[1]["score"], 7);
  }
  // What a killed server answered 201 for is there for the other.
  ASSERT_EQ(Post(a, Replay({.score = 11})), 201);
  a.Kill();
  EXPECT_EQ(Results(b, mainId_), 3);
  EXPECT_EQ(Top(b, mainId_)[0]["score"], 11);
}
