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
#include <thread>

#include "app/DataFolders.h"
#include "app/Settings.h"
#include "assets/FileUtils.h"
#include "display/DisplayDevice.h"
#include "frontend/RecordReplays.h"
#include "gameplay/ScenarioCompiler.h"
#include "gameplay/ScenarioFile.h"
#include "base/Cp1251.h"
#include "platform/InputFile.h"
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
  SetFileFolders(folders_ ? *folders_ : ChooseFileFolders(InstalledDataFolder()));
  Game_ = std::make_unique<TGame>(system_);
  Game_->LevelSkipEnabled = LevelSkipEnabled;
  Game_->VideoMemoryKB = options_.videoMemoryKB;
  // A level played alone keeps the player's scenario as it is.
  const bool keepScenario = options_.level.empty();
  if (replay_) {
    Game_->LevelSkipEnabled = LevelSkipEnabled = replay_->levelSkip;
    ApplyMenuSettings(replay_->settings, *Game_);
  } else if (keepSettings_) {
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
  if (replay_ && Game_->State == gsMainMenu && !StartReplay()) {
    std::fprintf(stderr, "vor: cannot play the replay: %s\n", replayFailure_.c_str());
    if (!system_.IsHeadless())
      system_.ShowMessageBox("Cannot play the replay: " + replayFailure_, "Vor");
    Close(1);
    return false;
  }
  if (system_.IsHeadless()) Active = true;
  settingsSeen_ = MenuSettingsOf(*Game_, keepScenario);
  StartSharedTables();
  return true;
}

