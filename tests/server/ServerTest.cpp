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

// Results are written with designated initializers, the fields not named keeping their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

std::string MakeTempFolder() {
  char name[] = "/tmp/vor-records-test-XXXXXX";
  if (!mkdtemp(name)) throw std::runtime_error("no temporary folder");
  return name;
}

// A child process with its arguments; its standard error is read for the line that names the port.
class Process {
 public:
  Process(std::vector<std::string> args, std::vector<std::string> env = {}) {
    int err[2];
    if (pipe(err) != 0) throw std::runtime_error("pipe");
    pid_ = fork();
    if (pid_ == 0) {
      dup2(err[1], 2);
      close(err[0]);
      close(err[1]);
      for (const std::string& e : env) putenv(const_cast<char*>(e.c_str()));
      std::vector<char*> argv;
      for (std::string& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(127);
    }
    close(err[1]);
    err_ = fdopen(err[0], "r");
  }
  ~Process() {
    Stop(SIGTERM);
    if (err_) fclose(err_);
  }
  // The next line of its standard error; empty at its end.
  std::string Line() {
    char buffer[4096];
    return fgets(buffer, sizeof buffer, err_) ? buffer : "";
  }
  void Stop(int sig) {
    if (pid_ <= 0) return;
    kill(pid_, sig);
    waitpid(pid_, nullptr, 0);
    pid_ = 0;
  }
  // Waits for it to end; its exit status.
  int Wait() {
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = 0;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = 0;
  FILE* err_ = nullptr;
};

class RecordsServer {
 public:
  RecordsServer(const std::string& data, const std::string& db,
                std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {VOR_RECORDS, "--data", data, "--db", db,
                                     "--listen", "127.0.0.1:0", "--checker", FAKE_CHECKER};
    args.insert(args.end(), extra.begin(), extra.end());
    process_ = std::make_unique<Process>(args, std::vector<std::string>{"ASAN_OPTIONS=detect_leaks=0"});
    for (std::string line; !(line = process_->Line()).empty();) {
      const size_t at = line.find("listening on 127.0.0.1:");
      if (at != std::string::npos) {
        port_ = std::stoi(line.substr(at + 23));
        break;
      }
    }
    if (port_ == 0) throw std::runtime_error("the server did not start");
  }
  httplib::Client Client() const {
    httplib::Client c("127.0.0.1", port_);
    c.set_read_timeout(60);
    return c;
  }
  void Kill() { process_->Stop(SIGKILL); }

 private:
  std::unique_ptr<Process> process_;
  int port_ = 0;
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

json Top(const RecordsServer& s, const std::string& scenario, int limit = 10) {
  auto res = s.Client().Get(("/api/v1/scenarios/" + scenario + "/top?limit=" +
                             std::to_string(limit)).c_str());
  if (!res || res->status != 200) return json();
  return json::parse(res->body);
}

int Post(const RecordsServer& s, const std::string& body, json* answer = nullptr) {
  auto res = s.Client().Post("/api/v1/results", body, "text/plain");
  if (!res) return 0;
  if (answer) *answer = json::parse(res->body, nullptr, false);
  return res->status;
}

int64_t Results(const RecordsServer& s, const std::string& scenario) {
  auto res = s.Client().Get("/api/v1/scenarios");
  if (!res || res->status != 200) return -1;
  for (const json& j : json::parse(res->body))
    if (j["id"] == scenario) return j["results"].get<int64_t>();
  return -1;
}

}  // namespace

TEST_F(SharedTable, APostedResultIsInTheTableWithItsReplay) {
  RecordsServer server(data_, "sqlite:" + folder_ + "/r.sqlite");
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

// The table holds what the run reached, in the game's order, and limit cuts it.
TEST_F(SharedTable, TopIsInTheGamesOrder) {
  RecordsServer server(data_, "sqlite:" + folder_ + "/r.sqlite");
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
  RecordsServer server(data_, "sqlite:" + folder_ + "/r.sqlite",
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
  RecordsServer server(data_, "sqlite:" + folder_ + "/r.sqlite", {"--posts-per-minute", "3"});
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Post(server, Replay({.score = i})), 201);
  EXPECT_EQ(Post(server, Replay({.score = 9})), 429);
  EXPECT_EQ(Top(server, mainId_).size(), 3u);
}

// With every worker busy and no room to wait, a post is turned away at once and reads are
// answered.
TEST_F(SharedTable, BusyCheckersDoNotHoldReads) {
  RecordsServer server(data_, "sqlite:" + folder_ + "/r.sqlite",
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
    RecordsServer server(data_, "sqlite:" + folder_ + "/r.sqlite");
    for (int i = 0; i < 5; ++i) {
      replays.push_back(Replay({.score = 10 * i}));
      ASSERT_EQ(Post(server, replays.back()), 201);
    }
    server.Kill();
  }
  RecordsServer again(data_, "sqlite:" + folder_ + "/r.sqlite");
  EXPECT_EQ(Results(again, mainId_), 5);
  for (const std::string& r : replays) {
    auto file = again.Client().Get(("/api/v1/replays/" + Sha256Hex(r)).c_str());
    ASSERT_TRUE(file);
    EXPECT_EQ(file->body, r);
  }
}

// A private PostgreSQL cluster, made and started for the test, stopped and removed at its end. A
// root test runs it as nobody (PostgreSQL refuses root).
class PostgresCluster {
 public:
  PostgresCluster() {
    for (const auto& e : fs::directory_iterator("/usr/lib/postgresql", ec_))
      if (fs::exists(e.path() / "bin/initdb")) bin_ = e.path() / "bin";
    if (bin_.empty()) return;
    folder_ = MakeTempFolder();
    if (geteuid() == 0) {
      as_ = "setpriv --reuid=nobody --regid=nogroup --clear-groups ";
      if (chown(folder_.c_str(), 65534, 65534) != 0) return;
    }
    const std::string quiet = " >" + folder_ + "/log 2>&1";
    started_ = Run(bin_ + "/initdb -A trust -U " + user_ + " -D " + folder_ + "/db" + quiet) &&
               Run(bin_ + "/pg_ctl -w -D " + folder_ + "/db -o \"-k " + folder_ +
                   " -c listen_addresses=''\" -l " + folder_ + "/server.log start" + quiet);
  }
  ~PostgresCluster() {
    if (started_) Run(bin_ + "/pg_ctl -w -D " + folder_ + "/db -m immediate stop >/dev/null 2>&1");
    if (!folder_.empty()) fs::remove_all(folder_, ec_);
  }
  bool Installed() const { return !bin_.empty(); }
  bool Started() const { return started_; }
  std::string Address() const {
    return "postgresql:///postgres?host=" + folder_ + "&user=" + user_;
  }

 private:
  bool Run(const std::string& command) {
    return std::system(("cd / && " + as_ + command).c_str()) == 0;
  }
  std::error_code ec_;
  std::string bin_, folder_, as_;
  // The cluster's superuser, whoever runs it.
  const std::string user_ = "vor";
  bool started_ = false;
};

TEST_F(SharedTable, ServersOnOnePostgresDatabaseServeTogether) {
  PostgresCluster cluster;
  if (!cluster.Installed()) GTEST_SKIP() << "PostgreSQL is not installed (tools/deps.sh test)";
  ASSERT_TRUE(cluster.Started());
  RecordsServer a(data_, cluster.Address()), b(data_, cluster.Address());
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
