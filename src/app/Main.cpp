// The main window's start-up, tick, input polling and shutdown.
#include "app/Main.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <numeric>

#include "app/DataFolders.h"
#include "app/Settings.h"
#include "assets/FileUtils.h"
#include "display/DisplayDevice.h"
#include "gameplay/ScenarioCompiler.h"
#include "base/Cp1251.h"
#include "base/Numbers.h"
#include "image/Png.h"
#include "base/Random.h"
#include "platform/UserDirs.h"

TForm1::TForm1(const Options& options, System& system, std::vector<ScriptEvent> script)
    : options_(options), system_(system), script_(std::move(script)) {}

TForm1::~TForm1() {
  FormDestroy();
  // The handlers hold this window; messages after it is gone go to stderr.
  SetFileMessageHandler(nullptr);
  SetAssetLogHandler(nullptr);
  SetFileFolders({});
}

void TForm1::KeepSettings(const std::string& path, const Settings& saved) {
  settingsPath_ = path;
  settingsAtStart_ = saved;
  keepSettings_ = true;
}

bool TForm1::FormCreate() {
  // The file helpers report through the window's message box; skipped pictures go to the log.
  SetFileMessageHandler([this](const std::string& text) { system_.ShowMessageBox(text, "Vor"); });
  SetAssetLogHandler([](const std::string& text) { LogError(text); });
  GameRandom().Seed(options_.seed ? *options_.seed : Random::ClockSeed());
  LevelSkipEnabled = false;
  const auto& p = options_.params;
  if (p.size() >= 3) {
    // A command tells its failure by the exit status as well as by its message.
    Close(p[0] == "compile" && !CompileScenario(p[1], p[2]) ? 1 : 0);
    return false;
  }
  if (!p.empty() && p[0] == "plimb") LevelSkipEnabled = true;
  if (!options_.level.empty()) {
    levelRun_ = std::make_unique<TLevelRun>(options_.level, options_.watch);
    std::string error;
    if (!levelRun_->Read(error)) {
      std::fprintf(stderr, "vor: %s\n", error.c_str());
      Close(1);
      return false;
    }
  }

  if (!options_.record.empty()) {
    if (!record_.Open(options_.record) || !record_.Write("# vor-script 1\n")) {
      OutputFailed(options_.record, record_.Reason());
      return false;
    }
  }

  // Commands work on the files named to them; the game itself may run from installed data.
  SetFileFolders(ChooseFileFolders(InstalledDataFolder()));
  Game_ = std::make_unique<TGame>(system_);
  Game_->LevelSkipEnabled = LevelSkipEnabled;
  Game_->VideoMemoryKB = options_.videoMemoryKB;
  // A level played alone keeps the player's scenario as it is.
  const bool keepScenario = options_.level.empty();
  if (keepSettings_) {
    Settings start = settingsAtStart_;
    if (!keepScenario) start.scenario.reset();
    ApplyMenuSettings(start, *Game_);
  }
  if (record_.IsOpen()) {
    // The recording starts with the settings the run starts from, so it replays the same.
    Settings start = MenuSettingsOf(*Game_, false);
    if (!Game_->SavedScenario.empty()) start.scenario = Game_->SavedScenario;
    if (!record_.Write(SettingsScriptLines(start))) {
      OutputFailed(options_.record, record_.Reason());
      return false;
    }
  }
  if (!Game_->InitDisplay()) {
    system_.ShowMessageBox("Error of graphic initialization!", "Vor");
    Close(1);
    return false;
  }
  if (Failed(InitInput())) {
    Close(1);
    return false;
  }
  Game_->InitSound();
  Game_->CreateLogo();
  if (Game_->State == gsStart) Game_->StartLoading();
  if (levelRun_ && Game_->State == gsMainMenu) levelRun_->Start(*Game_);
  if (system_.IsHeadless()) Active = true;
  settingsSeen_ = MenuSettingsOf(*Game_, keepScenario);
  return true;
}

