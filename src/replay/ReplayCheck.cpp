// A replay played headless to its result screen.
#include "replay/ReplayCheck.h"

#include "app/Main.h"
#include "base/Random.h"
#include "platform/System.h"

TReplayCheck CheckReplay(const std::string& text, const std::string& dataFolder,
                         int64_t tickBound) {
  TReplayCheck out;
  TReplay replay;
  if (!ParseReplay(text, replay, out.reason)) {
    out.refusal = TReplayRefusal::Malformed;
    return out;
  }
  System::Config config;
  config.headless = true;
  config.machineSound = false;
  std::unique_ptr<System> system = System::Create(config);
  if (!system) {
    out.refusal = TReplayRefusal::UnknownData;
    out.reason = "no headless system";
    return out;
  }
  // The caller's own numbers are left as they were.
  KeepGameRandom keep;
  Options options;
  options.headless = true;
  TForm1 form(options, *system, {});
  // Reads from the data folder only; nothing is written anywhere.
  form.UseFileFolders({dataFolder, "", ""});
  form.PlayReplay(replay);
  form.SetReplayTickBound(tickBound);
  if (form.FormCreate())
    form.Run();
  else
    form.FormDestroy();
  if (const auto& row = form.ReplayResult()) {
    out.result.scenario = form.ReplayScenario();
    out.result.scenarioSha256 = replay.scenarioSha256;
    out.result.name = replay.name;
    out.result.score = row->score;
    out.result.targets = row->targets;
    out.result.medals = row->medals;
    out.result.levels = row->levels;
    out.result.misses = row->misses;
    out.result.won = row->won;
    out.result.difficulty = row->difficulty;
    out.result.ticks = form.ReplayTicks();
    return out;
  }
  out.refusal = form.ReplayRefusal() == TReplayRefusal::None ? TReplayRefusal::UnknownData
                                                             : form.ReplayRefusal();
  out.reason =
      form.ReplayFailure().empty() ? "the game's data cannot be loaded" : form.ReplayFailure();
  return out;
}
