// The server's one seam to the game: a replay's text played headless on the server's own data, to
// the result the run reaches or the reason it reaches none. Whatever the client claims about the
// result is never read; only this run counts.
#pragma once
#include <cstdint>
#include <string>

// One hour of play at 40 ticks a second: the default bound of a run.
constexpr int64_t kDefaultCheckTicks = 40 * 60 * 60;

enum class CheckVerdict : uint8_t {
  Accepted,   // result holds what the run reached
  Malformed,  // not a replay this game can read
  Refused,    // a replay, but the run gives no result here (unknown scenario or data, no result
              // screen, past the bound of ticks)
};

struct CheckedResult {
  std::string scenarioSha256;  // the identity of the scenario played (SHA-256 of its .lev file)
  std::string name;            // the player's name as the game holds it: cp1251, at most 10
  int32_t score = 0, targets = 0, medals = 0, levels = 0, misses = 0;
  uint8_t won = 0, difficulty = 0;
  int64_t ticks = 0;           // ticks of play to the result screen
};

struct CheckOutcome {
  CheckVerdict verdict = CheckVerdict::Refused;
  std::string reason;  // one line, when not Accepted
  CheckedResult result;
};

// Plays the replay in this process, at most tickBound ticks, reading only dataFolder. The game's
// generator and file folders belong to the whole process: one run at a time per process (the
// server runs each in a process of its own). Never throws.
CheckOutcome CheckReplayHere(const std::string& text, const std::string& dataFolder,
                             int64_t tickBound);
