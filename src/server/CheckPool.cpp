#include "server/CheckPool.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <nlohmann/json.hpp>

namespace {

constexpr size_t kMaxAnswerBytes = 64 * 1024;

std::string Hex(const std::string& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

bool Unhex(const std::string& hex, std::string& out) {
  if (hex.size() % 2) return false;
  out.clear();
  for (size_t i = 0; i < hex.size(); i += 2) {
    int v = 0;
    for (char c : {hex[i], hex[i + 1]}) {
      v *= 16;
      if (c >= '0' && c <= '9') v += c - '0';
      else if (c >= 'a' && c <= 'f') v += c - 'a' + 10;
      else return false;
    }
    out += char(v);
  }
  return true;
}

CheckOutcome Refusal(std::string reason) {
  CheckOutcome out;
  out.verdict = CheckVerdict::Refused;
  out.reason = std::move(reason);
  return out;
}

}  // namespace

std::string FormatCheckOutcome(const CheckOutcome& o) {
  nlohmann::json j;
  j["verdict"] = o.verdict == CheckVerdict::Accepted    ? "accepted"
                 : o.verdict == CheckVerdict::Malformed ? "malformed"
                                                        : "refused";
  // The reason may hold bytes of the replay: hexadecimal keeps the line valid JSON.
  j["reason"] = Hex(o.reason);
  if (o.verdict == CheckVerdict::Accepted) {
    const CheckedResult& r = o.result;
    j["scenario"] = r.scenarioSha256;
    j["name"] = Hex(r.name);
    j["score"] = r.score;
    j["targets"] = r.targets;
    j["medals"] = r.medals;
    j["levels"] = r.levels;
    j["misses"] = r.misses;
    j["won"] = r.won;
    j["difficulty"] = r.difficulty;
    j["ticks"] = r.ticks;
  }
  return j.dump() + "\n";
}

bool ParseCheckOutcome(const std::string& line, CheckOutcome& out) {
  const nlohmann::json j = nlohmann::json::parse(line, nullptr, false);
  if (!j.is_object()) return false;
  try {
    const std::string verdict = j.at("verdict").get<std::string>();
    if (!Unhex(j.at("reason").get<std::string>(), out.reason)) return false;
    if (verdict == "malformed") out.verdict = CheckVerdict::Malformed;
    else if (verdict == "refused") out.verdict = CheckVerdict::Refused;
    else if (verdict == "accepted") out.verdict = CheckVerdict::Accepted;
    else return false;
    if (out.verdict != CheckVerdict::Accepted) return true;
    CheckedResult& r = out.result;
    r.scenarioSha256 = j.at("scenario").get<std::string>();
    if (!Unhex(j.at("name").get<std::string>(), r.name)) return false;
    r.score = j.at("score").get<int32_t>();
    r.targets = j.at("targets").get<int32_t>();
    r.medals = j.at("medals").get<int32_t>();
    r.levels = j.at("levels").get<int32_t>();
    r.misses = j.at("misses").get<int32_t>();
    r.won = j.at("won").get<uint8_t>();
    r.difficulty = j.at("difficulty").get<uint8_t>();
    r.ticks = j.at("ticks").get<int64_t>();
  } catch (const nlohmann::json::exception&) {
    return false;
  }
  return true;
}

std::optional<CheckOutcome> CheckPool::Check(const std::string& text) {
  {
    std::unique_lock lock(mutex_);
    if (running_ + waiting_ >= config_.workers + config_.queue) return std::nullopt;
    ++waiting_;
    free_.wait(lock, [&] { return running_ < config_.workers; });
    --waiting_;
    ++running_;
  }
  CheckOutcome out = Run(text);
  {
    std::lock_guard lock(mutex_);
    --running_;
  }
  free_.notify_one();
  return out;
}

CheckOutcome CheckPool::Run(const std::string& text) const {
  if (config_.command.empty()) return Refusal("no checker");
  std::vector<char*> argv;
  for (const std::string& a : config_.command) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  int in[2], out[2];
  if (pipe2(in, O_CLOEXEC) != 0) return Refusal("the checker cannot be started");
  if (pipe2(out, O_CLOEXEC) != 0) {
    close(in[0]);
    close(in[1]);
    return Refusal("the checker cannot be started");
  }
  const pid_t pid = fork();
  if (pid == 0) {
    // Only calls that are safe between fork and exec in a program with threads.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    dup2(in[0], 0);
    dup2(out[1], 1);
    const int null = open("/dev/null", O_WRONLY);
    if (null >= 0) dup2(null, 2);
    close_range(3, ~0U, 0);
    const rlim_t cpu = rlim_t(config_.timeout.count()) + 5;
    const rlimit limit{cpu, cpu};
    setrlimit(RLIMIT_CPU, &limit);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  if (pid < 0) {
    close(in[1]);
    close(out[0]);
    return Refusal("the checker cannot be started");
  }
  fcntl(in[1], F_SETFL, O_NONBLOCK);
  std::string answer;
  size_t written = 0;
  bool overflow = false, timedOut = false;
  const auto deadline = std::chrono::steady_clock::now() + config_.timeout;
  int writeFd = in[1], readFd = out[0];
  if (text.empty()) {
    close(writeFd);
    writeFd = -1;
  }
  while (readFd >= 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      timedOut = true;
      break;
    }
    pollfd fds[2] = {{readFd, POLLIN, 0}, {writeFd, POLLOUT, 0}};
    const int n = poll(fds, writeFd >= 0 ? 2 : 1, int(std::min<int64_t>(left.count(), 1000)));
    if (n < 0 && errno != EINTR) break;
    if (n <= 0) continue;
    if (writeFd >= 0 && fds[1].revents) {
      const ssize_t w = write(writeFd, text.data() + written, text.size() - written);
      if (w > 0) written += size_t(w);
      if (w < 0 && errno != EAGAIN && errno != EINTR) written = text.size();  // it stopped reading
      if (written == text.size()) {
        close(writeFd);
        writeFd = -1;
      }
    }
    if (fds[0].revents) {
      char buffer[4096];
      const ssize_t r = read(readFd, buffer, sizeof buffer);
      if (r > 0) {
        answer.append(buffer, size_t(r));
        if (answer.size() > kMaxAnswerBytes) overflow = true;
      }
      if (r == 0 || overflow || (r < 0 && errno != EINTR && errno != EAGAIN)) {
        close(readFd);
        readFd = -1;
      }
    }
  }
  if (writeFd >= 0) close(writeFd);
  if (readFd >= 0) close(readFd);
  if (timedOut || overflow) kill(pid, SIGKILL);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (timedOut) return Refusal("the replay ran past the time allowed");
  CheckOutcome outcome;
  if (overflow || !WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
      !ParseCheckOutcome(answer, outcome))
    return Refusal("the replay's run failed");
  return outcome;
}
