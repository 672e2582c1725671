// The player's settings kept between runs: "vor.ini", a small file of key=value lines in the
// player's configuration folder. It holds whether the game shows full screen; keys it does not know
// are kept as they are, so a newer game's settings survive an older one.
#pragma once
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct Settings {
  std::optional<bool> fullscreen;  // "fullscreen=1" or "=0"
  std::vector<std::pair<std::string, std::string>> others;
};

// Lines "key=value" (blanks around either are dropped), empty lines and comments starting with '#'
// or ';'. False with a reason naming the line when the text is damaged: a line that is none of
// these, a key of other than letters, digits, '_', '-' and '.', a value fullscreen cannot take, a
// zero byte, or more than 64 KB.
[[nodiscard]] bool ParseSettings(const std::string& text, Settings& out, std::string& error);
std::string FormatSettings(const Settings& settings);

// $XDG_CONFIG_HOME/vor/vor.ini (or ~/.config/...); empty when no folder can be named.
std::string SettingsPath();
// A missing file gives no settings silently; a damaged one gives none and a line on stderr.
Settings LoadSettings(const std::string& path);
// Makes the folder and replaces the file atomically; a failure is a line on stderr and false.
bool SaveSettings(const std::string& path, const Settings& settings);
