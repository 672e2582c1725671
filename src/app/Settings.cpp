// Reading and writing "vor.ini", and the menu's settings it keeps.
#include "app/Settings.h"

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "game/GameUnit.h"
#include "assets/FileUtils.h"
#include "platform/Http.h"
#include "platform/InputFile.h"
#include "platform/UserDirs.h"

namespace {

constexpr size_t kMaxSettingsBytes = 64 * 1024;
// Damaged lines named on stderr before the rest are only counted.
constexpr size_t kDamagedLinesShown = 10;

std::string Trim(const std::string& s) {
  const size_t b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(" \t\r") - b + 1);
}

bool ValidKey(const std::string& k) {
  if (k.empty()) return false;
  for (unsigned char c : k)
    if (!std::isalnum(c) && c != '_' && c != '-' && c != '.') return false;
  return true;
}

// Calls f with the same menu setting of each of the settings given, for each menu setting.
template <class F, class... S>
void EachMenuSetting(F f, S&... s) {
  f(s.scenario...);
  f(s.difficulty...);
  f(s.brightness...);
  f(s.controlType...);
  f(s.controlSpeed...);
  f(s.soundOn...);
}

// A setting the file says in words, as the menu shows it.
struct Word {
  const char* text;
  uint8_t value;
};
constexpr Word kDifficulties[] = {
    {kDifficultyNames[0], 0}, {kDifficultyNames[1], 1}, {kDifficultyNames[2], 2}};
constexpr Word kControlTypes[] = {{"mouse", 1}, {"keyboard", 0}};
constexpr Word kSounds[] = {{"on", 1}, {"off", 0}};
constexpr Word kScaleModes[] = {{"sharp", uint8_t(ScaleMode::Sharp)},
                                {"integer", uint8_t(ScaleMode::Integer)}};

template <size_t N>
std::optional<uint8_t> FromWord(const Word (&words)[N], const std::string& v) {
  for (const Word& w : words)
    if (v == w.text) return w.value;
  return std::nullopt;
}

template <size_t N>
const char* ToWord(const Word (&words)[N], uint8_t value) {
  for (const Word& w : words)
    if (w.value == value) return w.text;
  return words[0].text;
}

template <size_t N>
std::string Expected(const Word (&words)[N]) {
  std::string text;
  for (size_t i = 0; i < N; ++i)
    text += (i == 0 ? "" : i + 1 == N ? " or " : ", ") + std::string(words[i].text);
  return text;
}

// A decimal number from lo to hi in steps of step; nothing else (no sign, no blanks).
std::optional<uint8_t> FromNumber(const std::string& v, int lo, int hi, int step) {
  int n = 0;
  const char* e = v.data() + v.size();
  if (v.empty() || !std::isdigit(static_cast<unsigned char>(v[0]))) return std::nullopt;
  const auto [p, ec] = std::from_chars(v.data(), e, n);
  if (ec != std::errc() || p != e || n < lo || n > hi || (n - lo) % step != 0) return std::nullopt;
  return uint8_t(n);
}

// A bare file name: no folders, no control characters.
bool ValidScenarioName(const std::string& v) {
  if (v.empty() || v.size() > 255 || v == "." || v == "..") return false;
  for (unsigned char c : v)
    if (c < 0x20 || c == 0x7F || c == '/' || c == '\\') return false;
  return true;
}

}  // namespace

