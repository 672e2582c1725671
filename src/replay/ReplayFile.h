// Replays: everything needed to play one game again exactly, as text in the input script format.
//
//   # vor-replay 1                                  format version; the first line
//   # vor-replay scenario SHA256 NAME               the .lev file's SHA-256, and its file name
//   # vor-replay data SHA256                        DataIdentity of the graphics collections
//   # vor-replay seed HEX32                         the generator's state as the game started
//   # vor-replay input N N ...                      keyboard and mouse devices as the game started
//   # vor-replay pad N N ...                        the pad's mapping as the game started
//   # vor-replay touch N N ...                      a finger's state as the game started (none: no finger)
//   # vor-replay latches CODE:N ... b0:N ...        key and button latches that were running
//   # vor-replay mouse-poll                         the mouse was read after the start, same tick
//   # vor-replay level-skip                         F11 could skip levels (command line "plimb")
//   # vor-replay name NAME                          the name the player entered (UTF-8), if any
//   # vor-setting difficulty=normal                 the menu settings the game was played with
//   TICK EVENT ARGS                                 input events, tick 1 = the first tick of play
//
// Tick 0 is the tick whose input started the game; the devices' state is taken at that point, so
// the replay starts from exactly where the player was. Lines that are neither comments nor events
// are refused, and so is a "# vor-replay" line this version does not know.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "app/Options.h"
#include "app/Settings.h"

// Larger replays are refused: an hour of play with constant input is well below it.
constexpr size_t kMaxReplayBytes = size_t{1} << 20;
constexpr int kReplayVersion = 1;

// Why a replay gives no result.
enum class TReplayRefusal : uint8_t {
  None,
  Malformed,        // not a replay of this version, or its content cannot be what a game wrote
  UnknownScenario,  // no installed scenario has its identity
  UnknownData,      // the installed data is other than it was played with, or cannot be read
  NoResult,         // the game did not end on a result screen
  OverBound,        // the game ran past the bound of ticks
};

struct TReplay {
  std::string scenarioSha256, scenarioName;
  std::string dataSha256;
  std::array<uint32_t, 4> seed{};
  std::vector<int64_t> input, pad, touch;
  int32_t keyLatch[256] = {};
  int32_t buttonLatch[8] = {};
  bool mousePoll = false;
  bool levelSkip = false;
  std::string name;                 // cp1251, at most 10 characters, none below 32
  Settings settings;                // the menu settings, without the scenario
  std::vector<ScriptEvent> events;  // input only, in tick order
};

std::string FormatReplay(const TReplay& replay);
// False with a one-line reason (naming the line) for anything this version cannot play exactly.
bool ParseReplay(const std::string& text, TReplay& out, std::string& error);

// The identity of the game's data: SHA-256 over each collection's name, length and bytes, in the
// order of kCollectionFiles. paths holds the four files' paths in that order; false with the reason when one
// cannot be read.
bool DataIdentity(const std::array<std::string, 4>& paths, std::string& sha256, std::string& error);
// The identity of a scenario: the SHA-256 of its .lev file.
bool ScenarioIdentity(const std::string& path, std::string& sha256, std::string& error);
