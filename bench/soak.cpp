// Soak run: the whole program (main window, game, headless backend) for many ticks of random
// input, with the resident memory sampled at fixed tick intervals. Run by bench/soak.sh in a data
// folder; prints the speed, the memory curve and how often each state came up.
//   vor_soak TICKS [SEED]
//
// Every kind of input comes: any key held for a while (Escape, Enter and Space are taps), mouse
// motion, all eight buttons, typed characters, now and then a lost display. The player leans a
// little: in play it shoots when the sight happens to stand on a target and often holds F11 before
// the last level (the game runs with the level-skip switch), so many levels come up. Only what
// would end the program is held back: Escape in the main menu, and a fire or a click that would
// activate a menu's exit line.
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "app/Main.h"
#include "app/Options.h"
#include "platform/System.h"

namespace {

// The line of both menus that ends the program.
constexpr int kExitLine = 8;
constexpr int64_t kSampleEvery = 50000;

int64_t ResidentKB() {
  std::ifstream statm("/proc/self/statm");
  int64_t size = 0, resident = 0;
  statm >> size >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

const char* StateName(uint8_t s) {
  static const char* names[] = {"start",         "loading",    "main menu", "playing",
                                "level loading", "level done", "exit",      "win",
                                "game over",     "name entry", "records",   "game menu"};
  return s < std::size(names) ? names[s] : "?";
}

// The headless backend with a player at the keys: before each tick it adds that tick's events,
// chosen by looking at the game as the previous tick left it.
class SoakSystem final : public System {
 public:
  SoakSystem(int64_t ticks, uint64_t seed)
      : inner_(System::Create(true, false)), rng_(seed), lastTick_(ticks) {
    activated_ = true;
  }
  void Attach(TForm1& form) { form_ = &form; }

  bool OpenWindow(int32_t w, int32_t h) override { return inner_->OpenWindow(w, h); }
  bool IsHeadless() const override { return true; }
  void Present(const Surface& frame) override { inner_->Present(frame); }
  void ShowMessageBox(const std::string& text, const std::string& caption) override {
    inner_->ShowMessageBox(text, caption);
  }
  std::unique_ptr<AudioDevice> OpenAudio() override { return inner_->OpenAudio(); }
  uint64_t Ticks() const override { return inner_->Ticks(); }
  void Sleep(uint32_t ms) override { inner_->Sleep(ms); }

  void PumpEvents() override {
    TGame* g = form_ ? form_->Game() : nullptr;
    // The loading screen's waiting loop pumps too; play starts with the main menu.
    if (!g || g->State == gsStart || g->State == gsLoading) return;
    if (g->State == gsExit) {
      std::fprintf(stderr, "soak: the input ended the program at tick %lld\n", (long long)tick_);
      std::exit(1);
    }
    // The run has one tick more than asked, so the last sample is taken with the game still up.
    if (tick_ % kSampleEvery == 0 || tick_ == lastTick_) samples_.push_back({tick_, ResidentKB()});
    if (tick_ == lastTick_) return;
    ++stateTicks_[g->State];
    if (g->State != lastState_) ++stateEntries_[g->State];
    lastState_ = g->State;
    ++tick_;
    Play(*g);
  }

  void Report(double seconds, double cpuSeconds) const {
    std::printf("soak ticks %lld seconds %.1f cpu_seconds %.1f ticks_per_s %.0f per_cpu_s %.0f\n",
                (long long)tick_, seconds, cpuSeconds, double(tick_) / seconds,
                double(tick_) / cpuSeconds);
    std::printf("rss_kb");
    for (const auto& [tick, kb] : samples_)
      std::printf(" %lld:%lld", (long long)tick, (long long)kb);
    std::printf("\n");
    for (const auto& [state, ticks] : stateTicks_)
      std::printf("state %-13s entered %7lld times, %8lld ticks\n", StateName(state),
                  (long long)stateEntries_.at(state), (long long)ticks);
  }

 private:
  bool Chance(double p) { return std::uniform_real_distribution<double>(0, 1)(rng_) < p; }
  int32_t Between(int32_t lo, int32_t hi) {
    return std::uniform_int_distribution<int32_t>(lo, hi)(rng_);
  }
  void Key(int32_t code, bool down) {
    pending_.push_back({InputEvent::Kind::Key, code, down ? 1 : 0});
    down ? void(held_[code] = 0) : void(held_.erase(code));
  }
  static bool IsTap(int32_t code) {
    return code == DIK_ESCAPE || code == DIK_RETURN || code == DIK_SPACE;
  }
  bool Selected(const TGame& g, int line) const { return g.MenuLines[line].Selected != 0; }
  void Play(const TGame& g) {
    const bool menu = g.State == gsMainMenu || g.State == gsGameMenu;
    const bool playing = g.State == gsPlaying;
    // Taps last one tick; other keys are let go after a while.
    for (auto it = held_.begin(); it != held_.end();) {
      const int32_t code = it->first;
      if (IsTap(code) || ++it->second > Between(1, 60)) {
        pending_.push_back({InputEvent::Kind::Key, code, 0});
        it = held_.erase(it);
      } else {
        ++it;
      }
    }
    const bool arrowHeld = held_.count(DIK_UP) || held_.count(DIK_DOWN);
    bool fired = false;
    const bool aimed = playing && g.SightActive && g.SightOnTarget && Chance(0.6);
    if (aimed || Chance(0.08)) {
      // Mostly the keys the game reacts to, otherwise any key at all.
      static const int32_t kGameKeys[] = {DIK_ESCAPE, DIK_RETURN, DIK_SPACE, DIK_F11,
                                          DIK_UP,     DIK_DOWN,   DIK_LEFT,  DIK_RIGHT};
      int32_t code = Chance(0.7) ? kGameKeys[Between(0, 7)] : Between(1, 255);
      // F11 leads to the last level, where only shooting wins.
      const bool lastLevel = g.Level >= g.LevelTexts.size();
      if (aimed)
        code = DIK_SPACE;
      else if (playing && !lastLevel && Chance(0.3))
        code = DIK_F11;
      if (code == DIK_F11 && lastLevel && Chance(0.9)) code = DIK_LEFT;
      const bool fire = code == DIK_RETURN || code == DIK_SPACE;
      // A fire acts after this tick's arrows: with one held, it could activate the exit line.
      const bool ends = (code == DIK_ESCAPE && g.State == gsMainMenu) ||
                        (fire && menu && (Selected(g, kExitLine) || arrowHeld));
      if (!held_.count(code) && !ends) {
        Key(code, true);
        fired = fire;
      }
    }
    // A click acts where this tick's motion leaves the pointer; in a menu it comes alone, and
    // never with a fire, which may have just opened the main menu from the records.
    const bool menuLines = menu || g.State == gsRecords;
    const bool clickSafe =
        !fired && (!menuLines || g.MenuLineAt(g.PointerX, g.PointerY) != kExitLine);
    // The left button is a tap: held, it would click again once its latch ran out, wherever the
    // pointer had gone by then. The other buttons are held a while.
    if (leftDown_) {
      pending_.push_back({InputEvent::Kind::Button, 0, 0});
      leftDown_ = false;
    }
    bool clicked = false;
    if ((aimed && g.ControlType == 1) || Chance(0.04)) {
      const int32_t button = aimed || Chance(0.6) ? 0 : Between(1, 7);
      if (button == 0 ? clickSafe : !otherButtons_.count(button)) {
        pending_.push_back({InputEvent::Kind::Button, button, 1});
        if (button == 0)
          leftDown_ = clicked = true;
        else
          otherButtons_.insert(button);
      }
    } else if (!otherButtons_.empty() && Chance(0.05)) {
      pending_.push_back({InputEvent::Kind::Button, *otherButtons_.begin(), 0});
      otherButtons_.erase(otherButtons_.begin());
    }
    if (!(menu && clicked) && Chance(0.3)) {
      const int32_t range = Chance(0.02) ? 5000 : 40;
      pending_.push_back(
          {InputEvent::Kind::MouseMove, Between(-range, range), Between(-range, range)});
    }
    if (Chance(g.State == gsEnterName ? 0.2 : 0.005)) {
      const int32_t c = Chance(0.05) ? 13 : Chance(0.1) ? 8 : Between(1, 255);
      pending_.push_back({InputEvent::Kind::Char, c, 0});
    }
    if (Chance(0.00005)) pending_.push_back({InputEvent::Kind::LoseSurfaces, 0, 0});
  }

  std::unique_ptr<System> inner_;
  std::mt19937_64 rng_;
  int64_t lastTick_;
  TForm1* form_ = nullptr;
  std::map<int32_t, int32_t> held_;  // key code -> ticks held
  bool leftDown_ = false;
  std::set<int32_t> otherButtons_;
  int64_t tick_ = 0;
  uint8_t lastState_ = gsStart;
  std::vector<std::pair<int64_t, int64_t>> samples_;
  std::map<uint8_t, int64_t> stateTicks_, stateEntries_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: vor_soak TICKS [SEED]   (in a folder with the game's data)\n");
    return 2;
  }
  Options options;
  options.headless = true;
  const int64_t ticks = std::stoll(argv[1]);
  options.ticks = ticks + 1;
  options.seed = argc > 2 ? std::stoull(argv[2]) : 1;
  options.params = {"plimb"};
  SoakSystem system(ticks, *options.seed);
  TForm1 form(options, system, {});
  system.Attach(form);
  if (!form.FormCreate()) return form.ExitStatus();
  const auto cpu = [] {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
  };
  const auto start = std::chrono::steady_clock::now();
  const double cpuStart = cpu();
  const int status = form.Run();
  system.Report(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
                cpu() - cpuStart);
  return status;
}