void TForm1::FormDestroy() {
  if (record_.IsOpen() && !record_.Close()) OutputFailed(options_.record, record_.Reason());
  pictureWrites_.clear();  // waits for pictures still being written
  if (!Game_) return;
  WriteEndFiles();
  Game_.reset();
}

void TForm1::Close(int status) {
  if (closed_) return;
  closed_ = true;
  exitStatus_ = status;
}

void TForm1::WriteEndFiles() {
  if (!Game_) return;
  if (!options_.dumpState.empty()) WriteStateDump(options_.dumpState);
  if (!options_.screenshot.empty()) WriteScreenshot(options_.screenshot);
}

void TForm1::WriteStateDump(const std::string& path) {
  std::string reason;
  if (!WriteWholeFile(path, StateJson(*Game_, tickCount_), reason)) OutputFailed(path, reason);
}

void TForm1::WriteScreenshot(const std::string& path) {
  std::string reason = "the display is not open";
  if (!Game_->Primary || !WritePng(*Game_->Primary, path, reason)) OutputFailed(path, reason);
}

void TForm1::OutputFailed(const std::string& path, const std::string& reason) {
  std::fprintf(stderr, "vor: cannot write %s: %s\n", path.c_str(), reason.c_str());
  Close(1);
  // Also when the run had already ended well.
  if (exitStatus_ == 0) exitStatus_ = 1;
}

int TForm1::Run() {
  if (options_.ticks && *options_.ticks == 0) Close(0);
  if (closed_) return exitStatus_;
  constexpr uint64_t kPeriod = 25;
  uint64_t next = system_.Ticks() + kPeriod;
  while (!closed_) {
    system_.PumpEvents();
    if (system_.TakeFullscreenToggle()) ToggleFullscreen();
    controls_.SetFocus(system_.HasFocus());
    if (system_.QuitRequested()) {
      Close(0);
      break;
    }
    if (!Active && system_.Activated()) Active = true;
    if (system_.IsHeadless()) {
      Tick();
      continue;
    }
    const uint64_t now = system_.Ticks();
    if (now >= next) {
      Tick();
      // A late tick is not repeated: at most one is pending.
      next = std::max(next + kPeriod, now + 1);
    } else {
      system_.Sleep(static_cast<uint32_t>(std::min<uint64_t>(next - now, 5)));
    }
  }
  if (options_.bench) std::printf("%s\n", BenchLine().c_str());
  FormDestroy();
  return exitStatus_;
}

void TForm1::Tick() {
  if (!Active || closed_) return;
  TGame& g = *Game_;
  if (g.LoadFailure == 1 && g.State != gsLoading) {
    ReportLoadFailure();
    Close(1);
    return;
  }
  if (g.State == gsExit) {
    Close(0);
    return;
  }
  ++tickCount_;
  const auto start = std::chrono::steady_clock::now();
  g.DrawFrame();
  g.UpdateFrame();
  if (Failed(Present())) g.RestoreSurfaces();
  const auto drawn = std::chrono::steady_clock::now();
  ApplyTickInput();
  const auto polled = std::chrono::steady_clock::now();
  PollKeyboard();
  PollMouse();
  if (g.State != shownState_) {
    shownState_ = g.State;
    system_.ShowScreen(g.State, WaitedKey());
  }
  SaveChangedSettings();
  if (levelRun_ && levelRun_->AfterTick()) Close(0);
  const auto end = std::chrono::steady_clock::now();
  if (options_.bench)
    tickCosts_.push_back(
        std::chrono::duration<double, std::milli>((drawn - start) + (end - polled)).count());
  if (options_.ticks && tickCount_ >= *options_.ticks) Close(0);
}

void TForm1::ReportLoadFailure() {
  const TGame& g = *Game_;
  const std::string text =
      g.LoadFailureText.empty() ? "the graphics cannot be loaded" : g.LoadFailureText;
  const bool logged = LogError(Cp("ошибка")) && LogError(text);
  const int error = errno;
  std::fprintf(stderr, "vor: %s\n", text.c_str());
  if (!g.LoadFailureHint.empty()) std::fprintf(stderr, "vor: %s\n", g.LoadFailureHint.c_str());
  if (!logged) {
    const std::string log = WritableFileName("err.txt");
    std::fprintf(stderr, "vor: cannot write err.txt in the folder %s: %s\n",
                 log.empty() ? "(none can be used)" : FolderOf(log).c_str(), std::strerror(error));
  }
}

