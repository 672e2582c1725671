// The main window: start-up, the 25 ms frame tick, polling the devices, shutdown. It owns the game
// object, the input devices and the run's script, recording and dumps.
#pragma once
#include <atomic>
#include <cstdint>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "authoring/AuthorTools.h"
#include "game/GameUnit.h"
#include "app/Options.h"
#include "app/Settings.h"
#include "app/SharedTables.h"
#include "assets/FileUtils.h"
#include "controls/Controls.h"
#include "platform/Input.h"
#include "platform/OutputFile.h"
#include "platform/System.h"
#include "platform/Worker.h"
#include "replay/ReplayFile.h"

class TForm1 {
 public:
  // system: the backend the run uses; it outlives the form.
  TForm1(const Options& options, System& system, std::vector<ScriptEvent> script);
  ~TForm1();

  // The player's settings file and what it held at start (call before FormCreate): the menu's
  // settings start from it and are written back to it when the player changes them. A run not
  // given one neither reads nor writes settings; an empty path starts from saved and writes none.
  void KeepSettings(const std::string& path, const Settings& saved);
  // Start-up; false when the program ends here (exit status in ExitStatus()).
  bool FormCreate();
  void FormDestroy();
  // Runs the message loop until the window closes; returns the exit status.
  int Run();
  // One frame.
  void Tick();
  HRESULT Present();

  // The controls' operations on this window's game (src/controls/Controls.h).
  HRESULT InitInput();
  void PollKeyboard();
  void PollMouse();
  // The key the screen shown waits for to go on (Enter ends a result screen, the table of records
  // and the name entry), 0 where none; a page shows it as a button.
  uint8_t WaitedKey() const;
  void FormKeyPress(unsigned char key);

  TGame* Game() { return Game_.get(); }
  int64_t TickCount() const { return tickCount_; }
  int ExitStatus() const { return exitStatus_; }
  // Bench figures of the ticks run so far.
  std::string BenchLine() const;

  // Plays this replay instead of the player's input (call before FormCreate): the game starts
  // from the replay's start once loading ends; the player's own input is not used, but for
  // Escape, which ends the run, and Tab, which switches between normal and four times speed.
  // A headless run ends on the result screen; a window shows it a few seconds first.
  void PlayReplay(const TReplay& replay) { replay_ = replay; }
  // Why the replay could not start or did not reach a result screen; empty when it did.
  const std::string& ReplayFailure() const { return replayFailure_; }
  TReplayRefusal ReplayRefusal() const { return replayRefusal_; }
  // The result row the replay reached (name as the game held it), and after how many ticks.
  const std::optional<TRecordRow>& ReplayResult() const { return replayResult_; }
  int64_t ReplayTicks() const { return replayTicks_; }
  // The installed scenario the replay plays.
  const std::string& ReplayScenario() const { return replayScenario_; }
  // The folders behind the game's bare names for this run, in place of the player's (call before
  // FormCreate).
  void UseFileFolders(const TFileFolders& folders) { folders_ = folders; }
  // The ticks of play the replay may take before it is given up (0: its last event and a
  // minute more).
  void SetReplayTickBound(int64_t ticks) { replayTickBound_ = ticks; }

  bool LevelSkipEnabled = false;
  bool Active = false;

