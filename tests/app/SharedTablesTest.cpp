// The server of shared tables as the game uses it: results wait in a folder until the server has
// taken or refused them, and the shared table's answer is read as the table screen shows it.
#include "app/SharedTables.h"

#include <gtest/gtest.h>
#include <httplib.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <deque>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

#include "replay/ReplayFile.h"

namespace fs = std::filesystem;

namespace {

class TempFolder {
 public:
  TempFolder() {
    char name[] = "/tmp/vor-shared-test-XXXXXX";
    if (!mkdtemp(name)) throw std::runtime_error("no temporary folder");
    path_ = name;
  }
  ~TempFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// A server on 127.0.0.1 that answers each result with the next status given, keeping the bodies,
// and the shared table and replays with what it is told.
class FakeServer {
 public:
  FakeServer() {
    server_.Post("/api/v1/results", [this](const httplib::Request& req, httplib::Response& res) {
      std::lock_guard lock(mutex_);
      bodies.push_back(req.body);
      res.status = statuses.empty() ? 201 : statuses.front();
      if (!statuses.empty()) statuses.pop_front();
      res.set_content("{\"error\":\"as told\"}", "application/json");
    });
    server_.Get(R"(/api/v1/scenarios/([0-9a-f]{64})/top)",
                [this](const httplib::Request& req, httplib::Response& res) {
                  std::lock_guard lock(mutex_);
                  asked = req.matches[1].str() + "?" + req.get_param_value("limit");
                  res.status = topStatus;
                  res.set_content(top, "application/json");
                });
    server_.Get(R"(/api/v1/replays/([0-9a-f]{64}))",
                [](const httplib::Request& req, httplib::Response& res) {
                  res.set_content("replay " + req.matches[1].str(), "text/plain");
                });
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ~FakeServer() {
    server_.stop();
    thread_.join();
  }
  std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_); }
  std::vector<std::string> Bodies() {
    std::lock_guard lock(mutex_);
    return bodies;
  }

  std::mutex mutex_;
  std::deque<int> statuses;
  std::vector<std::string> bodies;
  int topStatus = 200;
  std::string top = "[]";
  std::string asked;

 private:
  httplib::Server server_;
  std::thread thread_;
  int port_ = 0;
};

// A port nothing listens on: one the system gave and took back.
std::string DeadUrl() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof a;
  if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&a), &size) != 0)
    throw std::runtime_error("no port");
  close(fd);
  return "http://127.0.0.1:" + std::to_string(ntohs(a.sin_port));
}

// Polls until nothing runs (a bound only against a hang).
void Settle(SharedTables& t) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (t.Busy() && std::chrono::steady_clock::now() < until) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    t.Poll();
  }
  ASSERT_FALSE(t.Busy());
}

std::string Replay(char c) {
  return "# vor-replay 1\n# " + std::string(40, c) + "\n";
}

}  // namespace

TEST(PendingResultsTest, KeepsResultsOldestFirstAndIgnoresOtherFiles) {
  TempFolder tmp;
  PendingResults pending(tmp.Path() + "/pending");
  EXPECT_TRUE(pending.List().empty());  // no folder yet
  std::string error;
  std::vector<std::string> names;
  for (char c : {'c', 'a', 'b'}) {
    names.push_back(pending.Add(Replay(c), error));
    ASSERT_FALSE(names.back().empty()) << error;
  }
  // Things that are not results: another name, a folder named as one, a file beside it.
  fs::create_directory(tmp.Path() + "/pending/00000000000000000000-0123456789abcdef.replay");
  std::ofstream(tmp.Path() + "/pending/notes.txt") << "x";
  std::ofstream(tmp.Path() + "/pending/1-0123456789abcdef.replay") << "x";
  EXPECT_EQ(pending.List(), names);
  std::string text;
  ASSERT_TRUE(pending.Read(names[0], text, error)) << error;
  EXPECT_EQ(text, Replay('c'));
  pending.Remove(names[0]);
  EXPECT_EQ(pending.List(), std::vector<std::string>(names.begin() + 1, names.end()));
  EXPECT_FALSE(pending.Read(names[0], text, error));
  // A file larger than any replay is not read.
  std::ofstream(tmp.Path() + "/pending/" + names[1], std::ios::trunc)
      << std::string(kMaxReplayBytes + 1, 'x');
  EXPECT_FALSE(pending.Read(names[1], text, error));
}

TEST(PendingResultsTest, AFolderThatCannotBeMadeKeepsNothing) {
  TempFolder tmp;
  std::ofstream(tmp.Path() + "/file") << "x";
  PendingResults pending(tmp.Path() + "/file/pending");
  std::string error;
  EXPECT_TRUE(pending.Add(Replay('a'), error).empty());
  EXPECT_NE(error.find("cannot make the folder"), std::string::npos) << error;
}

// Taken (2xx) and refused for good (4xx but 429) go; the rest wait, and the round stops there
// until the next result is named, which sends everything that waits.
TEST(SharedTablesTest, SendsWhatWaitsAndKeepsWhatCannotGo) {
  for (const int failure : {429, 500, 503}) {
    SCOPED_TRACE(failure);
    TempFolder tmp;
    FakeServer server;
    PendingResults pending(tmp.Path() + "/pending");
    std::string error;
    const std::string first = pending.Add(Replay('a'), error);
    const std::string refused = pending.Add(Replay('b'), error);
    const std::string waits = pending.Add(Replay('c'), error);
    const std::string later = pending.Add(Replay('d'), error);
    server.statuses = {201, 422, failure};
    SharedTables tables(server.Url(), pending);
    Settle(tables);
    EXPECT_EQ(server.Bodies(), (std::vector<std::string>{Replay('a'), Replay('b'), Replay('c')}));
    EXPECT_EQ(pending.List(), (std::vector<std::string>{waits, later}));
    EXPECT_TRUE(tables.TakeStored());
    EXPECT_FALSE(tables.TakeStored());

    tables.Send(Replay('e'));
    Settle(tables);
    EXPECT_EQ(server.Bodies(), (std::vector<std::string>{Replay('a'), Replay('b'), Replay('c'),
                                                         Replay('c'), Replay('d'), Replay('e')}));
    EXPECT_TRUE(pending.List().empty());
  }
}