HRESULT TForm1::Present() {
  HRESULT r = Game_->DirectDraw->Flip();
  if (r == DDERR_SURFACELOST) r = Game_->RestoreSurfaces() ? 0 : 1;
  return r;
}

void TForm1::ApplyTickInput() {
  if (system_.TakeSurfacesReset()) Game_->DirectDraw->LoseSurfaces();
  std::vector<InputEvent> events = system_.TakeEvents();
  // Motion within one tick is one movement: the devices only see the sum.
  for (size_t i = 0; i < events.size(); ++i) {
    InputEvent e = events[i];
    if (e.kind == InputEvent::Kind::MouseMove)
      while (i + 1 < events.size() && events[i + 1].kind == InputEvent::Kind::MouseMove) {
        e.a = SaturateToInt(double(e.a) + events[i + 1].a);
        e.b = SaturateToInt(double(e.b) + events[i + 1].b);
        ++i;
      }
    ApplyInput(e);
  }
  for (; scriptPos_ < script_.size() && script_[scriptPos_].tick <= tickCount_; ++scriptPos_) {
    const ScriptEvent& s = script_[scriptPos_];
    if (s.tick < tickCount_) continue;  // ticks that never ran (before activation)
    switch (s.kind) {
      case ScriptEvent::Kind::Input: ApplyInput(s.input); break;
      case ScriptEvent::Kind::Dump: WriteStateDump(s.file); break;
      case ScriptEvent::Kind::Screenshot: WriteScreenshot(s.file); break;
    }
  }
  // The pad's input of this tick follows every event, as the screen it speaks to now stands.
  controls_.EndOfEvents(*Game_);
  if (!recordLines_.empty()) {
    if (!record_.Write(recordLines_)) {
      OutputFailed(options_.record, record_.Reason());
      (void)record_.Close();
    }
    recordLines_.clear();
  }
}

void TForm1::ApplyInput(const InputEvent& e) {
  if (record_.IsOpen()) recordLines_ += FormatScriptLine(tickCount_, e) + '\n';
  if (e.kind == InputEvent::Kind::LoseSurfaces) {
    Game_->DirectDraw->LoseSurfaces();
    return;
  }
  controls_.Apply(*Game_, e);
  if (e.kind == InputEvent::Kind::Key && e.a == DIK_F12 && e.b) SaveFrameToPictures();
}

void TForm1::ToggleFullscreen() {
  system_.SetFullscreen(!system_.Fullscreen());
  const std::string path = SettingsPath();
  Settings s = LoadSettings(path, true);
  s.fullscreen = system_.Fullscreen();
  (void)SaveSettings(path, s);
}

void TForm1::SaveChangedSettings() {
  if (!keepSettings_ || settingsPath_.empty()) return;
  const Settings now = MenuSettingsOf(*Game_, options_.level.empty());
  if (now == settingsSeen_) return;
  // The file as it is now: another copy of the game may have kept other changes in it.
  Settings file = LoadSettings(settingsPath_, true);
  CopyChangedMenuSettings(settingsSeen_, now, file);
  settingsSeen_ = now;
  (void)SaveSettings(settingsPath_, file);
}

