// "vor lint": level texts, list files and scenarios checked with the game's own parser, which
// reports what it skips; the findings read as a compiler's, so editors can jump to them.
#include <algorithm>
#include <cmath>
#include <map>
#include <optional>

#include "app/AuthorTools.h"
#include "app/GameUnit.h"
#include "assets/Bytes.h"
#include "assets/Collections.h"
#include "assets/FileUtils.h"
#include "assets/TextCase.h"
#include "gameplay/LevelReport.h"
#include "gameplay/ScenarioCompiler.h"
#include "gameplay/ScenarioFile.h"
#include "platform/Random.h"

namespace {

// The field the sight flies in: it fires by itself when it leaves it.
constexpr int32_t kFieldLeft = 10, kFieldRight = 790, kFieldTop = 10, kFieldBottom = 590;
constexpr int32_t kSightStartX = 15, kSightStartY = 560;
// Magnet diameters by size; the core (0.8 of the radius) fires the sight.
constexpr double kMagnetDiameters[3] = {100, 76, 50};

// Everything the parser said about one text.
class Findings : public TLevelReport {
 public:
  void KeyRead(const std::string& key, int32_t entry) override {
    keys[key] = entry;
    if (entry >= 0) read.insert(entry);
  }
  void ValueChanged(int32_t entry, const std::string& why) override {
    changes.push_back({entry, why});
  }
  void FormatError(int32_t entry, const std::string& why) override {
    stop = entry;
    stopWhy = why;
  }

