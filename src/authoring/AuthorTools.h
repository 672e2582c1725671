// Tools for scenario authors: "vor lint" checks level texts, list files and scenarios; "vor
// preview" draws a level into a PNG; "vor --level" plays one level (reloading it with --watch).
// They read levels with the game's own parser and draw with the game's own drawing code.
#pragma once
#include <cstdint>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

class System;
class TGame;

// Whether argv's first word is a tool's command ("lint", "preview").
bool IsAuthorCommand(const char* word);
// Runs the command of args (args[0] is the command); returns the exit status: 0 done, 1 failed
// (with the reason on stderr).
int RunAuthorCommand(const std::vector<std::string>& args);

// --- Level arguments: "FILE" (a level text) or "SCENARIO.lev:N" ---

struct TLevelSource {
  // The file to read (and to watch).
  std::string file;
  // Level number in a scenario; 0 for a level text.
  int32_t level = 0;
};

// Splits an argument into file and level number. False with a reason when a scenario is named
// without a level, or the number is not one.
bool ParseLevelSource(const std::string& argument, TLevelSource& out, std::string& error);
// Reads the levels to play: the level text alone (in its stored form) as level 1, or every level
// of the scenario with `first` the chosen one. False with a reason.
bool ReadLevelSource(const TLevelSource& source, std::vector<std::string>& levels, int& first,
                     std::string& error);

// --- Lint ---

struct TLintFinding {
  int32_t line = 1;
  bool error = false;
  std::string message;
};

// Checks levels with the game's parser (on a game object of its own, no display needed).
class TLevelLint {
 public:
  explicit TLevelLint(System& system);
  ~TLevelLint();
  TLevelLint(const TLevelLint&) = delete;
  TLevelLint& operator=(const TLevelLint&) = delete;

  // A level text file as written (comments, blank lines, CR LF or LF); lines are the file's.
  std::vector<TLintFinding> CheckLevelFile(const std::string& text);
  // One level as a scenario stores it; lines count its CR-ended lines.
  std::vector<TLintFinding> CheckStoredLevel(const std::string& stored);

 private:
  std::vector<TLintFinding> Check(const std::string& stored, const std::vector<int32_t>& lines);
  std::unique_ptr<TGame> game_;
  std::set<std::string> known_;
};

// One finding as a line: where ("FILE:" or "FILE:level N:"), line, kind and message.
std::string FormatFinding(const std::string& where, const TLintFinding& finding);

// Lints each file (level text, list file or ".lev" scenario). Findings go to out, one line each
// ("FILE:LINE: error: ..." or "FILE:level N:LINE: warning: ..."), warnings only without quiet,
// then a summary line (with quiet only when there was an error). Returns 1 when an error was
// found, else 0.
int LintFiles(System& system, const std::vector<std::string>& files, bool quiet, std::string& out);

// Whether the sight, flying only right and up from its start, can come within a few pixels of
// (x, y) without touching one of the circles (centre x, centre y, radius) it must keep clear of.
class TSightReach {
 public:
  struct Circle {
    double x, y, r;
  };
  explicit TSightReach(const std::vector<Circle>& avoid);
  bool Reaches(int32_t x, int32_t y) const;

 private:
  std::vector<uint8_t> reached_;
};

// --- Preview ---

// The most ticks a preview runs before it draws: an hour of play at 40 ticks a second (a preview
// runs some thousand ticks a second, so this takes a few minutes at most).
constexpr int64_t kMaxPreviewTicks = 144000;

struct TPreviewOptions {
  // 0 .. kMaxPreviewTicks.
  int64_t ticks = 0;
  bool paths = false;
  uint64_t seed = 1;
};

// Draws the level headless, as the game shows it after `ticks` ticks without input, into an
// 800 x 600 PNG. The pictures come from the current folder as the game reads them. False with a
// reason.
bool PreviewLevel(const TLevelSource& source, const TPreviewOptions& options,
                  const std::string& pngFile, std::string& error);

// --- Playing one level ---

// Plays one level: the game ends at the end of the level or with Escape. With watch, a change of
// the file reloads the level in place (its findings go to stderr), and the end of the level
// starts it again.
class TLevelRun {
 public:
  TLevelRun(std::string argument, bool watch);
  // Reads the level named by the argument; false with a reason. The first read fixes the file
  // as a path, so the game's own folders never change which file is watched.
  bool Read(std::string& error);
  // Starts the level read on a game that has loaded its pictures.
  void Start(TGame& game);
  // Called after every tick; true when the run is over.
  bool AfterTick();

 private:
  struct Stamp {
    std::filesystem::file_time_type time{};
    uintmax_t size = 0;
    bool operator==(const Stamp&) const = default;
  };
  Stamp FileStamp() const;
  void Report() const;

  std::string argument_;
  bool watch_;
  TLevelSource source_;
  std::string path_;
  std::vector<std::string> levels_;
  int first_ = 1;
  TGame* game_ = nullptr;
  int64_t ticks_ = 0;
  Stamp stamp_;
};
