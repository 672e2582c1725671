// Load on a running vor-records: clients posting replays as fast as they are answered while other
// clients read a table; prints the replays verified per second and the answer times of the table.
//   vor_records_load --port N --scenario FILE.lev --data DIR [--posters N] [--readers N]
//                    [--seconds N] [--replays DIR]
// Replays come from DIR (each posted with a line "# load N" added, so none is a copy of one
// stored), or are made for the stand-in checker of the tests.
#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>
#include <vector>

#include "base/Sha256.h"

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

}  // namespace

int main(int argc, char** argv) {
  int port = 8477, posters = 8, readers = 4, seconds = 20;
  std::string scenario = "main.lev", data, replayDir;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string a = argv[i], v = argv[i + 1];
    if (a == "--port") port = std::stoi(v);
    else if (a == "--posters") posters = std::stoi(v);
    else if (a == "--readers") readers = std::stoi(v);
    else if (a == "--seconds") seconds = std::stoi(v);
    else if (a == "--scenario") scenario = v;
    else if (a == "--data") data = v;
    else if (a == "--replays") replayDir = v;
  }
  std::vector<std::string> base;
  if (!replayDir.empty())
    for (const auto& e : std::filesystem::directory_iterator(replayDir))
      if (e.is_regular_file()) base.push_back(ReadAll(e.path()));
  const std::string scenarioId = Sha256Hex(ReadAll(data + "/" + scenario));
  std::atomic<int64_t> serial{0}, verified{0}, refused{0}, busy{0}, failed{0};
  std::mutex mutex;
  std::vector<double> topMs;
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  std::vector<std::thread> threads;
  for (int p = 0; p < posters; ++p)
    threads.emplace_back([&] {
      httplib::Client c("127.0.0.1", port);
      c.set_read_timeout(600);
      while (std::chrono::steady_clock::now() < end) {
        const int64_t n = serial++;
        std::string body;
        if (!base.empty()) {
          body = base[size_t(n) % base.size()] + "# load " + std::to_string(n) + "\n";
        } else {
          body = "# vor-replay 1\n# fake scenario " + scenario + "\n# fake result " +
                 std::to_string(n % 5000) + " 10 1 3 2 0 0 40000\n# fake name 4c6f6164\n";
          for (int t = 1; t <= 2000; ++t) body += std::to_string(t * 20) + " key 200 1\n";
        }
        const auto res = c.Post("/api/v1/results", body, "text/plain");
        if (!res) ++failed;
        else if (res->status == 201) ++verified;
        else if (res->status == 503) ++busy;
        else ++refused;
        if (res && res->status == 503) std::this_thread::sleep_for(std::chrono::milliseconds(50));
      }
    });
  for (int r = 0; r < readers; ++r)
    threads.emplace_back([&] {
      httplib::Client c("127.0.0.1", port);
      const std::string path = "/api/v1/scenarios/" + scenarioId + "/top?limit=10";
      while (std::chrono::steady_clock::now() < end) {
        const auto t0 = std::chrono::steady_clock::now();
        const auto res = c.Get(path.c_str());
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
                .count();
        if (!res || res->status != 200) {
          ++failed;
          continue;
        }
        std::lock_guard lock(mutex);
        topMs.push_back(ms);
      }
    });
  for (std::thread& t : threads) t.join();
  std::sort(topMs.begin(), topMs.end());
  const auto at = [&](double q) {
    return topMs.empty() ? 0.0 : topMs[std::min(topMs.size() - 1, size_t(q * topMs.size()))];
  };
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  std::printf("verified %lld in %d s: %.1f per second, %.1f per second per core (%u cores)\n",
              (long long)verified.load(), seconds, double(verified) / seconds,
              double(verified) / seconds / cores, cores);
  std::printf("refused %lld, turned away busy %lld, failed %lld\n", (long long)refused.load(),
              (long long)busy.load(), (long long)failed.load());
  std::printf("top: %zu reads, p50 %.2f ms, p99 %.2f ms\n", topMs.size(), at(0.5), at(0.99));
  return failed == 0 ? 0 : 1;
}
