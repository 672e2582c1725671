// What the server's tests share: the program started on 127.0.0.1 and read over HTTP, and a
// private PostgreSQL cluster made and started for a test.
#pragma once
#include <gtest/gtest.h>
#include <httplib.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <vector>

namespace server_test {

namespace fs = std::filesystem;
using nlohmann::json;

inline std::string MakeTempFolder() {
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
  // extra: more options, "--checker PROGRAM" among them for a stand-in; without it each replay
  // is played by the server's own run of the game.
  RecordsServer(const std::string& data, const std::string& db,
                std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {VOR_RECORDS, "--data", data, "--db", db,
                                     "--listen", "127.0.0.1:0"};
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
  int Port() const { return port_; }

 private:
  std::unique_ptr<Process> process_;
  int port_ = 0;
};

inline json Top(const RecordsServer& s, const std::string& scenario, int limit = 10) {
  auto res = s.Client().Get(("/api/v1/scenarios/" + scenario + "/top?limit=" +
                             std::to_string(limit)).c_str());
  if (!res || res->status != 200) return json();
  return json::parse(res->body);
}

inline int Post(const RecordsServer& s, const std::string& body, json* answer = nullptr) {
  auto res = s.Client().Post("/api/v1/results", body, "text/plain");
  if (!res) return 0;
  if (answer) *answer = json::parse(res->body, nullptr, false);
  return res->status;
}

inline int64_t Results(const RecordsServer& s, const std::string& scenario) {
  auto res = s.Client().Get("/api/v1/scenarios");
  if (!res || res->status != 200) return -1;
  for (const json& j : json::parse(res->body))
    if (j["id"] == scenario) return j["results"].get<int64_t>();
  return -1;
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

}  // namespace server_test