TEST(SharedTablesTest, AServerThatCannotBeReachedLeavesTheResultWaiting) {
  TempFolder tmp;
  PendingResults pending(tmp.Path() + "/pending");
  SharedTables tables(DeadUrl(), pending);
  tables.Send(Replay('a'));
  tables.FetchTop(std::string(64, 'a'));
  Settle(tables);
  ASSERT_EQ(pending.List().size(), 1u);
  std::string text, error;
  ASSERT_TRUE(pending.Read(pending.List()[0], text, error));
  EXPECT_EQ(text, Replay('a'));
  EXPECT_EQ(tables.Top(), SharedTables::TopState::Unreachable);
  EXPECT_FALSE(tables.TakeStored());
}

TEST(SharedTablesTest, ReadsTheSharedTableAndFetchesAReplay) {
  TempFolder tmp;
  FakeServer server;
  SharedTables tables(server.Url(), PendingResults(tmp.Path() + "/pending"));
  const std::string id(64, 'a'), replay(64, 'b');
  server.top = "[{\"rank\":1,\"name\":\"Ann\",\"score\":70,\"targets\":3,\"medals\":1,\"levels\":2,"
               "\"misses\":4,\"won\":true,\"difficulty\":2,\"date\":\"2026-01-01\",\"replay\":\"" +
               replay + "\"}]";
  tables.FetchTop(id);
  EXPECT_EQ(tables.Top(), SharedTables::TopState::Loading);
  Settle(tables);
  EXPECT_EQ(server.asked, id + "?10");
  ASSERT_EQ(tables.Top(), SharedTables::TopState::Ready);
  ASSERT_EQ(tables.TopRows().size(), 1u);
  EXPECT_EQ(tables.TopRows()[0].row.score, 70);
  EXPECT_EQ(tables.TopRows()[0].replay, replay);

  tables.FetchReplay(replay);
  Settle(tables);
  std::string failure;
  EXPECT_EQ(tables.TakeReplay(failure), "replay " + replay);
  EXPECT_EQ(tables.TakeReplay(failure), std::nullopt);

  // A scenario the server does not know; an answer larger than allowed is no answer.
  server.topStatus = 404;
  tables.FetchTop(id);
  Settle(tables);
  EXPECT_EQ(tables.Top(), SharedTables::TopState::UnknownScenario);
  server.topStatus = 200;
  server.top = "[" + std::string(5 << 20, ' ') + "]";
  tables.FetchTop(id);
  Settle(tables);
  EXPECT_EQ(tables.Top(), SharedTables::TopState::Unreachable);
  EXPECT_TRUE(tables.TopRows().empty());
}

TEST(SharedTopTest, ReadsRowsAsTheTableHoldsThem) {
  const std::string replay(64, 'c');
  auto row = [&](const std::string& name, const std::string& more = "") {
    return "{\"name\":\"" + name + "\",\"score\":10,\"targets\":2,\"medals\":0,\"levels\":1," +
           "\"misses\":3,\"won\":false,\"difficulty\":1,\"replay\":\"" + replay + "\"" + more + "}";
  };
  std::vector<SharedTableRow> rows;
  std::string error;
  // Escapes decoded, Cyrillic in cp1251, a long name cut to ten characters, short ones filled.
  ASSERT_TRUE(ParseSharedTop(" [" + row("\\u0418\\u0432\\u0430\\u043d") + "," +
                                 row("A\\\"b\\\\c\\/d") + "," + row("Twelve chars") + "]",
                             rows, error))
      << error;
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(std::string(rows[0].row.name, 10), "\xc8\xe2\xe0\xed      ");
  EXPECT_EQ(std::string(rows[1].row.name, 10), "A\"b\\c/d   ");
  EXPECT_EQ(std::string(rows[2].row.name, 10), "Twelve cha");
  EXPECT_EQ(rows[0].row.nameLength, 10);
  EXPECT_EQ(rows[0].row.used, 1);
  EXPECT_EQ(rows[0].row.difficulty, 1);
  EXPECT_EQ(rows[0].row.misses, 3);

  // More rows than the table has: the first ten.
  std::string many = "[";
  for (int i = 0; i < 12; ++i) many += (i ? "," : "") + row("n" + std::to_string(i));
  ASSERT_TRUE(ParseSharedTop(many + "]", rows, error));
  ASSERT_EQ(rows.size(), size_t(kRecordRows));
  EXPECT_EQ(std::string(rows[9].row.name, 2), "n9");

  for (const std::string& bad :
       {std::string("{}"), std::string("[") + row("a"), "[" + row("a") + "] x",
        "[" + row("a", ",\"score\":1.5") + "]", "[" + row("a", ",\"score\":4294967296") + "]",
        "[" + row("a", ",\"difficulty\":300") + "]", "[" + row("a", ",\"won\":1") + "]",
        "[" + row("a", ",\"replay\":\"../x\"") + "]", "[" + row("\\ud800") + "]",
        "[" + row("a\x01") + "]", std::string(100, '[') + std::string(100, ']'), std::string()}) {
    EXPECT_FALSE(ParseSharedTop(bad, rows, error)) << bad.substr(0, 200);
    EXPECT_TRUE(rows.empty());
  }
}
