// The server with its own run of the game, on replays the game itself made: a short game played
// headless to its name entry keeps its replay; posted to the server on SQLite and on a private
// PostgreSQL cluster, it is stored with the result of the server's run, and a copy with one input
// event changed gets the result of its own run, never the original's.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "Harness.h"
#include "base/Sha256.h"

using namespace server_test;

namespace {

std::string Quote(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The game headless in `folder` (its tables and replays written there); true when it ends well.
bool RunGame(const std::string& folder, const std::string& args) {
  const std::string command = "cd " + Quote(folder) + " && XDG_CONFIG_HOME=" +
                              Quote(folder + "/config") + " ASAN_OPTIONS=detect_leaks=0 " +
                              Quote(VOR_GAME) + " --headless " + args + " >game.log 2>&1";
  return std::system(command.c_str()) == 0;
}

// What the result screen shows, from the game's state dump, in the server's terms.
struct Outcome {
  int64_t score = -1, targets = -1, medals = -1, levels = -1, misses = -1;
  bool operator==(const Outcome&) const = default;
};

Outcome FromDump(const json& d) {
  return {d["Score"].get<int64_t>(), d["TargetsHit"].get<int64_t>(), d["Medals"].get<int64_t>(),
          d["Level"].get<int64_t>(), d["Misses"].get<int64_t>()};
}

Outcome FromAnswer(const json& a) {
  return {a["score"].get<int64_t>(), a["targets"].get<int64_t>(), a["medals"].get<int64_t>(),
          a["levels"].get<int64_t>(), a["misses"].get<int64_t>()};
}

std::ostream& operator<<(std::ostream& o, const Outcome& r) {
  return o << "score " << r.score << ", targets " << r.targets << ", medals " << r.medals
           << ", levels " << r.levels << ", misses " << r.misses;
}

// The game over screen and the won one.
constexpr int kGameOver = 8, kWin = 7;

class RealReplay : public ::testing::TestWithParam<std::string> {
 protected:
  // One game for every test: its replay, the same with one event changed, and what the game's own
  // runs of both reach.
  static void SetUpTestSuite() {
    folder_ = MakeTempFolder();
    for (const auto& f : fs::directory_iterator(VOR_DATA_DIR))
      fs::create_symlink(f.path(), folder_ + "/" + f.path().filename().string());
    // "New game" with the mouse: a click launches the sight, whose path crosses a target at the
    // second click; the clicks after it miss until the game is over and lead to the name entry.
    std::ofstream script(folder_ + "/game.txt");
    script << "10 key Enter down\n11 key Enter up\n30 button 0 down\n31 button 0 up\n"
              "215 button 0 down\n216 button 0 up\n";
    for (int t = 240; t <= 990; t += 6) script << t << " button 0 down\n" << t + 1 << " button 0 up\n";
    script << "1000 dump entering.json\n1010 text Shared\n1030 char 13\n";
    script.close();
    ASSERT_TRUE(RunGame(folder_, "--seed 21 --ticks 1040 --script game.txt"))
        << ReadAll(folder_ + "/game.log");
    for (const auto& f : fs::directory_iterator(folder_ + "/main.replays"))
      replay_ = ReadAll(f.path());
    ASSERT_NE(replay_.find("# vor-replay name Shared\n"), std::string::npos) << replay_;
    played_ = FromDump(json::parse(ReadAll(folder_ + "/entering.json")));

    ASSERT_GT(played_.score, 0) << "the game hits nothing: a changed shot would change nothing";
    // The shot that hits is made with the other button.
    const std::string shot = " button 0 down\n";
    const size_t second = replay_.find(shot, replay_.find(shot) + 1);
    ASSERT_NE(second, std::string::npos);
    altered_ = replay_;
    altered_.replace(second, shot.size(), " button 1 down\n");
    std::ofstream(folder_ + "/altered.replay", std::ios::binary) << altered_;
    alteredPlays_ = RunGame(folder_, "--replay altered.replay --dump-state altered.json");
    if (alteredPlays_) {
      const json end = json::parse(ReadAll(folder_ + "/altered.json"));
      alteredPlays_ = end["State"] == kGameOver || end["State"] == kWin;
      alteredResult_ = FromDump(end);
    }
  }
  static void TearDownTestSuite() { fs::remove_all(folder_); }

  void SetUp() override {
    if (GetParam() == "sqlite") {
      db_ = "sqlite:" + folder_ + "/records.sqlite";
      fs::remove(db_.substr(7));
      return;
    }
    cluster_ = std::make_unique<PostgresCluster>();
    if (!cluster_->Installed()) GTEST_SKIP() << "PostgreSQL is not installed (tools/deps.sh test)";
    ASSERT_TRUE(cluster_->Started());
    db_ = cluster_->Address();
  }

  RecordsServer Start(std::vector<std::string> extra = {}) {
    return RecordsServer(VOR_DATA_DIR, db_, std::move(extra));
  }

  static inline std::string folder_, replay_, altered_;
  static inline Outcome played_, alteredResult_;
  static inline bool alteredPlays_ = false;
  std::unique_ptr<PostgresCluster> cluster_;
  std::string db_;
};

TEST_P(RealReplay, StoresWhatItsOwnRunReaches) {
  RecordsServer server = Start();
  json answer;
  ASSERT_EQ(Post(server, replay_, &answer), 201) << answer.dump();
  EXPECT_EQ(FromAnswer(answer), played_);
  EXPECT_EQ(answer["name"], "Shared");
  EXPECT_EQ(answer["rank"], 1);
  EXPECT_EQ(answer["replay"], Sha256Hex(replay_));
  const std::string scenario = answer["scenario"];

  json again;
  ASSERT_EQ(Post(server, replay_, &again), 201);
  EXPECT_EQ(again["replay"], answer["replay"]);
  EXPECT_EQ(Results(server, scenario), 1);

  const json top = Top(server, scenario);
  ASSERT_EQ(top.size(), 1u);
  EXPECT_EQ(FromAnswer(top[0]), played_);
  EXPECT_EQ(top[0]["replay"], answer["replay"]);
  auto file = server.Client().Get(("/api/v1/replays/" + Sha256Hex(replay_)).c_str());
  ASSERT_TRUE(file);
  EXPECT_EQ(file->status, 200);
  EXPECT_EQ(file->body, replay_);

  // One event changed: the result of that replay's own run, or a refusal when it reaches none.
  ASSERT_TRUE(!alteredPlays_ || !(alteredResult_ == played_))
      << "the changed event changes nothing: the check would prove nothing";
  json changed;
  const int status = Post(server, altered_, &changed);
  if (alteredPlays_) {
    ASSERT_EQ(status, 201) << changed.dump();
    EXPECT_EQ(FromAnswer(changed), alteredResult_);
    EXPECT_EQ(changed["replay"], Sha256Hex(altered_));
    EXPECT_EQ(Results(server, scenario), 2);
  } else {
    EXPECT_EQ(status, 422) << changed.dump();
    EXPECT_EQ(Results(server, scenario), 1);
  }
}

// Every refusal has its code, nothing is stored, and the server keeps answering.
TEST_P(RealReplay, RefusesWhatItsOwnRunDoesNotProve) {
  RecordsServer server = Start();
  std::string otherScenario = replay_;
  const size_t at = otherScenario.find("# vor-replay scenario ") + 22;
  otherScenario.replace(at, 64, std::string(64, 'e'));
  // The header alone: the game starts and is never played to its result.
  std::string unfinished;
  for (size_t at = 0; at < replay_.size() && replay_[at] == '#';) {
    const size_t line = replay_.find('\n', at) + 1;
    unfinished += replay_.substr(at, line - at);
    at = line;
  }
  const struct {
    const char* what;
    std::string body;
    int status;
    const char* reason;  // a part of the answer's error
  } cases[] = {
      {"garbage", "GIF89a\x01\x02", 400, ""},
      {"empty", "", 400, ""},
      {"2 MiB", replay_ + std::string(2 << 20, '#'), 413, ""},
      {"input for ten hours", replay_ + std::to_string(10 * 60 * 60 * 40) + " mouse 1 1\n", 422,
       "goes on past"},
      {"a scenario not here", otherScenario, 422, "is not installed"},
      {"levels skipped at F11", "# vor-replay 1\n# vor-replay level-skip\n" + replay_.substr(15),
       422, "level skipping"},
      {"no result screen", unfinished, 422, "no result screen"},
  };
  for (const auto& c : cases) {
    json answer;
    EXPECT_EQ(Post(server, c.body, &answer), c.status) << c.what << ": " << answer.dump();
    const std::string error = answer.is_object() ? answer.value("error", "") : "";
    EXPECT_NE(error.find(c.reason), std::string::npos) << c.what << ": " << answer.dump();
    auto scenarios = server.Client().Get("/api/v1/scenarios");
    ASSERT_TRUE(scenarios) << c.what;
    EXPECT_EQ(scenarios->status, 200) << c.what;
    for (const json& s : json::parse(scenarios->body)) EXPECT_EQ(s["results"], 0) << c.what;
  }
  json answer;
  ASSERT_EQ(Post(server, replay_, &answer), 201);
  EXPECT_EQ(Top(server, answer["scenario"]).size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Databases, RealReplay, ::testing::Values("sqlite", "postgresql"),
                         [](const auto& info) { return info.param; });

}  // namespace
