// Parsing options and scripts.
#include "app/Options.h"

#include <algorithm>
#include <charconv>
#include <sstream>

#include "platform/Pad.h"

namespace {

template <typename T>
bool ParseNumber(const std::string& s, T& out) {
  if (s.empty()) return false;
  const char* b = s.data();
  const char* e = s.data() + s.size();
  auto [p, ec] = std::from_chars(b, e, out);
  return ec == std::errc() && p == e;
}

}  // namespace

bool ParseOptions(int argc, char** argv, Options& out, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a.rfind("--", 0) != 0) {
      out.params.push_back(a);
      continue;
    }
    auto value = [&](std::string& v) {
      if (i + 1 >= argc) {
        error = "option " + a + " needs a value";
        return false;
      }
      v = argv[++i];
      return true;
    };
    std::string v;
    auto bad = [&](const char* what) {
      error = "option " + a + " needs " + what + ", not '" + v + "'";
      return false;
    };
    if (a == "--window") {
      out.window = true;
      out.fullscreen = false;
    } else if (a == "--fullscreen") {
      out.fullscreen = true;
      out.window = false;
    } else if (a == "--scale") {
      if (!value(v)) return false;
      if (v != "sharp" && v != "integer") return bad("sharp or integer");
      out.scale = v == "sharp" ? ScaleMode::Sharp : ScaleMode::Integer;
    } else if (a == "--audio") {
      if (!value(v)) return false;
      if (v != "sdl" && v != "silent") return bad("sdl or silent");
      out.machineSound = v == "sdl";
    } else if (a == "--headless") {
      out.headless = true;
    } else if (a == "--bench") {
      out.bench = true;
    } else if (a == "--paced") {
      out.paced = true;
    } else if (a == "--seed") {
      uint64_t n;
      if (!value(v)) return false;
      if (!ParseNumber(v, n)) return bad("a number");
      out.seed = n;
    } else if (a == "--ticks") {
      int64_t n;
      if (!value(v)) return false;
      if (!ParseNumber(v, n) || n < 0 || n > kMaxTick) return bad("a count of ticks");
      out.ticks = n;
    } else if (a == "--video-memory") {
      uint32_t n;
      if (!value(v)) return false;
      if (!ParseNumber(v, n) || n > 4u * 1024 * 1024) return bad("a size in KB up to 4194304");
      out.videoMemoryKB = n;
    } else if (a == "--script") {
      if (!value(out.script)) return false;
    } else if (a == "--replay") {
      if (!value(out.replay)) return false;
    } else if (a == "--records-server") {
      if (!value(v)) return false;
      out.recordsServer = v;
    } else if (a == "--record") {
      if (!value(out.record)) return false;
    } else if (a == "--dump-state") {
      if (!value(out.dumpState)) return false;
    } else if (a == "--screenshot") {
      if (!value(out.screenshot)) return false;
    } else if (a == "--level") {
      if (!value(out.level)) return false;
    } else if (a == "--watch") {
      out.watch = true;
    } else if (a == "--help") {
      out.help = true;
    } else if (a == "--version") {
      out.version = true;
    } else {
      error = "unknown option " + a;
      return false;
    }
  }
  if (!out.replay.empty() && (!out.script.empty() || !out.level.empty())) {
    error = "option --replay plays alone, without --script or --level";
    return false;
  }
  if (out.watch && out.level.empty()) {
    error = "option --watch needs --level LEVEL";
    return false;
  }
  return true;
}

