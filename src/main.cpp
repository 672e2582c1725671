// Program entry: options and script first, then the main window's start-up and message loop.
#include <cstdio>

#include "authoring/AuthorTools.h"
#include "app/Main.h"
#include "app/Options.h"
#include "app/Usage.h"
#include "app/Settings.h"
#include "platform/Backend.h"
#include "platform/InputFile.h"
#include "platform/System.h"


int main(int argc, char** argv) {
  InstallWindowBackend();
  if (argc >= 2 && IsAuthorCommand(argv[1])) return RunAuthorCommand({argv + 1, argv + argc});
  Options options;
  std::string error;
  if (!ParseOptions(argc, argv, options, error)) {
    std::fprintf(stderr, "vor: %s\n", error.c_str());
    return 2;
  }
  if (options.help || options.version) {
    const std::string text = options.help ? UsageText() : VersionText();
    std::fputs(text.c_str(), stdout);
    return 0;
  }
  std::vector<ScriptEvent> script;
  // A recording's settings: the run starts from them instead of the player's and keeps none.
  std::optional<Settings> scriptSettings;
  if (!options.script.empty()) {
    std::string text, reason;
    if (ReadRegularFile(options.script, kMaxScriptFileBytes, text, reason) != ReadOutcome::Ok) {
      std::fprintf(stderr, "vor: cannot read the script %s: %s\n", options.script.c_str(),
                   reason.c_str());
      return 2;
    }
    if (!ParseScript(text, options.script, script, error)) {
      std::fprintf(stderr, "vor: %s\n", error.c_str());
      return 2;
    }
    Settings settings;
    std::vector<std::string> damaged;
    if (SettingsFromScript(text, settings, damaged)) scriptSettings = settings;
    if (!damaged.empty()) {
      std::fprintf(stderr, "vor: %s: %s\n", options.script.c_str(), damaged[0].c_str());
      return 2;
    }
  }
  std::optional<TReplay> replay;
  if (!options.replay.empty()) {
    std::string text, reason;
    TReplay r;
    if (ReadRegularFile(options.replay, kMaxReplayBytes + 1, text, reason) != ReadOutcome::Ok) {
      std::fprintf(stderr, "vor: cannot read the replay %s: %s\n", options.replay.c_str(),
                   reason.empty() ? "no such file" : reason.c_str());
      return 2;
    }
    if (!ParseReplay(text, r, error)) {
      std::fprintf(stderr, "vor: %s is not a replay this game can play: %s\n",
                   options.replay.c_str(), error.c_str());
      return 2;
    }
    replay = std::move(r);
  }
  // Three or more parameters never open the display.
  const bool headless = options.headless || options.params.size() >= 3;
  System::Config config;
  config.headless = headless;
  config.machineSound = options.machineSound.value_or(!headless);
  // A run without a window neither reads nor writes the player's settings: it plays the same on
  // every machine. The choice of the last run holds unless the command line makes one.
  const std::string settingsPath = headless ? std::string() : SettingsPath();
  const Settings saved = LoadSettings(settingsPath);
  if (options.window || options.fullscreen)
    config.fullscreen = options.fullscreen;
  else if (!headless)
    config.fullscreen = saved.fullscreen.value_or(true);
  config.scale = options.scale.value_or(saved.scale.value_or(ScaleMode::Sharp));
  // A scale chosen on the command line holds for the next runs too.
  if (options.scale && !settingsPath.empty() && saved.scale != options.scale) {
    Settings file = LoadSettings(settingsPath, true);
    file.scale = options.scale;
    (void)SaveSettings(settingsPath, file);
  }
  std::unique_ptr<System> system = System::Create(config);
  if (!system) return 1;
  TForm1 form(options, *system, std::move(script));
  if (replay)
    form.PlayReplay(*replay);
  else if (scriptSettings)
    form.KeepSettings("", *scriptSettings);
  else if (!settingsPath.empty())
    form.KeepSettings(settingsPath, saved);
  system->WatchGame([&form] {
    return form.Game() ? StateJson(*form.Game(), form.TickCount()) : std::string();
  });
  int status;
  if (form.FormCreate()) {
    status = form.Run();
  } else {
    form.FormDestroy();  // the end files (dump, screenshot, recording) report their own failures too
    status = form.ExitStatus();
  }
  system->GameEnded(status);
  return status;
}
