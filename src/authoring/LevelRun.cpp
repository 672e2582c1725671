// "vor --level": one level played alone, skipping the menu, and reloaded when its file changes.
#include <cstdio>
#include <system_error>

#include "authoring/AuthorTools.h"
#include "game/GameUnit.h"
#include "assets/FileUtils.h"

namespace {

// How often the file is looked at: five times a second.
constexpr int64_t kWatchTicks = 8;

}  // namespace

TLevelRun::TLevelRun(std::string argument, bool watch)
    : argument_(std::move(argument)), watch_(watch) {}

bool TLevelRun::Read(std::string& error) {
  if (path_.empty()) {
    if (!ParseLevelSource(argument_, source_, error)) return false;
    std::error_code ec;
    path_ = std::filesystem::absolute(ResolveFileName(source_.file), ec).string();
    if (ec) path_ = ResolveFileName(source_.file);
  }
  stamp_ = FileStamp();
  return ReadLevelSource({path_, source_.level}, levels_, first_, error);
}

void TLevelRun::Start(TGame& game) {
  game_ = &game;
  game.ScenarioFile = source_.file;
  game.LevelTexts = levels_;
  game.StartGame(first_);
  if (watch_) Report();
}

bool TLevelRun::AfterTick() {
  if (!game_) return false;
  TGame& g = *game_;
  // Escape opens the in-game menu: here it ends the run.
  if (g.State == gsGameMenu) return true;
  if (watch_ && ++ticks_ % kWatchTicks == 0 && FileStamp() != stamp_) {
    std::string error;
    if (Read(error)) {
      std::fprintf(stderr, "vor: %s reloaded\n", argument_.c_str());
      Start(g);
      return false;
    }
    // Half-written by the editor, perhaps: the level plays on and the next change is read.
    std::fprintf(stderr, "vor: %s\n", error.c_str());
  }
  const bool playing =
      (g.State == gsPlaying || g.State == gsLevelDone || g.State == gsLevelLoading) &&
      g.Level == first_;
  if (playing) return false;
  if (!watch_) return true;
  g.StartGame(first_);
  return false;
}

TLevelRun::Stamp TLevelRun::FileStamp() const {
  Stamp s;
  std::error_code ec;
  const std::string& name = path_;
  s.time = std::filesystem::last_write_time(name, ec);
  s.size = std::filesystem::file_size(name, ec);
  return s;
}

void TLevelRun::Report() const {
  TLevelLint lint(game_->Sys);
  std::vector<TLintFinding> findings;
  std::string where = source_.file + ":";
  if (source_.level == 0) {
    std::string text;
    if (ReadFileQuietly(path_, text)) findings = lint.CheckLevelFile(text);
  } else {
    where += "level " + std::to_string(first_) + ":";
    findings = lint.CheckStoredLevel(levels_[size_t(first_ - 1)]);
  }
  for (const TLintFinding& f : findings)
    std::fprintf(stderr, "%s\n", FormatFinding(where, f).c_str());
}
