// Replays are checked in processes of their own (the game's state belongs to a whole process, and
// a run that crashes or hangs must not take the server with it), at most `workers` at once and at
// most `queue` more waiting: past that a submission is turned away at once, so a flood of them
// never holds the threads that answer reads.
#pragma once
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "server/ReplayChecker.h"

// The checker's answer on its standard output: one line of JSON.
std::string FormatCheckOutcome(const CheckOutcome& outcome);
// False for anything but a well-formed answer (a checker is not trusted with the table either).
bool ParseCheckOutcome(const std::string& line, CheckOutcome& out);

struct CheckPoolConfig {
  // The checker and its arguments; it reads the replay on its standard input.
  std::vector<std::string> command;
  int workers = 2;
  int queue = 8;
  std::chrono::seconds timeout{600};  // a run past it is killed and refused
};

class CheckPool {
 public:
  explicit CheckPool(CheckPoolConfig config) : config_(std::move(config)) {}
  // The outcome of the replay's run; nullopt when the pool and its queue are full.
  std::optional<CheckOutcome> Check(const std::string& text);

 private:
  CheckOutcome Run(const std::string& text) const;
  CheckPoolConfig config_;
  std::mutex mutex_;
  std::condition_variable free_;
  int running_ = 0, waiting_ = 0;
};
