// vor-records: the shared tables of records. Every result arrives as a replay and is played again
// on the server's own data before it is stored.
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <thread>

#include "app/DataFolders.h"
#include "platform/UserDirs.h"
#include "server/CheckPool.h"
#include "server/Server.h"

namespace {

constexpr size_t kMaxReplayBytes = size_t{1} << 20;

const char kUsage[] =
    "Usage: vor-records [--data DIR] [--db sqlite:FILE|postgresql://...] [--listen HOST:PORT]\n"
    "                   [--workers N] [--queue N] [--ticks N] [--check-timeout SECONDS]\n"
    "                   [--posts-per-minute N] [--play-url URL] [--web DIR] [--checker PROGRAM]\n"
    "Keeps the shared tables of records of the game's scenarios; every result is sent as a\n"
    "replay and played again on the data in DIR before it is stored.\n"
    "  --data DIR            the game's data (default: the installed data)\n"
    "  --db SPEC             the database (default: sqlite:$XDG_DATA_HOME/vor-records/records.sqlite)\n"
    "  --listen HOST:PORT    where to answer (default: 127.0.0.1:8477)\n"
    "  --workers N           replays played at once (default: the number of processors)\n"
    "  --queue N             replays waiting beyond those (default: 4 per worker)\n"
    "  --ticks N             the longest game played, in ticks of 25 ms (default: one hour)\n"
    "  --check-timeout S     the longest a replay's run may take (default: 600 seconds)\n"
    "  --posts-per-minute N  results taken from one address (default: 30)\n"
    "  --play-url URL        the web build's page, which plays ?replay=URL (default: /play/)\n"
    "  --web DIR             serves the web build in DIR at /play/\n"
    "  --checker PROGRAM     plays each replay with PROGRAM --check-replay --data DIR --ticks N\n"
    "                        (default: this program)\n";

[[noreturn]] void Usage(const std::string& problem) {
  std::fprintf(stderr, "vor-records: %s\n%s", problem.c_str(), kUsage);
  std::exit(2);
}

int64_t Number(const std::string& option, const std::string& text, int64_t least, int64_t most) {
  size_t used = 0;
  int64_t v = 0;
  try {
    v = std::stoll(text, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used != text.size() || text.empty() || v < least || v > most)
    Usage(option + " takes a number from " + std::to_string(least) + " to " +
          std::to_string(most) + ", not \"" + text + "\"");
  return v;
}

// The replay on standard input, played here; its outcome as one line on standard output.
int CheckReplayMode(const std::string& data, int64_t ticks) {
  std::string text;
  char buffer[65536];
  size_t n;
  while (text.size() <= kMaxReplayBytes && (n = std::fread(buffer, 1, sizeof buffer, stdin)) > 0)
    text.append(buffer, n);
  CheckOutcome outcome;
  if (text.size() > kMaxReplayBytes) {
    outcome.verdict = CheckVerdict::Malformed;
    outcome.reason = "a replay is at most 1 MiB";
  } else {
    outcome = CheckReplayHere(text, data, ticks);
  }
  const std::string line = FormatCheckOutcome(outcome);
  return std::fwrite(line.data(), 1, line.size(), stdout) == line.size() && std::fflush(stdout) == 0
             ? 0
             : 1;
}

std::string DefaultDatabase() {
  const std::string vor = UserDirPath(UserDir::Data);
  if (vor.empty()) Usage("no folder for the database (" + NoUserDirReason() + "); give --db");
  const std::string folder = std::filesystem::path(vor).parent_path() / "vor-records";
  std::string error;
  if (!MakeUserDir(folder, error)) {
    std::fprintf(stderr, "vor-records: %s\n", error.c_str());
    std::exit(1);
  }
  return "sqlite:" + folder + "/records.sqlite";
}

}  // namespace

int main(int argc, char** argv) {
  ServerConfig config;
  std::string db, checker;
  bool checkMode = false;
  int64_t ticks = kDefaultCheckTicks, timeout = 600, queue = -1;
  int64_t workers = std::max(1u, std::thread::hardware_concurrency());
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) Usage(a + " needs a value");
      return argv[++i];
    };
    if (a == "--help" || a == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (a == "--data") {
      config.dataFolder = value();
    } else if (a == "--db") {
      db = value();
    } else if (a == "--listen") {
      const std::string v = value();
      const size_t colon = v.rfind(':');
      if (colon == std::string::npos || colon == 0) Usage("--listen takes HOST:PORT");
      config.host = v.substr(0, colon);
      config.port = int(Number("--listen", v.substr(colon + 1), 0, 65535));
    } else if (a == "--workers") {
      workers = Number(a, value(), 1, 256);
    } else if (a == "--queue") {
      queue = Number(a, value(), 0, 4096);
    } else if (a == "--ticks") {
      ticks = Number(a, value(), 1, int64_t{1} << 40);
    } else if (a == "--check-timeout") {
      timeout = Number(a, value(), 1, 86400);
    } else if (a == "--posts-per-minute") {
      config.postsPerMinute = int(Number(a, value(), 1, 1000000));
    } else if (a == "--play-url") {
      config.playUrl = value();
    } else if (a == "--web") {
      config.webFolder = value();
    } else if (a == "--checker") {
      checker = value();
    } else if (a == "--check-replay") {
      checkMode = true;
    } else {
      Usage("unknown option " + a);
    }
  }
  if (config.dataFolder.empty()) config.dataFolder = InstalledDataFolder();
  std::error_code ec;
  const std::filesystem::path data = std::filesystem::canonical(config.dataFolder, ec);
  if (ec || !std::filesystem::is_directory(data)) {
    std::fprintf(stderr, "vor-records: the data folder %s cannot be used\n",
                 config.dataFolder.c_str());
    return 1;
  }
  config.dataFolder = data;
  if (checkMode) return CheckReplayMode(config.dataFolder, ticks);

  // A checker that ends before it has read its replay must not end the server.
  signal(SIGPIPE, SIG_IGN);
  std::string error;
  const std::map<std::string, ScenarioInfo> scenarios = ReadScenarios(config.dataFolder, error);
  if (scenarios.empty()) {
    std::fprintf(stderr, "vor-records: %s\n", error.c_str());
    return 1;
  }
  if (db.empty()) db = DefaultDatabase();
  std::unique_ptr<Store> store = OpenStore(db, error);
  if (!store) {
    std::fprintf(stderr, "vor-records: the database %s cannot be used: %s\n", db.c_str(),
                 error.c_str());
    return 1;
  }
  CheckPoolConfig pool;
  if (checker.empty()) {
    checker = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) checker = argv[0];
  }
  pool.command = {checker, "--check-replay", "--data", config.dataFolder, "--ticks",
                  std::to_string(ticks)};
  pool.workers = int(workers);
  pool.queue = int(queue >= 0 ? queue : 4 * workers);
  pool.timeout = std::chrono::seconds(timeout);
  // Room to answer reads while every check and every waiting one holds a thread.
  config.threads = pool.workers + pool.queue + 8;
  CheckPool checks(pool);
  if (!Serve(config, *store, checks, scenarios, error)) {
    std::fprintf(stderr, "vor-records: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