bool ParseSettings(const std::string& text, Settings& out, std::string& error,
                   std::vector<std::string>& damaged) {
  out = {};
  damaged.clear();
  if (text.size() > kMaxSettingsBytes) {
    error = "larger than 64 KB";
    return false;
  }
  if (text.find('\0') != std::string::npos) {
    error = "holds a zero byte";
    return false;
  }
  size_t pos = 0;
  for (int lineNo = 1; pos < text.size(); ++lineNo) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    const std::string line = Trim(text.substr(pos, end - pos));
    pos = end + 1;
    if (line.empty() || line[0] == '#' || line[0] == ';') continue;
    const std::string at = "line " + std::to_string(lineNo);
    const size_t eq = line.find('=');
    const std::string key = eq == std::string::npos ? line : Trim(line.substr(0, eq));
    if (eq == std::string::npos || !ValidKey(key)) {
      damaged.push_back(at + " is not key=value; it is skipped");
      continue;
    }
    const std::string value = Trim(line.substr(eq + 1));
    // A known key's value, or the reason it is refused.
    auto take = [&](auto& field, auto parsed, const std::string& expected) {
      field = parsed;
      if (!parsed)
        damaged.push_back(at + ": " + key + " is " + expected + ", not '" + value +
                          "'; its default is used");
    };
    if (key == "fullscreen") {
      take(out.fullscreen,
           value == "1"   ? std::optional<bool>(true)
           : value == "0" ? std::optional<bool>(false)
                          : std::nullopt,
           "0 or 1");
    } else if (key == "scale") {
      const std::optional<uint8_t> mode = FromWord(kScaleModes, value);
      take(out.scale, mode ? std::optional<ScaleMode>(ScaleMode(*mode)) : std::nullopt,
           Expected(kScaleModes));
    } else if (key == "scenario") {
      take(out.scenario,
           ValidScenarioName(value) ? std::optional<std::string>(value) : std::nullopt,
           "a scenario's file name");
    } else if (key == "difficulty") {
      take(out.difficulty, FromWord(kDifficulties, value), Expected(kDifficulties));
    } else if (key == "brightness") {
      take(out.brightness, FromNumber(value, 0, 100, 10), "0 to 100 in steps of 10");
    } else if (key == "control_type") {
      take(out.controlType, FromWord(kControlTypes, value), Expected(kControlTypes));
    } else if (key == "control_speed") {
      // The file holds the speed the menu shows; the game stores 15 minus it.
      std::optional<uint8_t> shown = FromNumber(value, 1, 15, 1);
      take(out.controlSpeed, shown ? std::optional<uint8_t>(uint8_t(15 - *shown)) : std::nullopt,
           "1 to 15");
    } else if (key == "sound") {
      take(out.soundOn, FromWord(kSounds, value), Expected(kSounds));
    } else if (key == "records_server") {
      std::string base, why;
      take(out.recordsServer,
           ServerAddress(value, base, why) ? std::optional<std::string>(value) : std::nullopt,
           "a server's address (" + why + ")");
    } else {
      out.others.emplace_back(key, value);
    }
  }
  return true;
}

std::string FormatSettings(const Settings& s) {
  std::string text = "# Vor settings\n";
  auto line = [&](const char* key, const std::string& value) {
    text += std::string(key) + "=" + value + "\n";
  };
  if (s.fullscreen) line("fullscreen", *s.fullscreen ? "1" : "0");
  if (s.scale) line("scale", ToWord(kScaleModes, uint8_t(*s.scale)));
  if (s.scenario) line("scenario", *s.scenario);
  if (s.difficulty) line("difficulty", ToWord(kDifficulties, *s.difficulty));
  if (s.brightness) line("brightness", std::to_string(*s.brightness));
  if (s.controlType) line("control_type", ToWord(kControlTypes, *s.controlType));
  if (s.controlSpeed) line("control_speed", std::to_string(15 - int(*s.controlSpeed)));
  if (s.soundOn) line("sound", ToWord(kSounds, *s.soundOn));
  if (s.recordsServer) line("records_server", *s.recordsServer);
  for (const auto& [k, v] : s.others) line(k.c_str(), v);
  return text;
}

std::string SettingsPath() {
  const std::string dir = UserDirPath(UserDir::Config);
  return dir.empty() ? dir : dir + "/vor.ini";
}

Settings LoadSettings(const std::string& path, bool quiet) {
  Settings s;
  if (path.empty()) return s;
  std::string text, reason;
  // One byte past the limit is enough for the parser to know the file is too large.
  const ReadOutcome read = ReadRegularFile(path, kMaxSettingsBytes + 1, text, reason, true);
  if (read != ReadOutcome::Ok) {
    if (read != ReadOutcome::Missing && !quiet)
      std::fprintf(stderr, "vor: cannot read the settings file %s: %s%s; the defaults are used\n",
                   path.c_str(), read == ReadOutcome::NotRegular ? "it is " : "", reason.c_str());
    return s;
  }
  std::string error;
  std::vector<std::string> damaged;
  if (!ParseSettings(text, s, error, damaged)) {
    if (!quiet)
      std::fprintf(stderr, "vor: ignoring the damaged settings file %s: %s\n", path.c_str(),
                   error.c_str());
    return {};
  }
  if (quiet) return s;
  for (size_t i = 0; i < damaged.size() && i < kDamagedLinesShown; ++i)
    std::fprintf(stderr, "vor: settings file %s: %s\n", path.c_str(), damaged[i].c_str());
  if (damaged.size() > kDamagedLinesShown)
    std::fprintf(stderr, "vor: the settings file %s has %zu more damaged lines\n", path.c_str(),
                 damaged.size() - kDamagedLinesShown);
  return s;
}