bool ParseScript(const std::string& text, const std::string& name, std::vector<ScriptEvent>& out,
                 std::string& error) {
  std::istringstream in(text);
  std::string line;
  int lineNo = 0;
  auto fail = [&](const std::string& why) {
    error = name + ":" + std::to_string(lineNo) + ": " + why;
    return false;
  };
  while (std::getline(in, line)) {
    ++lineNo;
    if (const auto hash = line.find('#'); hash != std::string::npos) line.erase(hash);
    std::istringstream words(line);
    std::string tickWord, event;
    if (!(words >> tickWord)) continue;
    ScriptEvent e;
    if (!ParseNumber(tickWord, e.tick) || e.tick < 1 || e.tick > kMaxTick)
      return fail("a line starts with a tick from 1 to " + std::to_string(kMaxTick) + ", not '" +
                  tickWord + "'");
    if (!(words >> event)) return fail("an event must follow the tick");
    std::vector<std::string> args;
    for (std::string w; words >> w;) args.push_back(w);
    auto need = [&](size_t n) { return args.size() == n; };
    auto upDown = [&](const std::string& w, int32_t& v) {
      if (w == "down")
        v = 1;
      else if (w == "up")
        v = 0;
      else
        return false;
      return true;
    };
    e.kind = ScriptEvent::Kind::Input;
    if (event == "key") {
      if (!need(2)) return fail("key takes a key and down or up");
      const auto code = KeyFromName(args[0]);
      if (!code) return fail("unknown key '" + args[0] + "'");
      e.input = {InputEvent::Kind::Key, *code, 0};
      if (!upDown(args[1], e.input.b)) return fail("key takes down or up, not '" + args[1] + "'");
    } else if (event == "mouse") {
      int32_t dx, dy;
      if (!need(2) || !ParseNumber(args[0], dx) || !ParseNumber(args[1], dy))
        return fail("mouse takes two numbers");
      e.input = {InputEvent::Kind::MouseMove, dx, dy};
    } else if (event == "button") {
      int32_t b;
      if (!need(2) || !ParseNumber(args[0], b) || b < 0 || b > 7)
        return fail("button takes a button 0..7 and down or up");
      e.input = {InputEvent::Kind::Button, b, 0};
      if (!upDown(args[1], e.input.b))
        return fail("button takes down or up, not '" + args[1] + "'");
    } else if (event == "char") {
      int32_t c;
      if (!need(1) || !ParseNumber(args[0], c) || c < 1 || c > 255)
        return fail("char takes a character code 1..255");
      e.input = {InputEvent::Kind::Char, c, 0};
    } else if (event == "text") {
      if (args.empty()) return fail("text takes the text to type");
      std::string s = args[0];
      for (size_t i = 1; i < args.size(); ++i) s += " " + args[i];
      if (int64_t(s.size()) - 1 > kMaxTick - e.tick)
        return fail("the text's last character falls after tick " + std::to_string(kMaxTick));
      int64_t t = e.tick;
      for (unsigned char c : s) {
        ScriptEvent ch = e;
        ch.tick = t++;
        ch.input = {InputEvent::Kind::Char, c, 0};
        out.push_back(ch);
      }
      continue;
    } else if (event == "dump" || event == "screenshot") {
      if (!need(1)) return fail(event + " takes a file name");
      e.kind = event == "dump" ? ScriptEvent::Kind::Dump : ScriptEvent::Kind::Screenshot;
      e.file = args[0];
    } else if (event == "pad") {
      const auto b = need(2) ? PadButtonFromName(args[0]) : std::nullopt;
      if (!b) return fail("pad takes a pad button (a, b, start, dpup, ...) and down or up");
      e.input = {InputEvent::Kind::PadButton, int32_t(*b), 0};
      if (!upDown(args[1], e.input.b)) return fail("pad takes down or up, not '" + args[1] + "'");
    } else if (event == "axis") {
      const auto a = need(2) ? PadAxisFromName(args[0]) : std::nullopt;
      int32_t v;
      if (!a || !ParseNumber(args[1], v) || v < -32768 || v > 32767)
        return fail("axis takes leftx, lefty, rightx or righty and a value -32768..32767");
      e.input = {InputEvent::Kind::PadAxis, int32_t(*a), v};
    } else if (event == "finger") {
      // The first finger on the screen, at a point of the 800 x 600 frame.
      int32_t x = 0, y = 0;
      if (need(1) && args[0] == "up") {
        e.input = {InputEvent::Kind::FingerUp, 0, 0};
      } else if (need(3) && (args[0] == "down" || args[0] == "move") && ParseNumber(args[1], x) &&
                 ParseNumber(args[2], y)) {
        e.input = {args[0] == "down" ? InputEvent::Kind::FingerDown : InputEvent::Kind::FingerMove,
                   x, y};
      } else {
        return fail("finger takes down X Y, move X Y or up");
      }
    } else if (event == "lose-surfaces") {
      if (!need(0)) return fail("lose-surfaces takes nothing");
      e.input = {InputEvent::Kind::LoseSurfaces, 0, 0};
    } else {
      return fail("unknown event '" + event + "'");
    }
    out.push_back(e);
  }
  std::stable_sort(out.begin(), out.end(),
                   [](const ScriptEvent& a, const ScriptEvent& b) { return a.tick < b.tick; });
  return true;
}

std::string FormatScriptLine(int64_t tick, const InputEvent& e) {
  const std::string t = std::to_string(tick) + " ";
  switch (e.kind) {
    case InputEvent::Kind::Key: return t + "key " + KeyName(uint8_t(e.a)) + (e.b ? " down" : " up");
    case InputEvent::Kind::MouseMove:
      return t + "mouse " + std::to_string(e.a) + " " + std::to_string(e.b);
    case InputEvent::Kind::Button:
      return t + "button " + std::to_string(e.a) + (e.b ? " down" : " up");
    case InputEvent::Kind::Char: return t + "char " + std::to_string(e.a);
    case InputEvent::Kind::LoseSurfaces: return t + "lose-surfaces";
    case InputEvent::Kind::PadButton:
      return t + "pad " + PadButtonName(PadButton(e.a)) + (e.b ? " down" : " up");
    case InputEvent::Kind::PadAxis:
      return t + "axis " + PadAxisName(PadAxis(e.a)) + " " + std::to_string(e.b);
    case InputEvent::Kind::FingerDown:
    case InputEvent::Kind::FingerMove:
      return t + "finger " + (e.kind == InputEvent::Kind::FingerDown ? "down " : "move ") +
             std::to_string(e.a) + " " + std::to_string(e.b);
    case InputEvent::Kind::FingerUp: return t + "finger up";
  }
  return t;
}