void TForm1::FormDestroy() {
  if (record_.IsOpen() && !record_.Close()) OutputFailed(options_.record, record_.Reason());
  pictureWrites_.clear();  // waits for pictures still being written
  if (!Game_) return;
  // A window's run leaves what is unsent waiting for the next start.
  if (system_.IsHeadless()) SettleSharedTables();
  shared_.reset();  // what still runs is cancelled
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
    if (system_.IsHeadless() && !options_.paced) {
      Tick();
      continue;
    }
    const uint64_t now = system_.Ticks();
    if (now >= next) {
      for (int i = replayFast_ ? 4 : 1; i > 0 && !closed_; --i) Tick();
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
  watchStarted_ = false;
  PollKeyboard();
  TakeWatchRequest();
  NoteGameStart(true);
  // A replay started by this tick's keys has read the mouse as its game did.
  if (!watchStarted_) {
    PollMouse();
    TakeWatchRequest();
  }
  if (controls_.TakeTableSwitchRequest() && g.State == gsRecords && !replay_) SwitchTable();
  NoteGameStart(false);
  EndOfTickRecording();
  if (g.State == gsRecords && lastState_ != gsRecords) ShowRecordsScreen();
  lastState_ = g.State;
  if (!g.ResultToSend.empty()) {
    const std::string result = std::exchange(g.ResultToSend, {});
    // A replay watched is never the player's result.
    if (shared_ && !replay_) shared_->Send(result);
  }
  if (system_.IsHeadless())
    SettleSharedTables();
  else
    PollSharedTables();
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
    PlayerInput(e);
  }
  for (; scriptPos_ < script_.size() && script_[scriptPos_].tick <= tickCount_; ++scriptPos_) {
    const ScriptEvent& s = script_[scriptPos_];
    if (s.tick < tickCount_) continue;  // ticks that never ran (before activation)
    switch (s.kind) {
      case ScriptEvent::Kind::Input: PlayerInput(s.input); break;
      case ScriptEvent::Kind::Dump: WriteStateDump(s.file); break;
      case ScriptEvent::Kind::Screenshot: WriteScreenshot(s.file); break;
    }
  }
  if (replay_)
    for (; replayPos_ < replay_->events.size() &&
           replay_->events[replayPos_].tick + replayStart_ <= tickCount_;
         ++replayPos_)
      ApplyInput(replay_->events[replayPos_].input);
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

void TForm1::PlayerInput(const InputEvent& e) {
  if (replay_)
    WatcherInput(e);
  else
    ApplyInput(e);
}

void TForm1::WatcherInput(const InputEvent& e) {
  // The player only watches; the player's own devices follow the player meanwhile, for the table
  // the watch returns to.
  if (watch_) watch_->controls.FollowWhileWatching(e);
  switch (TControls::WatcherAction(e)) {
    case TControls::WatchAction::Stop:
      if (watch_)
        EndWatch("");
      else
        Close(0);
      break;
    case TControls::WatchAction::SwitchSpeed: replayFast_ = !replayFast_; break;
    case TControls::WatchAction::None: break;
  }
}

void TForm1::ApplyInput(const InputEvent& e) {
  if (record_.IsOpen()) recordLines_ += FormatScriptLine(tickCount_, e) + '\n';
  if (recording_) {
    ScriptEvent s;
    s.tick = tickCount_ - replayStart_;
    s.input = e;
    recording_->events.push_back(s);
  }
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
  // A replay's settings are its own, never the player's.
  if (!keepSettings_ || settingsPath_.empty() || replay_) return;
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

void TForm1::TakeWatchRequest() {
  const int row = controls_.TakeWatchRequest();
  if (row < 0) return;
  if (Game_->RecordsShared)
    WatchSharedRow(row);
  else
    WatchRowReplay(row);
}

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

const std::string& TForm1::InstalledDataIdentity(std::string& error) {
  if (dataIdentity_.empty()) {
    std::array<std::string, 4> paths;
    for (size_t i = 0; i < paths.size(); ++i) paths[i] = ResolveFileName(kCollectionFiles[i]);
    if (!DataIdentity(paths, dataIdentity_, error)) dataIdentity_.clear();
  }
  return dataIdentity_;
}

void TForm1::NoteGameStart(bool mouseFollows) {
  TGame& g = *Game_;
  if (g.GamesStarted == gamesSeen_) return;
  gamesSeen_ = g.GamesStarted;
  recording_.reset();
  g.ResultReplay.clear();
  if (replay_) return;  // a replay is not recorded again
  TReplay r;
  std::string error;
  r.dataSha256 = InstalledDataIdentity(error);
  if (r.dataSha256.empty() ||
      !ScenarioIdentity(ResolveFileName(g.ScenarioFile), r.scenarioSha256, error)) {
    // The game goes on; only its replay is missing.
    std::fprintf(stderr, "vor: this game is not kept as a replay: %s\n", error.c_str());
    return;
  }
  r.scenarioName = g.ScenarioFile;
  r.seed = g.GameStartRandom.State();
  const TControls::DeviceStates devices = controls_.SaveDevices();
  r.input = devices.input;
  r.pad = devices.pad;
  r.touch = devices.touch;
  std::copy(std::begin(g.KeyLatch), std::end(g.KeyLatch), r.keyLatch);
  std::copy(std::begin(g.ButtonLatch), std::end(g.ButtonLatch), r.buttonLatch);
  r.mousePoll = mouseFollows;
  r.levelSkip = LevelSkipEnabled;
  r.settings = MenuSettingsOf(g, false);
  recording_ = std::move(r);
  replayStart_ = tickCount_;
}

void TForm1::EndOfTickRecording() {
  TGame& g = *Game_;
  const bool result = g.State == gsWin || g.State == gsGameOver;
  if (recording_ && result) {
    g.ResultReplay = FormatReplay(*recording_);
    recording_.reset();
  } else if (recording_ && g.State == gsMainMenu) {
    recording_.reset();  // the game was left
  }
  if (!replay_) return;
  const int64_t played = tickCount_ - replayStart_;
  if (result) {
    if (!replayResult_) {
      replayResult_ = g.RecordEntry;
      replayTicks_ = played;
    }
    // The result stands a few seconds; a headless run of a replay alone ends on it.
    if (watch_) {
      if (++replayResultTicks_ >= 40 * 3) EndWatch("");
    } else if (system_.IsHeadless() || ++replayResultTicks_ >= 40 * 3) {
      Close(0);
    }
    return;
  }
  // A minute of play after the last input is enough for any result to come.
  const int64_t lastInput = replay_->events.empty() ? 0 : replay_->events.back().tick;
  if (replayTickBound_ > 0 && played >= replayTickBound_)
    FailReplay(TReplayRefusal::OverBound,
               "the game ran past " + std::to_string(replayTickBound_) + " ticks");
  else if (played >= lastInput + 40 * 60)
    FailReplay(TReplayRefusal::NoResult, "no result screen came a minute after the last input");
  else if (g.State == gsMainMenu || g.State == gsExit)
    FailReplay(TReplayRefusal::NoResult, "the game was left before its result screen");
}

void TForm1::FailReplay(TReplayRefusal refusal, const std::string& reason) {
  replayRefusal_ = refusal;
  replayFailure_ = reason;
  if (watch_)
    EndWatch(reason);
  else
    Close(1);
}

void TForm1::ShowRecordsScreen() {
  TGame& g = *Game_;
  rowReplayPaths_ = RowReplays(ResolveFileName(RecordsFileName(g.ScenarioFile)), g.Records);
  if (shared_) FetchSharedTop();
  ChooseShownRow();
}

void TForm1::ChooseShownRow() {
  TGame& g = *Game_;
  const TRecordRow(&rows)[kRecordRows] = g.ShownRecords();
  g.RecordsSelected = -1;
  for (int i = 0; i < kRecordRows; ++i) {
    g.RecordReplays[i] = !(g.RecordsShared ? sharedReplays_ : rowReplayPaths_)[size_t(i)].empty();
    // The result just entered is chosen first.
    if (g.RecordReplays[i] &&
        (g.RecordsSelected < 0 || std::memcmp(&rows[i], &g.RecordEntry, sizeof g.RecordEntry) == 0))
      g.RecordsSelected = i;
  }
}

void TForm1::StartSharedTables() {
  std::optional<std::string> url = options_.recordsServer;
  if (!url && keepSettings_ && !settingsPath_.empty()) url = settingsAtStart_.recordsServer;
  // A replay played alone neither sends nor shows shared tables.
  if (!url || replay_) return;
  std::string base, error;
  if (!ServerAddress(*url, base, error)) {
    std::fprintf(stderr, "vor: %s; the results stay in the player's own tables\n", error.c_str());
    return;
  }
  shared_ = std::make_unique<SharedTables>(base, PendingResults(WritableFileName("pending")));
  Game_->SharedServerSet = true;
}

void TForm1::FetchSharedTop() {
  TGame& g = *Game_;
  std::string id, error;
  if (!ScenarioIdentity(ResolveFileName(g.ScenarioFile), id, error)) {
    std::fprintf(stderr, "vor: the shared table cannot be asked for: %s\n", error.c_str());
    return;
  }
  shared_->FetchTop(id);
}

void TForm1::SwitchTable() {
  TGame& g = *Game_;
  if (!shared_) return;
  g.RecordsShared = !g.RecordsShared;
  ChooseShownRow();
}

void TForm1::PollSharedTables() {
  if (!shared_) return;
  TGame& g = *Game_;
  shared_->Poll();
  // Nothing on the table screen changes while a replay plays over it.
  if (replay_) return;
  if (shared_->TakeStored() && g.State == gsRecords) FetchSharedTop();
  std::string failure;
  if (const std::optional<std::string> text = shared_->TakeReplay(failure)) {
    if (g.State == gsRecords && g.RecordsShared) WatchReplay(*text);
  } else if (!failure.empty() && g.State == gsRecords) {
    g.ShowMessageBox("The replay cannot be fetched:\r\n&1" + failure, kMessageBoxFrames);
  }
  if (sharedVersion_ == shared_->TopVersion()) return;
  sharedVersion_ = shared_->TopVersion();
  const std::vector<SharedTableRow>& rows = shared_->TopRows();
  for (size_t i = 0; i < size_t(kRecordRows); ++i) {
    g.SharedRecords[i] = i < rows.size() ? rows[i].row : TRecordRow{};
    sharedReplays_[i] = i < rows.size() ? rows[i].replay : std::string();
  }
  switch (shared_->Top()) {
    case SharedTables::TopState::None: g.SharedStatus.clear(); break;
    case SharedTables::TopState::Loading: g.SharedStatus = "Loading..."; break;
    case SharedTables::TopState::Ready:
      g.SharedStatus = rows.empty() ? "No results yet" : "";
      break;
    case SharedTables::TopState::Unreachable:
      g.SharedStatus = "The server cannot be reached";
      break;
    case SharedTables::TopState::UnknownScenario:
      g.SharedStatus = "The server does not know this scenario";
      break;
    case SharedTables::TopState::Damaged:
      g.SharedStatus = "The answer of the server is damaged";
      break;
  }
  if (g.RecordsShared) ChooseShownRow();
}

void TForm1::SettleSharedTables() {
  if (!shared_) return;
  if (!HttpRunsWhileWaiting()) {
    PollSharedTables();
    return;
  }
  // Each request has its own time limit; this only bounds a chain of them.
  const auto until = std::chrono::steady_clock::now() + std::chrono::minutes(2);
  PollSharedTables();
  while (shared_->Busy() && std::chrono::steady_clock::now() < until) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    PollSharedTables();
  }
}

void TForm1::WatchSharedRow(int row) {
  if (!shared_ || row < 0 || row >= kRecordRows || sharedReplays_[size_t(row)].empty() ||
      shared_->ReplayLoading())
    return;
  shared_->FetchReplay(sharedReplays_[size_t(row)]);
}

void TForm1::WatchRowReplay(int row) {
  if (row < 0 || row >= kRecordRows || rowReplayPaths_[size_t(row)].empty()) return;
  std::string text, reason;
  if (ReadRegularFile(rowReplayPaths_[size_t(row)], kMaxReplayBytes + 1, text, reason) !=
      ReadOutcome::Ok) {
    Game_->ShowMessageBox("The replay cannot be played:\r\n&1" + reason, kMessageBoxFrames);
    return;
  }
  WatchReplay(text);
}

void TForm1::WatchReplay(const std::string& text) {
  TGame& g = *Game_;
  std::string reason;
  TReplay r;
  if (!ParseReplay(text, r, reason)) {
    g.ShowMessageBox("The replay cannot be played:\r\n&1" + reason, kMessageBoxFrames);
    return;
  }
  Watch w{g.State, g.Level, g.Difficulty, g.Brightness, g.ControlType, g.ControlSpeed,
          g.SoundOn, g.NameBlanks, g.ScenarioFile, g.RecordsFailedFile, g.ResultReplay,
          g.LevelTexts, {}, g.RecordEntry, {}, {}, g.PointerX, g.PointerY, g.RecordsSelected,
          g.Score, g.PendingScore, g.Bullets, g.TargetsHit, g.Medals, g.Misses,
          g.GamesStarted, gamesSeen_, GameRandom(), g.GameStartRandom, LevelSkipEnabled,
          controls_};
  std::copy(std::begin(g.Records), std::end(g.Records), w.records);
  std::copy(std::begin(g.KeyLatch), std::end(g.KeyLatch), w.keyLatch);
  std::copy(std::begin(g.ButtonLatch), std::end(g.ButtonLatch), w.buttonLatch);
  watch_ = std::move(w);
  replay_ = std::move(r);
  replayResult_.reset();
  replayResultTicks_ = 0;
  replayFast_ = false;
  g.LevelSkipEnabled = LevelSkipEnabled = replay_->levelSkip;
  ApplyMenuSettings(replay_->settings, g);
  if (StartReplay())
    watchStarted_ = true;
  else
    EndWatch(replayFailure_);
}

void TForm1::EndWatch(const std::string& failure) {
  TGame& g = *Game_;
  if (!watch_) return;
  const Watch& w = *watch_;
  g.State = gsRecords;
  g.Level = w.level;
  g.Difficulty = w.difficulty;
  g.Brightness = w.brightness;
  g.ControlType = w.controlType;
  g.ControlSpeed = w.controlSpeed;
  g.SoundOn = w.soundOn;
  g.NameBlanks = w.nameBlanks;
  g.ScenarioFile = w.scenarioFile;
  g.RecordsFailedFile = w.recordsFailedFile;
  g.ResultReplay = w.resultReplay;
  g.LevelTexts = w.levelTexts;
  std::copy(std::begin(w.records), std::end(w.records), g.Records);
  g.RecordEntry = w.recordEntry;
  std::copy(std::begin(w.keyLatch), std::end(w.keyLatch), g.KeyLatch);
  std::copy(std::begin(w.buttonLatch), std::end(w.buttonLatch), g.ButtonLatch);
  g.PointerX = w.pointerX;
  g.PointerY = w.pointerY;
  g.RecordsSelected = w.selected;
  g.Score = w.score;
  g.PendingScore = w.pendingScore;
  g.Bullets = w.bullets;
  g.TargetsHit = w.targetsHit;
  g.Medals = w.medals;
  g.Misses = w.misses;
  g.GamesStarted = w.gamesStarted;
  gamesSeen_ = w.gamesSeen;
  GameRandom() = w.random;
  g.GameStartRandom = w.gameStartRandom;
  g.LevelSkipEnabled = LevelSkipEnabled = w.levelSkip;
  controls_ = w.controls;
  // The keys that stop a replay must not also leave the table.
  for (int key : {DIK_ESCAPE, DIK_RETURN, DIK_SPACE, DIK_R, DIK_S}) g.SetKeyLatch(key, true);
  watch_.reset();
  replay_.reset();
  replayFast_ = false;
  lastState_ = gsRecords;
  if (!failure.empty())
    g.ShowMessageBox("The replay cannot be played:\r\n&1" + failure, kMessageBoxFrames);
}

bool TForm1::StartReplay() {
  TGame& g = *Game_;
  const TReplay& r = *replay_;
  std::string error;
  const std::string& data = InstalledDataIdentity(error);
  replayRefusal_ = TReplayRefusal::UnknownData;
  if (data.empty()) {
    replayFailure_ = "the game's data cannot be read: " + error;
    return false;
  }
  if (data != r.dataSha256) {
    replayFailure_ = "it was played with other game data (" + r.dataSha256.substr(0, 16) +
                     "...), which is not installed";
    return false;
  }
  if (replayTickBound_ > 0 && !r.events.empty() && r.events.back().tick > replayTickBound_) {
    replayRefusal_ = TReplayRefusal::OverBound;
    replayFailure_ = "its input goes on past " + std::to_string(replayTickBound_) + " ticks";
    return false;
  }
  std::string scenario;
  for (const std::string& name : ListScenarioFiles()) {
    std::string sha;
    if (ScenarioIdentity(ResolveFileName(name), sha, error) && sha == r.scenarioSha256) {
      scenario = name;
      // The name it was played as, when that file is the one.
      if (name == r.scenarioName) break;
    }
  }
  replayRefusal_ = TReplayRefusal::UnknownScenario;
  if (scenario.empty()) {
    replayFailure_ = "its scenario " + r.scenarioName + " (" + r.scenarioSha256.substr(0, 16) +
                     "...) is not installed";
    return false;
  }
  replayScenario_ = scenario;
  g.SelectScenario(scenario);
  GameRandom().SetState(r.seed);
  gamesSeen_ = g.GamesStarted + 1;
  replayRefusal_ = TReplayRefusal::Malformed;
  if (!g.StartScenario(scenario)) {
    replayFailure_ = "its scenario " + scenario + " cannot be played";
    return false;
  }
  if (!controls_.LoadDevices({r.input, r.pad, r.touch})) {
    replayFailure_ = "the state of its input devices is damaged";
    return false;
  }
  std::copy(std::begin(r.keyLatch), std::end(r.keyLatch), g.KeyLatch);
  std::copy(std::begin(r.buttonLatch), std::end(r.buttonLatch), g.ButtonLatch);
  if (r.mousePoll) PollMouse();
  replayRefusal_ = TReplayRefusal::None;
  replayStart_ = tickCount_;
  replayPos_ = 0;
  return true;
}