  std::map<std::string, int32_t> keys;
  std::set<int32_t> read;
  std::vector<std::pair<int32_t, std::string>> changes;
  int32_t stop = -1;
  std::string stopWhy;
};

// Edit distance with swapped neighbours counted as one edit.
size_t Distance(const std::string& a, const std::string& b) {
  std::vector<std::vector<size_t>> d(a.size() + 1, std::vector<size_t>(b.size() + 1));
  for (size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (size_t i = 1; i <= a.size(); ++i)
    for (size_t j = 1; j <= b.size(); ++j) {
      d[i][j] = std::min(
          {d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
    }
  return d[a.size()][b.size()];
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string Trimmed(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

std::string Point(int32_t x, int32_t y) {
  return "(" + std::to_string(x) + ", " + std::to_string(y) + ")";
}

bool InField(int32_t x, int32_t y) {
  return x >= kFieldLeft && x <= kFieldRight && y >= kFieldTop && y <= kFieldBottom;
}

bool EndsWithIgnoringCase(const std::string& name, std::string_view end) {
  return name.size() >= end.size() &&
         SameFileNameIgnoringCase(std::string_view(name).substr(name.size() - end.size()), end);
}

}  // namespace

// --- The sight's reach ---

namespace {
constexpr int32_t kReachStep = 5;
constexpr int32_t kReachColumns = (kFieldRight - kSightStartX) / kReachStep + 1;
constexpr int32_t kReachRows = (kSightStartY - kFieldTop) / kReachStep + 1;
}  // namespace

// A search over a 5-pixel grid from the start: steps right and up, no flatter than 1 in 8 and no
// steeper than 8 in 1 (speeds 1..9 with some room for steering), each step kept 10 pixels clear of
// every circle to avoid.
TSightReach::TSightReach(const std::vector<Circle>& avoid)
    : reached_(size_t(kReachColumns) * kReachRows, 0) {
  const auto clear = [&](double x, double y) {
    for (const Circle& c : avoid)
      if (std::hypot(x - c.x, y - c.y) <= c.r + 10) return false;
    return true;
  };
  std::vector<std::pair<int32_t, int32_t>> todo{{0, 0}};
  reached_[0] = 1;
  while (!todo.empty()) {
    const auto [a, b] = todo.back();
    todo.pop_back();
    const int32_t x = kSightStartX + a * kReachStep, y = kSightStartY - b * kReachStep;
    for (int32_t da = 0; da <= 8; ++da)
      for (int32_t db = 0; db <= 8; ++db) {
        if (da + db == 0 || db * 8 < da || da * 8 < db) continue;
        const int32_t na = a + da, nb = b + db;
        if (na >= kReachColumns || nb >= kReachRows) continue;
        uint8_t& seen = reached_[size_t(nb) * kReachColumns + na];
        if (seen) continue;
        bool ok = true;
        for (int k = 1; k <= 4 && ok; ++k)
          ok = clear(x + da * kReachStep * k / 4.0, y - db * kReachStep * k / 4.0);
        if (!ok) continue;
        seen = 1;
        todo.push_back({na, nb});
      }
  }
}

bool TSightReach::Reaches(int32_t x, int32_t y) const {
  for (int32_t b = 0; b < kReachRows; ++b)
    for (int32_t a = 0; a < kReachColumns; ++a)
      if (reached_[size_t(b) * kReachColumns + a] &&
          std::hypot(double(kSightStartX + a * kReachStep) - x,
                     double(kSightStartY - b * kReachStep) - y) <= 8)
        return true;
  return false;
}

// --- One level ---

TLevelLint::TLevelLint(System& system) : game_(std::make_unique<TGame>(system)) {
  // The parser itself names every key it knows: it looks them all up in an empty text.
  Findings all;
  const Random saved = GameRandom();
  game_->ParseLevel(std::string(), &all);
  GameRandom() = saved;
  for (const auto& [key, entry] : all.keys) known_.insert(key);
}

TLevelLint::~TLevelLint() = default;

std::vector<TLintFinding> TLevelLint::CheckLevelFile(const std::string& text) {
  // The compiler keeps the lines holding "=", which become the stored level's lines.
  std::vector<int32_t> lines;
  const std::vector<std::string> all = TextLines(text);
  for (size_t i = 0; i < all.size(); ++i)
    if (all[i].find('=') != std::string::npos) lines.push_back(int32_t(i + 1));
  return Check(CompileLevelText(text), lines);
}

std::vector<TLintFinding> TLevelLint::CheckStoredLevel(const std::string& stored) {
  std::vector<int32_t> lines;
  for (size_t pos = 0, n = 1; pos < stored.size(); ++n) {
    lines.push_back(int32_t(n));
    pos = std::min(stored.find('\r', pos), stored.size()) + 1;
  }
  return Check(stored, lines);
}

std::vector<TLintFinding> TLevelLint::Check(const std::string& stored,
                                            const std::vector<int32_t>& lines) {
  TIndexCollection pairs;
  SplitLevelText(stored, pairs);
  // The line of each pair: the stored pieces that hold "=", in order.
  std::vector<int32_t> pairLine;
  {
    size_t pos = 0, piece = 0;
    while (pos < stored.size()) {
      const size_t end = std::min(stored.find('\r', pos), stored.size());
      if (stored.find('=', pos) < end)
        pairLine.push_back(piece < lines.size() ? lines[piece] : int32_t(piece + 1));
      pos = end + 1;
      ++piece;
    }
  }
  const auto lineOf = [&](int32_t entry) {
    return entry >= 0 && size_t(entry) < pairLine.size() ? pairLine[size_t(entry)] : 1;
  };

  Findings f;
  TGame& g = *game_;
  {
    // Linting draws no numbers from the game's generator, so a run that lints stays as it was.
    const Random saved = GameRandom();
    g.ParseLevel(stored, &f);
    GameRandom() = saved;
  }

  std::vector<TLintFinding> out;
  const auto add = [&](int32_t line, bool error, std::string message) {
    out.push_back({line, error, std::move(message)});
  };
  const auto keyLine = [&](const std::string& key) {
    const auto it = f.keys.find(key);
    return it != f.keys.end() && it->second >= 0 ? lineOf(it->second) : 0;
  };

  if (f.stop >= 0)
    add(lineOf(f.stop), true,
        f.stopWhy +
            ": the game stops reading the level here and plays it with the defaults for "
            "everything after");
  for (const auto& [entry, why] : f.changes) add(lineOf(entry), false, why);

  for (int32_t i = 0; i < pairs.Count(); ++i) {
    const std::string key = pairs.GetKey(i), value = pairs.GetValue(i);
    const int32_t line = lineOf(i);
    if (!known_.count(key)) {
      const std::string trimmed = Trimmed(key);
      if (trimmed != key && known_.count(trimmed)) {
        add(line, false,
            "blank around the key '" + key + "': the game knows only " + trimmed +
                ", so this line does nothing");
        continue;
      }
      std::string message = key.empty() ? "a line with no key before '='" : "unknown key " + key;
      // Slot numbers beyond ten: the property is right, the number is not.
      const size_t bar = key.find('_');
      if (bar != std::string::npos && bar > 1 && (key[0] == 'T' || key[0] == 'M') &&
          key.find_first_not_of("0123456789", 1) == bar &&
          known_.count(key.substr(0, 1) + "1" + key.substr(bar))) {
        message +=
            std::string(": ") + (key[0] == 'T' ? "targets" : "magnets") + " are numbered 1 to 10";
      } else if (!key.empty()) {
        const std::string* nearest = nullptr;
        size_t best = key.size() >= 6 ? 3 : 2;
        for (const std::string& k : known_)
          if (const size_t d = Distance(key, k); d < best) {
            best = d;
            nearest = &k;
          }
        if (nearest) message += "; did you mean " + *nearest + "?";
      }
      add(line, false, message);
      continue;
    }
    const int32_t first = pairs.FindKey(key);
    if (first != i) {
      add(line, false,
          key + " is given again; the first, on line " + std::to_string(lineOf(first)) +
              ", counts");
      continue;
    }
    if (!value.empty() && IsBlank(value[0]))
      add(line, false,
          "blank after '=' in " + key + " is part of the value '" + value +
              "' (a flag that starts with a blank is on)");
  }

  // Where the targets and magnets stand, as the level starts.
  const auto slotLine = [&](char kind, int slot, std::initializer_list<const char*> properties) {
    for (const char* p : properties)
      if (const int32_t l = keyLine(kind + std::to_string(slot) + "_" + p)) return l;
    return 1;
  };
  std::vector<TSightReach::Circle> cores;
  for (int i = 1; i <= kMagnetSlots; ++i) {
    const TMagnetRec& m = g.Magnets[i];
    if (!m.VISIBLE) continue;
    const double radius = kMagnetDiameters[m.SIZE <= 2 ? m.SIZE : 0] / 2;
    const std::string name = "M" + std::to_string(i);
    const int32_t line = slotLine('M', i, {"X", "Y", "VISIBLE"});
    if (m.X < 0 || m.X > 800 || m.Y < 0 || m.Y > 600)
      add(line, false, name + " at " + Point(m.X, m.Y) + " is outside the 800 x 600 field");
    if (std::hypot(double(m.X) - kSightStartX, double(m.Y) - kSightStartY) < 0.8 * radius + 1)
      add(line, false,
          name + "'s core covers the sight's start " + Point(kSightStartX, kSightStartY) +
              ": the sight fires at once, every time");
    if (m.PHAZE1 < 0 || m.PHAZE1 > 29)
      add(slotLine('M', i, {"PHAZE1"}), false,
          name + "_PHAZE1=" + std::to_string(m.PHAZE1) + " is outside the frames 0..29");
    cores.push_back({double(m.X), double(m.Y), 0.8 * radius});
  }
  // The search is the costly part: made only when a target asks.
  std::optional<TSightReach> reach;

  bool needed = false, canFinish = false;
  int32_t unseenLine = 0;
  std::string unseen;
  for (int i = 1; i <= kTargetSlots; ++i) {
    const TTargetRec& t = g.Targets[i];
    const std::string name = "T" + std::to_string(i);
    if (!t.VISIBLE) continue;
    // Where it stands: its start, then the points of its path that it visits.
    std::vector<std::pair<int32_t, int32_t>> places{{t.X, t.Y}};
    bool inField = InField(t.X, t.Y), reached = false;
    const int32_t at = slotLine('T', i, {"X", "Y", "VISIBLE"});
    if (!inField)
      add(at, false,
          name + " at " + Point(t.X, t.Y) + " is outside the field the sight flies in (x " +
              std::to_string(kFieldLeft) + ".." + std::to_string(kFieldRight) + ", y " +
              std::to_string(kFieldTop) + ".." + std::to_string(kFieldBottom) + ")");
    if (t.GOTYPE != 0)
      for (int k = 0; k < kPathPoints && (k == 0 || t.COORDARRAY[k].n != 0); ++k) {
        const TPathPoint& p = t.COORDARRAY[k];
        places.push_back({p.x, p.y});
        if (InField(p.x, p.y))
          inField = true;
        else
          add(slotLine('T', i, {"COORDARRAY", "GOTYPE"}), false,
              name + "'s path point " + std::to_string(k) + " " + Point(p.x, p.y) +
                  " is outside the field the sight flies in");
      }
    const bool hittable = t.TYPE != 6 && inField;
    for (const auto& [x, y] : places) {
      if (reached || !hittable || !InField(x, y)) continue;
      if (!reach) reach.emplace(cores);
      reached = reach->Reaches(x, y);
    }
    if (hittable && !reached)
      add(at, false,
          name + " at " + Point(t.X, t.Y) +
              " is out of the sight's reach: it flies only right and up from " +
              Point(kSightStartX, kSightStartY) +
              ", no flatter than 1 in 8 nor steeper than 8 in 1");
    if (!t.NEEDHIT) continue;
    needed = true;
    if (hittable) {
      canFinish = true;
    } else {
      if (!unseenLine) unseenLine = slotLine('T', i, {"NEEDHIT"});
      unseen += (unseen.empty() ? "" : ", ") + name +
                (t.TYPE == 6 ? " falls at once (TYPE=6)" : " never enters the field");
      if (t.TYPE == 6)
        add(slotLine('T', i, {"TYPE"}), false,
            name + " falls at once (TYPE=6) and can never be hit; it should not need a hit");
    }
  }
  if (!needed) {
    // An invisible target marked to be hit is the likely slip.
    int32_t line = 1;
    for (int i = 10; i >= 1; --i)
      if (g.Targets[i].NEEDHIT) line = slotLine('T', i, {"NEEDHIT"});
    add(line, true,
        "no visible target needs a hit (VISIBLE=1 with NEEDHIT=1): the level ends at once" +
            (f.stop >= 0 ? " (the reading stopped on line " + std::to_string(lineOf(f.stop)) + ")"
                         : std::string()));
  } else if (!canFinish) {
    add(unseenLine, true,
        "no target that needs a hit can ever be hit (" + unseen +
            "): the level cannot be played as meant");
  }
  std::stable_sort(out.begin(), out.end(),
                   [](const TLintFinding& a, const TLintFinding& b) { return a.line < b.line; });
  return out;
}

// --- Files ---

namespace {

bool IsListFile(const std::string& name, const std::string& text) {
  if (EndsWithIgnoringCase(name, ".list") || EndsWithIgnoringCase(name, ".lst")) return true;
  bool namesFile = false;
  for (const std::string& line : TextLines(text)) {
    if (line.find('=') != std::string::npos) return false;
    std::string path;
    namesFile = namesFile || ListedLevelFile(line, path);
  }
  return namesFile;
}

class LintRun {
 public:
  LintRun(System& system, bool quiet, std::string& out) : lint_(system), quiet_(quiet), out_(out) {}

  void File(const std::string& name) {
    std::string bytes;
    if (!ReadFileQuietly(ResolveFileName(name), bytes)) {
      Emit(name + ":", {1, true, FileExists(name) ? "cannot read the file" : "no such file"});
      return;
    }
    if (EndsWithIgnoringCase(name, ".lev"))
      Scenario(name, bytes);
    else if (IsListFile(name, bytes))
      List(name, bytes);
    else
      Level(name, bytes);
  }

  int Finish() {
    if (!quiet_ || errors_ > 0)
      out_ += "vor lint: " + Count(errors_, "error") + ", " + Count(warnings_, "warning") + "\n";
    return errors_ > 0 ? 1 : 0;
  }

 private:
  static std::string Count(int n, const char* what) {
    return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
  }

  void Emit(const std::string& where, const TLintFinding& f) {
    (f.error ? errors_ : warnings_)++;
    if (!quiet_ || f.error) out_ += FormatFinding(where, f) + "\n";
  }

  void Level(const std::string& name, const std::string& text) {
    for (const TLintFinding& f : lint_.CheckLevelFile(text)) Emit(name + ":", f);
  }

  void Scenario(const std::string& name, const std::string& bytes) {
    std::vector<std::string> levels;
    if (!SplitScenario(bytes, levels)) {
      Emit(name + ":", {1, true,
                        "not a scenario file: shorter than its 768-byte header, or its table of "
                        "levels points outside the file"});
      return;
    }
    if (levels.empty()) {
      Emit(name + ":", {1, true, "the scenario holds no levels: the game will not start it"});
      return;
    }
    if (ReadInt32At(bytes, 0) > kMaxScenarioLevels)
      Emit(name + ":", {1, false,
                        std::to_string(ReadInt32At(bytes, 0)) +
                            " levels are stored; the game plays the first 100"});
    for (size_t n = 0; n < levels.size(); ++n)
      for (const TLintFinding& f : lint_.CheckStoredLevel(levels[n]))
        Emit(name + ":level " + std::to_string(n + 1) + ":", f);
  }

  void List(const std::string& name, const std::string& text) {
    const std::vector<std::string> lines = TextLines(text);
    int levels = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
      if (Trimmed(lines[i]).empty()) continue;
      std::string path;
      if (!ListedLevelFile(lines[i], path)) {
        Emit(name + ":", {int32_t(i + 1), true,
                          "no level file '" + lines[i] +
                              "' (names are read from the folder compile runs in): compile leaves "
                              "this level out"});
        continue;
      }
      ++levels;
      std::string level;
      if (!ReadFileQuietly(path, level))
        Emit(lines[i] + ":", {1, true, "cannot read the file"});
      else
        Level(lines[i], level);
    }
    if (levels == 0)
      Emit(name + ":",
           {1, true, "the list names no level file: the scenario would hold no levels"});
    else if (levels > kMaxScenarioLevels)
      Emit(name + ":",
           {1, false, std::to_string(levels) + " levels are listed; the game plays the first 100"});
  }

  TLevelLint lint_;
  bool quiet_;
  std::string& out_;
  int errors_ = 0, warnings_ = 0;
};

}  // namespace

std::string FormatFinding(const std::string& where, const TLintFinding& finding) {
  return where + std::to_string(finding.line) + (finding.error ? ": error: " : ": warning: ") +
         finding.message;
}

int LintFiles(System& system, const std::vector<std::string>& files, bool quiet, std::string& out) {
  LintRun run(system, quiet, out);
  for (const std::string& file : files) run.File(file);
  return run.Finish();
}
