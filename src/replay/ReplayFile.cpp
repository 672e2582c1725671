// Writing and reading replays, and the identities of scenarios and data.
#include "replay/ReplayFile.h"

#include <charconv>
#include <cstdio>
#include <sstream>

#include "base/Sha256.h"
#include "base/Cp1251.h"
#include "game/GameUnit.h"
#include "platform/InputFile.h"


namespace {

constexpr std::string_view kPrefix = "# vor-replay ";
// Far above the collections the game makes; a bound on what one identity reads.
constexpr size_t kMaxCollectionBytes = size_t{512} << 20;

bool IsSha256(const std::string& s) {
  if (s.size() != 64) return false;
  for (char c : s)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  return true;
}

template <typename T>
bool Number(std::string_view s, T& out, int base = 10) {
  if (s.empty()) return false;
  const auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out, base);
  return ec == std::errc() && p == s.data() + s.size();
}

std::string Words(const std::vector<int64_t>& w) {
  std::string s;
  for (int64_t v : w) s += " " + std::to_string(v);
  return s;
}

std::string Hex8(uint32_t v) {
  char buf[9];
  std::snprintf(buf, sizeof buf, "%08x", v);
  return buf;
}

}  // namespace

std::string FormatReplay(const TReplay& r) {
  std::string t = std::string(kPrefix) + std::to_string(kReplayVersion) + "\n";
  t += std::string(kPrefix) + "scenario " + r.scenarioSha256 + " " + r.scenarioName + "\n";
  t += std::string(kPrefix) + "data " + r.dataSha256 + "\n";
  t += std::string(kPrefix) + "seed ";
  for (uint32_t v : r.seed) t += Hex8(v);
  t += "\n" + std::string(kPrefix) + "input" + Words(r.input) + "\n";
  t += std::string(kPrefix) + "pad" + Words(r.pad) + "\n";
  if (!r.touch.empty()) t += std::string(kPrefix) + "touch" + Words(r.touch) + "\n";
  t += std::string(kPrefix) + "latches";
  for (int i = 0; i < 256; ++i)
    if (r.keyLatch[i]) t += " " + std::to_string(i) + ":" + std::to_string(r.keyLatch[i]);
  for (int i = 0; i < 8; ++i)
    if (r.buttonLatch[i]) t += " b" + std::to_string(i) + ":" + std::to_string(r.buttonLatch[i]);
  t += "\n";
  if (r.mousePoll) t += std::string(kPrefix) + "mouse-poll\n";
  if (r.levelSkip) t += std::string(kPrefix) + "level-skip\n";
  if (!r.name.empty()) t += std::string(kPrefix) + "name " + Cp1251ToUtf8(r.name) + "\n";
  Settings menu = r.settings;
  menu.scenario.reset();
  t += SettingsScriptLines(menu);
  for (const ScriptEvent& e : r.events) t += FormatScriptLine(e.tick, e.input) + "\n";
  return t;
}