bool SaveSettings(const std::string& path, const Settings& settings) {
  std::string error;
  const size_t slash = path.rfind('/');
  if (path.empty() || slash == std::string::npos) {
    std::fprintf(stderr, "vor: cannot save the settings: no folder for them (HOME is not set)\n");
    return false;
  }
  if (!MakeUserDir(path.substr(0, slash), error)) {
    std::fprintf(stderr, "vor: cannot save the settings: %s\n", error.c_str());
    return false;
  }
  if (!WriteFileAtomically(path, FormatSettings(settings))) {
    std::fprintf(stderr, "vor: cannot write the settings file %s: %s\n", path.c_str(),
                 std::strerror(errno));
    return false;
  }
  return true;
}

Settings MenuSettingsOf(const TGame& game, bool withScenario) {
  Settings s;
  if (withScenario && !game.ScenarioFile.empty()) s.scenario = game.ScenarioFile;
  s.difficulty = game.Difficulty;
  s.brightness = game.Brightness;
  s.controlType = game.ControlType;
  s.controlSpeed = game.ControlSpeed;
  s.soundOn = game.SoundOn;
  return s;
}

void ApplyMenuSettings(const Settings& s, TGame& game) {
  if (s.scenario) game.SavedScenario = *s.scenario;
  if (s.difficulty) game.Difficulty = *s.difficulty;
  if (s.brightness) game.Brightness = *s.brightness;
  if (s.controlType) game.ControlType = *s.controlType;
  if (s.controlSpeed) game.ControlSpeed = *s.controlSpeed;
  if (s.soundOn) game.SoundOn = *s.soundOn;
}

void CopyChangedMenuSettings(const Settings& before, const Settings& now, Settings& file) {
  EachMenuSetting(
      [](auto& f, const auto& b, const auto& n) {
        if (b != n) f = n;
      },
      file, before, now);
}

namespace {
constexpr std::string_view kScriptSettingPrefix = "# vor-setting ";
}

std::string SettingsScriptLines(const Settings& start) {
  Settings menu = start;
  menu.fullscreen.reset();
  menu.scale.reset();
  menu.recordsServer.reset();
  menu.others.clear();
  std::string lines;
  const std::string text = FormatSettings(menu);
  // Every line after the heading is one key.
  for (size_t pos = text.find('\n') + 1; pos < text.size();) {
    const size_t end = text.find('\n', pos);
    lines += std::string(kScriptSettingPrefix) + text.substr(pos, end - pos + 1);
    pos = end + 1;
  }
  return lines;
}

bool SettingsFromScript(const std::string& script, Settings& out,
                        std::vector<std::string>& damaged) {
  out = {};
  damaged.clear();
  bool any = false;
  int lineNo = 1;
  for (size_t pos = 0; pos < script.size(); ++lineNo) {
    size_t end = script.find('\n', pos);
    if (end == std::string::npos) end = script.size();
    const std::string_view line(script.data() + pos, end - pos);
    pos = end + 1;
    if (line.substr(0, kScriptSettingPrefix.size()) != kScriptSettingPrefix) continue;
    any = true;
    // Each line on its own; its reason names the script's line.
    Settings one;
    std::string error;
    std::vector<std::string> bad;
    const std::string at = "line " + std::to_string(lineNo);
    if (!ParseSettings(std::string(line.substr(kScriptSettingPrefix.size())), one, error, bad))
      bad.push_back(error);
    for (std::string& why : bad)
      damaged.push_back(why.rfind("line 1", 0) == 0 ? at + why.substr(6) : at + ": " + why);
    // Only the menu's settings travel with a script.
    if (one.fullscreen || one.scale || one.recordsServer || !one.others.empty())
      damaged.push_back(at + ": not a setting a script carries");
    EachMenuSetting(
        [](auto& to, const auto& from) {
          if (from) to = from;
        },
        out, one);
  }
  return any;
}
