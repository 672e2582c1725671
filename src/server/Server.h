// The shared tables over HTTP: results posted as replays, re-run before they are stored; the
// tables and replays read back as JSON, files and one page.
#pragma once
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include "server/CheckPool.h"
#include "server/Store.h"

struct ServerConfig {
  std::string dataFolder;
  std::string host = "127.0.0.1";
  int port = 8477;
  int threads = 16;            // answering requests; the checks hold at most workers + queue
  int postsPerMinute = 30;     // per address, in bursts of as many
  std::string playUrl = "/play/";  // the web build's page, given ?replay=URL
  std::string webFolder;       // served at /play/ when given
};

struct ScenarioInfo {
  std::string id;    // SHA-256 of the .lev file
  std::string file;  // its name in the data folder
  std::string name;  // the file name without ".lev"
  int levels = 0;
};

// The scenarios of the data folder, by id; empty with the reason when the folder holds none.
std::map<std::string, ScenarioInfo> ReadScenarios(const std::string& folder, std::string& error);

// Posts allowed per address: a bucket of tokens refilled at a steady rate.
class RateLimit {
 public:
  explicit RateLimit(int perMinute) : perMinute_(perMinute) {}
  bool Allow(const std::string& address);

 private:
  struct Bucket {
    double tokens;
    std::chrono::steady_clock::time_point at;
  };
  int perMinute_;
  std::mutex mutex_;
  std::unordered_map<std::string, Bucket> buckets_;
};

// The name as the game holds it (cp1251, at most 10 characters, none below a blank) in UTF-8;
// false for anything else.
bool StoredName(const std::string& cp1251, std::string& utf8);

// Serves until the process is stopped; false with the reason when it cannot listen.
bool Serve(const ServerConfig& config, Store& store, CheckPool& pool,
           const std::map<std::string, ScenarioInfo>& scenarios, std::string& error);
