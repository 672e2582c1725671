// Checking a replay by playing it: the game runs headless (no window, no sound device, no SDL
// video) on the data of one folder, from the replay's start to its result screen, and tells the
// result that run reached, whatever anyone claims about it.
//
// One check at a time in a process: the game's random generator and the folders behind its file
// names belong to the whole process. A server checks in parallel with one process per check.
#pragma once
#include <cstdint>
#include <string>

#include "replay/ReplayFile.h"

// One hour of play: the default bound of a check.
constexpr int64_t kReplayCheckTicks = 40 * 60 * 60;

struct TReplayResult {
  std::string scenario;        // the scenario's file name in the data folder
  std::string scenarioSha256;  // its identity
  std::string name;            // the player's name from the replay, cp1251 (may be empty)
  int32_t score = 0, targets = 0, medals = 0, levels = 0, misses = 0;
  uint8_t won = 0, difficulty = 0;
  int64_t ticks = 0;  // ticks of play to the result screen
};

struct TReplayCheck {
  TReplayRefusal refusal = TReplayRefusal::None;  // None: result holds what the run reached
  std::string reason;                             // one line, for a refusal
  TReplayResult result;
};

// Plays the replay text on the data in dataFolder (the game's data files and its ".lev"
// scenarios; "graph.dat" is made afresh when the folder has none, and never written there), at
// most tickBound ticks of play. Never throws; a hostile replay gets a refusal.
TReplayCheck CheckReplay(const std::string& text, const std::string& dataFolder,
                         int64_t tickBound = kReplayCheckTicks);