bool ParseReplay(const std::string& text, TReplay& out, std::string& error) {
  out = TReplay{};
  if (text.size() > kMaxReplayBytes) {
    error = "larger than " + std::to_string(kMaxReplayBytes) + " bytes";
    return false;
  }
  if (text.find('\0') != std::string::npos) {
    error = "holds a zero byte";
    return false;
  }
  const std::string first = text.substr(0, text.find('\n'));
  if (first != std::string(kPrefix) + std::to_string(kReplayVersion)) {
    error = first.rfind(kPrefix, 0) == 0
                ? "a replay of another version (" + first.substr(kPrefix.size()) + ")"
                : "not a replay (no \"# vor-replay 1\" line first)";
    return false;
  }
  bool seen[6] = {};  // scenario, data, seed, input, pad; touch (a finger's state, when one was down)
  int lineNo = 0;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    ++lineNo;
    if (lineNo == 1 || line.rfind(kPrefix, 0) != 0) continue;
    auto fail = [&](const std::string& why) {
      error = "line " + std::to_string(lineNo) + ": " + why;
      return false;
    };
    std::istringstream words(line.substr(kPrefix.size()));
    std::string key;
    words >> key;
    std::vector<std::string> args;
    for (std::string w; words >> w;) args.push_back(w);
    const auto once = [&](int i) {
      if (seen[i]) return false;
      seen[i] = true;
      return true;
    };
    if (key == "scenario") {
      if (!once(0) || args.size() < 2 || !IsSha256(args[0]))
        return fail("scenario takes a SHA-256 and a file name");
      out.scenarioSha256 = args[0];
      // The name may hold blanks: everything after the identity.
      out.scenarioName = line.substr(line.find(args[0]) + 65);
    } else if (key == "data") {
      if (!once(1) || args.size() != 1 || !IsSha256(args[0])) return fail("data takes a SHA-256");
      out.dataSha256 = args[0];
    } else if (key == "seed") {
      if (!once(2) || args.size() != 1 || args[0].size() != 32)
        return fail("seed takes 32 hexadecimal digits");
      for (int i = 0; i < 4; ++i)
        if (!Number(std::string_view(args[0]).substr(8 * i, 8), out.seed[i], 16))
          return fail("seed takes 32 hexadecimal digits");
      if (!(out.seed[0] | out.seed[1] | out.seed[2] | out.seed[3]))
        return fail("a seed of zeros gives no numbers");
    } else if (key == "input" || key == "pad" || key == "touch") {
      const int which = key == "input" ? 3 : key == "pad" ? 4 : 5;
      if (!once(which) || args.size() > 2048) return fail(key + " given twice or too long");
      auto& to = which == 3 ? out.input : which == 4 ? out.pad : out.touch;
      for (const std::string& a : args) {
        int64_t v;
        if (!Number(a, v)) return fail(key + " takes numbers, not '" + a + "'");
        to.push_back(v);
      }
    } else if (key == "latches") {
      for (const std::string& a : args) {
        const size_t colon = a.find(':');
        const bool button = !a.empty() && a[0] == 'b';
        int32_t i, v;
        if (colon == std::string::npos ||
            !Number(std::string_view(a).substr(button, colon - button), i) ||
            !Number(std::string_view(a).substr(colon + 1), v) || i < 0 || i > (button ? 7 : 255) ||
            v < 0 || v > 255)
          return fail("latches take CODE:N or bB:N, not '" + a + "'");
        (button ? out.buttonLatch : out.keyLatch)[i] = v;
      }
    } else if (key == "mouse-poll" && args.empty()) {
      out.mousePoll = true;
    } else if (key == "level-skip" && args.empty()) {
      out.levelSkip = true;
    } else if (key == "name") {
      out.name = Utf8ToCp1251(line.substr(kPrefix.size() + 5));
      if (out.name.empty() || out.name.size() > 10) return fail("a name has 1 to 10 characters");
      for (unsigned char c : out.name)
        if (c < 32 || c == 127) return fail("a name holds no control characters");
    } else {
      return fail("unknown replay line '" + key + "'");
    }
  }
  for (int i = 0; i < 5; ++i)
    if (!seen[i]) {
      static const char* const kNames[] = {"scenario", "data", "seed", "input", "pad"};
      error = std::string("no ") + kNames[i] + " line";
      return false;
    }
  std::vector<std::string> damaged;
  SettingsFromScript(text, out.settings, damaged);
  if (!damaged.empty()) {
    error = damaged[0];
    return false;
  }
  if (out.settings.scenario) {
    error = "the scenario comes by its identity, not a setting";
    return false;
  }
  std::vector<ScriptEvent> events;
  if (!ParseScript(text, "replay", events, error)) return false;
  for (const ScriptEvent& e : events)
    if (e.kind != ScriptEvent::Kind::Input) {
      error = "a replay holds input only (line with a dump or screenshot)";
      return false;
    }
  out.events = std::move(events);
  return true;
}

namespace {
bool ReadBounded(const std::string& path, size_t max, std::string& bytes, std::string& error) {
  std::string reason;
  switch (ReadRegularFile(path, max + 1, bytes, reason)) {
    case ReadOutcome::Ok: break;
    case ReadOutcome::Missing: error = path + " is missing"; return false;
    default: error = "cannot read " + path + ": " + reason; return false;
  }
  if (bytes.size() > max) {
    error = path + " is too large";
    return false;
  }
  return true;
}
}  // namespace

bool DataIdentity(const std::array<std::string, 4>& paths, std::string& sha256,
                  std::string& error) {
  Sha256 s;
  for (size_t i = 0; i < paths.size(); ++i) {
    std::string bytes;
    if (!ReadBounded(paths[i], kMaxCollectionBytes, bytes, error)) return false;
    char length[8];
    for (int k = 0; k < 8; ++k) length[k] = char(uint64_t(bytes.size()) >> (8 * k));
    s.Add(kCollectionFiles[i]);
    s.Add(std::string_view("\0", 1));
    s.Add(std::string_view(length, 8));
    s.Add(bytes);
  }
  sha256 = s.FinishHex();
  return true;
}

bool ScenarioIdentity(const std::string& path, std::string& sha256, std::string& error) {
  std::string bytes;
  if (!ReadBounded(path, kMaxScenarioFileBytes, bytes, error)) return false;
  sha256 = Sha256Hex(bytes);
  return true;
}
