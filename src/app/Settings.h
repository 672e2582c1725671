// The player's settings kept between runs: "vor.ini", a small file of key=value lines in the
// player's configuration folder. It holds whether the game shows full screen, how full screen
// scales the frame, the menu's settings and the server of shared tables; keys it does not know are kept as they are, so a newer game's settings survive an
// older one.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/System.h"

class TGame;

// Each setting is unset when the file does not hold it (or holds a damaged value): the game's
// own default then stands. The values are the game's fields; the file says them as the menu does.
struct Settings {
  std::optional<bool> fullscreen;          // "fullscreen=1" or "=0"
  std::optional<ScaleMode> scale;          // "scale=sharp" or "integer"
  std::optional<std::string> scenario;     // "scenario=main.lev": a file name, no folders
  std::optional<uint8_t> difficulty;       // "difficulty=normal", "kindly" or "hardly" (0, 1, 2)
  std::optional<uint8_t> brightness;       // "brightness=50": 0..100 in steps of 10
  std::optional<uint8_t> controlType;      // "control_type=mouse" (1) or "keyboard" (0)
  std::optional<uint8_t> controlSpeed;     // "control_speed=10": the speed shown, 1..15 (stored
                                           // as 15 minus it, 0..14)
  std::optional<uint8_t> soundOn;          // "sound=on" (1) or "off" (0)
  // "records_server=http://HOST:PORT": the server of shared tables the results go to (unset: none)
  std::optional<std::string> recordsServer;
  std::vector<std::pair<std::string, std::string>> others;

  bool operator==(const Settings&) const = default;
};

// Lines "key=value" (blanks around either are dropped), empty lines and comments starting with '#'
// or ';'. A whole file is refused (false with the reason) when it holds a zero byte or more than
// 64 KB. A line that is not key=value (or whose key is other than letters, digits, '_', '-' and
// '.') is skipped, and a value its key cannot take leaves that key unset: each adds a reason naming
// its line to `damaged`, and the other lines still count. The last line of a key decides.
[[nodiscard]] bool ParseSettings(const std::string& text, Settings& out, std::string& error,
                                 std::vector<std::string>& damaged);
std::string FormatSettings(const Settings& settings);

// $XDG_CONFIG_HOME/vor/vor.ini (or ~/.config/...); empty when no folder can be named.
std::string SettingsPath();
// A missing file gives no settings silently. A file that cannot be read, is no regular file (a
// folder, a FIFO, a device: never opened for reading) or is damaged as a whole gives none; damaged
// lines leave their keys unset. Each is named on stderr unless quiet.
Settings LoadSettings(const std::string& path, bool quiet = false);
// Makes the folder and replaces the file atomically; a failure is a line on stderr and false.
bool SaveSettings(const std::string& path, const Settings& settings);

// The menu's settings (and the scenario when withScenario) as the game holds them now.
Settings MenuSettingsOf(const TGame& game, bool withScenario);
// Puts the kept menu settings in place of the game's defaults: call it right after the game object
// is made, before the sound opens (no device still turns sound off) and before loading ends (which
// chooses the kept scenario when it is still there).
void ApplyMenuSettings(const Settings& settings, TGame& game);
// Copies into `file` the menu settings that differ between before and now, leaving the others
// (another copy of the game may have changed them) as the file has them.
void CopyChangedMenuSettings(const Settings& before, const Settings& now, Settings& file);

// A recording carries the menu settings its run started from, so it replays the same on any
// machine: one line "# vor-setting KEY=VALUE" for each (a comment to anything else that reads
// scripts). The lines for the menu settings of `start`.
std::string SettingsScriptLines(const Settings& start);
// The settings of such lines in a script's text; false when it holds none. A damaged value is a
// reason naming the script's line in `damaged`.
bool SettingsFromScript(const std::string& script, Settings& out, std::vector<std::string>& damaged);
