// Command-line options (taken out before the game's own parameters are looked at) and the input
// script format of headless and scripted runs.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Input.h"
#include "platform/System.h"

// The last tick a run can have: far beyond any real run, and every tick stays exact where state
// dumps are read as JSON numbers (doubles).
constexpr int64_t kMaxTick = (int64_t{1} << 53) - 1;

struct Options {
  bool window = false;
  bool fullscreen = false;
  // How full screen scales the frame, from now on (kept in the settings).
  std::optional<ScaleMode> scale;
  // The machine's sound device or a silent one; unset: silent when headless.
  std::optional<bool> machineSound;
  bool headless = false;
  std::optional<uint64_t> seed;
  std::optional<int64_t> ticks;
  std::string script, record, dumpState, screenshot;
  // A replay to play instead of the player's input.
  std::string replay;
  uint32_t videoMemoryKB = 64 * 1024;
  bool bench = false;
  // Headless, a tick every 25 ms as a window plays rather than one after another.
  bool paced = false;
  // Play this level alone ("FILE" or "SCENARIO.lev:N"); watch reloads it when the file changes.
  std::string level;
  bool watch = false;
  // The server of shared tables for this run, in place of the settings' (checked when used: a bad
  // address leaves the game with its own tables only).
  std::optional<std::string> recordsServer;
  bool help = false, version = false;
  // What is left for the game's command line ("compile", "plimb", ...).
  std::vector<std::string> params;
};

// Takes the options out of argv. On a bad option returns false with a one-line error.
bool ParseOptions(int argc, char** argv, Options& out, std::string& error);

// One line of a script: at tick `tick`, an input event, or an action on the run.
struct ScriptEvent {
  enum class Kind : uint8_t { Input, Dump, Screenshot };
  int64_t tick = 0;
  Kind kind = Kind::Input;
  InputEvent input;
  std::string file;
};

// Reads a script; events come out in tick order (lines of one tick in file order). On a malformed
// line, or one whose tick (or a character of its text) lies beyond kMaxTick, returns false with an
// error naming the line number.
bool ParseScript(const std::string& text, const std::string& name, std::vector<ScriptEvent>& out,
                 std::string& error);
// One input event as a script line ("12 key Down down").
std::string FormatScriptLine(int64_t tick, const InputEvent& e);