 private:
  void Close(int status);
  // The end of a failed graphics load: "ошибка" and the reason in the log, the reason and the way
  // out on stderr.
  void ReportLoadFailure();
  // Applies the input of this tick (window events, then script lines) and records it.
  void ApplyTickInput();
  void ApplyInput(const InputEvent& e);
  // The player's input (window or script): played, or while a replay plays only watched.
  void PlayerInput(const InputEvent& e);
  // Input while a replay plays: only stopping it and its speed.
  void WatcherInput(const InputEvent& e);
  // Alt+Enter: switch the display and remember the choice for the next start.
  void ToggleFullscreen();
  // Writes the menu settings the player changed since they were last seen (none: nothing).
  void SaveChangedSettings();
  // F12: the last frame shown goes to the picture folder in the background.
  void SaveFrameToPictures();
  void WriteEndFiles();
  // Replays: the game that started in this tick is recorded from here on (mouseFollows: the
  // mouse is still read in this tick); ends the recording on a result screen or back in the menu.
  void NoteGameStart(bool mouseFollows);
  void EndOfTickRecording();
  // Starts the replay given to PlayReplay; false (ReplayFailure says why) when it cannot.
  bool StartReplay();
  // The table screen: which rows have replays, found when the screen is entered; watching one in
  // place of the game, and back to the table as it was.
  void ShowRecordsScreen();
  void WatchRowReplay(int row);
  // Watches the replay of this text in place of the game; a damaged one is told in a message.
  void WatchReplay(const std::string& text);
  // The rows of the table the screen shows that have a replay, and the row chosen first (the
  // result just entered, else the first with a replay).
  void ChooseShownRow();
  // The server of shared tables: set up from the option or the settings (a bad address is told
  // on stderr and the game keeps its own tables only); its answers taken once a tick; the
  // screen's switch between the tables; asking for the scenario's shared table and a shared
  // row's replay.
  void StartSharedTables();
  void PollSharedTables();
  // A run without a window waits natively in each tick (and at its end) for the server's
  // answers, so a scripted run sees them at the same tick every time; nothing else waits for them.
  void SettleSharedTables();
  void SwitchTable();
  void FetchSharedTop();
  void WatchSharedRow(int row);
  // Watches the row the controls were asked for in this tick's polls, if any.
  void TakeWatchRequest();
  void EndWatch(const std::string& failure);
  // The data identity of the installed data, worked out once.
  const std::string& InstalledDataIdentity(std::string& error);
  // Outputs of the run. A failure is told on stderr (file and reason) and ends the run with
  // status 1.
  void WriteStateDump(const std::string& path);
  void WriteScreenshot(const std::string& path);
  void OutputFailed(const std::string& path, const std::string& reason);

  const Options& options_;
  System& system_;
  std::unique_ptr<TGame> Game_;
  TControls controls_;
  // The state last told to the system (ShowScreen), -1 before the first.
  int32_t shownState_ = -1;
  // A picture written beside the game, on the platform's worker (so also where there are no
  // threads); the pictures still being written are waited for before the program ends.
  struct PictureWrite {
    Worker worker;
    std::atomic<bool> done{false};
  };
  std::vector<std::unique_ptr<PictureWrite>> pictureWrites_;
  std::vector<ScriptEvent> script_;
  size_t scriptPos_ = 0;
  OutputFile record_;
  // The lines recorded in the current tick, written together at its end.
  std::string recordLines_;
  bool closed_ = false;
  int exitStatus_ = 0;
  int64_t tickCount_ = 0;
  std::vector<double> tickCosts_;
  // KeepSettings: the file, what it held at start, and the menu settings as last seen.
  std::string settingsPath_;
  Settings settingsAtStart_, settingsSeen_;
  bool keepSettings_ = false;
  // The replay being recorded (from the tick replayStart_ on), or being played.
  std::optional<TReplay> recording_, replay_;
  int64_t replayStart_ = 0;
  size_t replayPos_ = 0;
  int64_t replayTickBound_ = 0;
  // Ticks the result screen of a replay has stood.
  int64_t replayResultTicks_ = 0;
  bool replayFast_ = false;
  std::string replayFailure_;
  TReplayRefusal replayRefusal_ = TReplayRefusal::None;
  std::optional<TRecordRow> replayResult_;
  int64_t replayTicks_ = 0;
  std::string replayScenario_;
  std::optional<TFileFolders> folders_;
  void FailReplay(TReplayRefusal refusal, const std::string& reason);
  // What watching a replay changes, kept to be put back.
  struct Watch {
    uint8_t state, level, difficulty, brightness, controlType, controlSpeed, soundOn, nameBlanks;
    std::string scenarioFile, recordsFailedFile, resultReplay;
    std::vector<std::string> levelTexts;
    TRecordRow records[kRecordRows], recordEntry;
    int32_t keyLatch[256], buttonLatch[8], pointerX, pointerY, selected;
    int32_t score, pendingScore, bullets, targetsHit, medals, misses;
    uint32_t gamesStarted, gamesSeen;
    Random random, gameStartRandom;
    bool levelSkip;
    TControls controls;
  };
  std::optional<Watch> watch_;
  bool watchStarted_ = false;
  std::array<std::string, kRecordRows> rowReplayPaths_;
  std::unique_ptr<SharedTables> shared_;
  // The replay ids of the shared rows shown, and the version of the shared table they are from.
  std::array<std::string, kRecordRows> sharedReplays_;
  uint32_t sharedVersion_ = 0;
  uint8_t lastState_ = gsStart;
  uint32_t gamesSeen_ = 0;
  std::string dataIdentity_;
  // "--level": one level played alone.
  std::unique_ptr<TLevelRun> levelRun_;
};

// The state of the game as JSON (the fields under their own names).
std::string StateJson(const TGame& game, int64_t tick);
