// The main window: start-up, the 25 ms frame tick, polling the devices, shutdown. It owns the game
// object, the input devices and the run's script, recording and dumps.
#pragma once
#include <atomic>
#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "authoring/AuthorTools.h"
#include "game/GameUnit.h"
#include "app/Options.h"
#include "app/Settings.h"
#include "controls/Controls.h"
#include "platform/Input.h"
#include "platform/OutputFile.h"
#include "platform/System.h"
#include "platform/Worker.h"

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
  // Alt+Enter: switch the display and remember the choice for the next start.
  void ToggleFullscreen();
  // Writes the menu settings the player changed since they were last seen (none: nothing).
  void SaveChangedSettings();
  // F12: the last frame shown goes to the picture folder in the background.
  void SaveFrameToPictures();
  void WriteEndFiles();
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
  // "--level": one level played alone.
  std::unique_ptr<TLevelRun> levelRun_;
};

// The state of the game as JSON (the fields under their own names).
std::string StateJson(const TGame& game, int64_t tick);