void TForm1::SaveFrameToPictures() {
  if (!Game_ || !Game_->Primary) return;
  std::erase_if(pictureWrites_,
                [](const std::unique_ptr<PictureWrite>& w) { return w->done.load(); });
  auto frame = std::make_shared<Surface>(Game_->Primary->Width(), Game_->Primary->Height());
  std::copy_n(Game_->Primary->Data(), size_t(frame->Width()) * size_t(frame->Height()),
              frame->Data());
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "vor-%Y%m%d-%H%M%S", &local);
  // Encoding takes longer than a tick, so it runs beside the game.
  auto write = std::make_unique<PictureWrite>();
  write->worker.Start([frame, name = std::string(stamp), &done = write->done] {
    // Whichever way the job ends, the write is over.
    struct Done {
      std::atomic<bool>& flag;
      ~Done() { flag = true; }
    } over{done};
    const std::string dir = UserDirPath(UserDir::Pictures);
    std::string error;
    if (!MakeUserDir(dir, error)) {
      std::fprintf(stderr, "vor: cannot save the picture: %s\n", error.c_str());
      return;
    }
    // Two pictures in one second keep both: a name is claimed by creating its file exclusively,
    // as another picture may be choosing at the same moment.
    std::string path;
    for (int n = 1; n < 100 && path.empty(); ++n) {
      const std::string p = dir + "/" + name + (n > 1 ? "-" + std::to_string(n) : "") + ".png";
      if (FILE* f = std::fopen(p.c_str(), "wbx")) {
        std::fclose(f);
        path = p;
      } else if (errno != EEXIST) {
        std::fprintf(stderr, "vor: cannot write the picture %s: %s\n", p.c_str(),
                     std::strerror(errno));
        return;
      }
    }
    if (path.empty()) {
      std::fprintf(stderr, "vor: cannot save the picture: too many in one second\n");
      return;
    }
    std::string reason;
    if (!WritePng(*frame, path, reason)) {
      std::remove(path.c_str());  // no half picture stays behind
      std::fprintf(stderr, "vor: cannot write the picture %s: %s\n", path.c_str(), reason.c_str());
    }
  });
  pictureWrites_.push_back(std::move(write));
}

HRESULT TForm1::InitInput() { return controls_.InitInput(); }
void TForm1::PollKeyboard() { controls_.PollKeyboard(*Game_); }
void TForm1::PollMouse() { controls_.PollMouse(*Game_); }
uint8_t TForm1::WaitedKey() const { return TControls::WaitedKey(*Game_); }
void TForm1::FormKeyPress(unsigned char key) {
  if (Game_) controls_.FormKeyPress(*Game_, key);
}

namespace {

// The median time of a plain copy of one 800 x 600 x 4 frame between two buffers, measured now:
// the yardstick the ticks are told against, on whatever the machine is doing at the time.
double FrameCopyMs() {
  constexpr size_t kPixels = size_t(800) * 600;
  std::vector<uint32_t> from(kPixels, 0x00406080), to(kPixels, 0);
  std::vector<double> times(101);
  for (int i = -3; i < int(times.size()); ++i) {
    const auto start = std::chrono::steady_clock::now();
    std::memcpy(to.data(), from.data(), kPixels * 4);
    // The copy is kept: the compiler may not drop a write it cannot see used.
    asm volatile("" : : "r"(to.data()) : "memory");
    const auto end = std::chrono::steady_clock::now();
    if (i >= 0) times[size_t(i)] = std::chrono::duration<double, std::milli>(end - start).count();
  }
  std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
  return times[times.size() / 2];
}

}  // namespace

std::string TForm1::BenchLine() const {
  std::vector<double> c = tickCosts_;
  if (c.empty()) return "bench ticks 0";
  std::sort(c.begin(), c.end());
  const double mean = std::accumulate(c.begin(), c.end(), 0.0) / double(c.size());
  const auto at = [&](double q) { return c[std::min(c.size() - 1, size_t(q * double(c.size())))]; };
  const double copy = FrameCopyMs();
  // The same figures in frame copies; a copy too quick for the clock counts as none.
  const auto copies = [&](double ms) { return copy > 0 ? ms / copy : 0.0; };
  char buf[320];
  std::snprintf(buf, sizeof buf,
                "bench ticks %zu mean_ms %.4f median_ms %.4f p99_ms %.4f max_ms %.4f "
                "frame_copy_ms %.4f mean_copies %.2f median_copies %.2f p99_copies %.2f",
                c.size(), mean, at(0.5), at(0.99), c.back(), copy, copies(mean), copies(at(0.5)),
                copies(at(0.99)));
  return buf;
}
