// "vor lint": level texts, list files and scenarios checked with the game's own parser, which
// reports what it skips; the findings read as a compiler's, so editors can jump to them.
#include <algorithm>
#include <cmath>
#include <map>
#include <optional>

#include "authoring/AuthorTools.h"
#include "game/GameUnit.h"
#include "base/Bytes.h"
#include "assets/Collections.h"
#include "assets/FileUtils.h"
#include "base/TextCase.h"
#include "gameplay/LevelReport.h"
#include "gameplay/ScenarioCompiler.h"
#include "gameplay/ScenarioFile.h"
#include "base/TextNumbers.h"
#include "base/Cp1251.h"
#include "base/Random.h"

namespace {

// The field the sight flies in (it fires by itself when it leaves it) and its start, as the
// sight's own code has them.
constexpr int32_t kFieldLeft = int32_t(kSightFieldLeft), kFieldRight = int32_t(kSightFieldRight);
constexpr int32_t kFieldTop = int32_t(kSightFieldTop), kFieldBottom = int32_t(kSightFieldBottom);
constexpr int32_t kStartX = int32_t(kSightStartX), kStartY = int32_t(kSightStartY);
// The flattest climb steering keeps on normal difficulty: the top speed against the lowest.
constexpr int32_t kReachRatio = int32_t(kSightMaxSpeed / SightSpeedFloor(0));
// How far from its point a target can be hit at most: the biggest circle (and the hit test's 1
// more), from the sight's last step beyond the field, where it fires.
constexpr double kFarthestHit = TargetRadius(0) + 1 + kSightMaxSpeed;
// A magnet that takes the launched sight within this many frames (half a second) leaves the
// player no time to steer away.
constexpr int kCaptureFrames = 20;

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
  return SightFieldHolds(float(x), float(y));
}

// Whether a shot can ever land within the biggest circle of (x, y).
bool NearField(double x, double y) {
  const double dx = std::max({kFieldLeft - x, 0.0, x - kFieldRight});
  const double dy = std::max({kFieldTop - y, 0.0, y - kFieldBottom});
  return std::hypot(dx, dy) < kFarthestHit;
}

// Whether a glide from a to b comes near the field somewhere on the way (sampled every 5 pixels,
// at most 4000 times).
bool GlidesNear(double ax, double ay, double bx, double by) {
  const double steps = std::min(4000.0, std::hypot(bx - ax, by - ay) / 5 + 1);
  for (double s = 0; s <= steps; ++s)
    if (NearField(ax + (bx - ax) * s / steps, ay + (by - ay) * s / steps)) return true;
  return false;
}

bool StartsWith(std::string_view s, std::string_view start) {
  return s.substr(0, start.size()) == start;
}

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// Whether the bytes are UTF-8 with at least one letter beyond ASCII; first is where that letter
// starts.
bool IsUtf8Text(std::string_view s, size_t& first) {
  bool any = false;
  for (size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    const size_t n = c < 0x80 ? 1 : c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3
                                    : c >= 0xF0 && c <= 0xF4                 ? 4
                                                                             : 0;
    if (n == 0 || i + n > s.size()) return false;
    for (size_t k = 1; k < n; ++k)
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    if (n > 1 && !any) {
      any = true;
      first = i;
    }
    i += n;
  }
  return any;
}

// Why bytes cannot be a text of the game (a level or a list), or empty: UTF-16, or zero bytes.
std::string NotAText(const std::string& bytes) {
  const auto at = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
  if (bytes.size() >= 2 && ((at(0) == 0xFF && at(1) == 0xFE) || (at(0) == 0xFE && at(1) == 0xFF)))
    return "it is UTF-16 text (it starts with a UTF-16 byte order mark), two or more bytes a "
           "letter, and the game reads one byte a letter (cp1251): save it as cp1251 "
           "(Windows-1251)";
  const size_t zero = bytes.find('\0');
  if (zero == std::string::npos) return {};
  // UTF-16 without a mark: every other byte of plain letters is zero.
  size_t odd = 0, even = 0;
  const size_t probe = std::min<size_t>(bytes.size(), 256);
  for (size_t i = 0; i < probe; ++i) (i % 2 ? odd : even) += bytes[i] == '\0';
  if (probe >= 8 && std::max(odd, even) * 4 >= probe && std::min(odd, even) * 8 < std::max(odd, even))
    return "it looks like UTF-16 text (every other byte is zero), and the game reads one byte a "
           "letter (cp1251): save it as cp1251 (Windows-1251)";
  return "it holds a zero byte (at offset " + std::to_string(zero) +
         "), as binary files do; a level text holds only KEY=value lines";
}

bool EndsWithIgnoringCase(const std::string& name, std::string_view end) {
  return name.size() >= end.size() &&
         SameFileNameIgnoringCase(std::string_view(name).substr(name.size() - end.size()), end);
}

}  // namespace

// --- The sight's reach ---

namespace {
constexpr int32_t kReachStep = 5;
constexpr int32_t kReachColumns = (kFieldRight - kStartX) / kReachStep + 1;
constexpr int32_t kReachRows = (kStartY - kFieldTop) / kReachStep + 1;
}  // namespace

// A search over a 5-pixel grid from the start: steps right and up, no flatter and no steeper than
// the top speed against the lowest one steering keeps (the sight's own rule), each step kept 10
// pixels clear of every circle to avoid.
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
    const int32_t x = kStartX + a * kReachStep, y = kStartY - b * kReachStep;
    for (int32_t da = 0; da <= kReachRatio; ++da)
      for (int32_t db = 0; db <= kReachRatio; ++db) {
        if (da + db == 0 || db * kReachRatio < da || da * kReachRatio < db) continue;
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
          std::hypot(double(kStartX + a * kReachStep) - x,
                     double(kStartY - b * kReachStep) - y) <= 8)
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

namespace {

// Parses the stored level on the lint's game at a difficulty, without a report and without
// drawing from the game's generator.
void ParseAt(TGame& g, const std::string& stored, uint8_t difficulty) {
  const Random saved = GameRandom();
  g.Difficulty = difficulty;
  g.ParseLevel(stored);
  g.Difficulty = 0;
  GameRandom() = saved;
}

// Launches the sight on the parsed level with no steering and runs the sight's own flight until
// it fires; the frame on which a magnet's core fired it, and that magnet, or 0 when none did
// within kCaptureFrames frames. Changes the game's level records.
int CaptureFrame(TGame& g, int& magnet) {
  const Random saved = GameRandom();
  g.ResetSight();
  g.SightActive = 1;
  int frame = 0;
  for (int f = 1; f <= kCaptureFrames && !frame; ++f) {
    float x, y;
    g.NextSightPoint(x, y);
    g.MoveSight();
    if (g.SightActive) continue;
    // Fired: by leaving the field (tested first), else by a core.
    if (SightFieldHolds(x, y) && (magnet = g.MagnetCoreAt(x, y)) != 0) frame = f;
    break;
  }
  GameRandom() = saved;
  return frame;
}

std::string JoinNames(const std::vector<std::string>& names) {
  std::string s;
  for (size_t i = 0; i < names.size(); ++i)
    s += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + names[i];
  return s;
}

}  // namespace

namespace {

// One check of one stored level: the parse's findings, the file lines they point at, and what
// the checks find, in the order they are made.
class LevelCheck {
 public:
  LevelCheck(TGame& game, const std::set<std::string>& known, const std::string& stored,
             const std::vector<int32_t>& lines)
      : g_(game), known_(known), stored_(stored), lines_(lines) {
    SplitLevelText(stored, pairs_);
    // The line of each pair: the stored pieces that hold "=".
    size_t pos = 0, piece = 0;
    while (pos < stored.size()) {
      const size_t end = std::min(stored.find('\r', pos), stored.size());
      if (stored.find('=', pos) < end) pairLine_.push_back(PieceLine(piece));
      pos = end + 1;
      ++piece;
    }
    // Linting draws no numbers from the game's generator, so a run that lints stays as it was.
    const Random saved = GameRandom();
    g_.ParseLevel(stored, &f_);
    GameRandom() = saved;
  }

  std::vector<TLintFinding> Run() {
    Encoding();
    Stop();
    for (const auto& [entry, why] : f_.changes) Add(LineOf(entry), false, why);
    Keys();
    SlotsWithoutVisible();
    Magnets();
    Targets();
    Difficulties();
    std::stable_sort(out_.begin(), out_.end(),
                     [](const TLintFinding& a, const TLintFinding& b) { return a.line < b.line; });
    return std::move(out_);
  }

 private:
  // The file line of a stored piece.
  int32_t PieceLine(size_t piece) const {
    return piece < lines_.size() ? lines_[piece] : int32_t(piece + 1);
  }
  int32_t LineOf(int32_t entry) const {
    return entry >= 0 && size_t(entry) < pairLine_.size() ? pairLine_[size_t(entry)] : 1;
  }
  // The line of a key the parser read; 0 when it read none.
  int32_t KeyLine(const std::string& key) const {
    const auto it = f_.keys.find(key);
    return it != f_.keys.end() && it->second >= 0 ? LineOf(it->second) : 0;
  }
  // The line of the first of a slot's properties the parser read; 1 when none.
  int32_t SlotLine(char kind, int slot, std::initializer_list<const char*> properties) const {
    for (const char* p : properties)
      if (const int32_t l = KeyLine(kind + std::to_string(slot) + "_" + p)) return l;
    return 1;
  }
  void Add(int32_t line, bool error, std::string message) {
    out_.push_back({line, error, std::move(message)});
  }

  // The text's encoding: the game reads one byte a letter, cp1251.
  void Encoding() {
    const bool marked = StartsWith(stored_, kUtf8Mark);
    if (size_t first;
        IsUtf8Text(std::string_view(stored_).substr(marked ? kUtf8Mark.size() : 0), first)) {
      first += marked ? kUtf8Mark.size() : 0;
      size_t end = first;
      while (end < stored_.size() && end - first < 24 &&
             static_cast<unsigned char>(stored_[end]) >= 0x80)
        ++end;
      while (end > first && end < stored_.size() &&
             (static_cast<unsigned char>(stored_[end]) & 0xC0) == 0x80)
        --end;
      const std::string word = stored_.substr(first, end - first);
      Add(PieceLine(size_t(std::count(stored_.begin(), stored_.begin() + ptrdiff_t(first), '\r'))),
          false,
          "the text is UTF-8, but the game reads level texts as cp1251, one byte a letter: '" +
              word + "' shows as '" + Cp1251ToUtf8(word) +
              "'; save the file as cp1251 (Windows-1251)");
    }
    // A UTF-8 mark is read as the start of the first key.
    if (marked && pairs_.Count() > 0 && StartsWith(pairs_.GetKey(0), kUtf8Mark)) {
      markedKey_ = true;
      const std::string key = pairs_.GetKey(0).substr(kUtf8Mark.size());
      Add(LineOf(0), false,
          "the file starts with a UTF-8 byte order mark, which the game reads as part of the "
          "first key: " +
              key + (known_.count(key) ? " on this line does nothing" : " is not what it seems") +
              "; save the file without the mark, as cp1251 (Windows-1251)");
    }
  }

  // Where the parse stopped: every key it would look up later keeps its default, wherever the
  // file has it.
  void Stop() {
    if (f_.stop < 0) return;
    std::vector<std::string> skipped;
    int32_t count = 0;
    for (int32_t i = 0; i < pairs_.Count(); ++i) {
      const std::string key = pairs_.GetKey(i);
      if (!known_.count(key) || pairs_.FindKey(key) != i || f_.keys.count(key)) continue;
      if (++count <= 4) skipped.push_back(key + " (line " + std::to_string(LineOf(i)) + ")");
    }
    if (count > 4) skipped.push_back(std::to_string(count - 4) + " more");
    Add(LineOf(f_.stop), true,
        f_.stopWhy +
            ": the game stops reading the level here; the keys it reads after this one (its "
            "order is the level keys, T1 to T10, M1 to M10, not the file's) keep their defaults" +
            (count > 0 ? "; not read: " + JoinNames(skipped) : std::string()));
  }

  // Keys the game does not know, and keys given again.
  void Keys() {
    for (int32_t i = 0; i < pairs_.Count(); ++i) {
      const std::string key = pairs_.GetKey(i);
      if (!known_.count(key)) {
        if (i != 0 || !markedKey_) UnknownKey(key, LineOf(i));
        continue;
      }
      const int32_t first = pairs_.FindKey(key);
      if (first != i)
        Add(LineOf(i), false,
            key + " is given again; the first, on line " + std::to_string(LineOf(first)) +
                ", counts");
    }
  }

  void UnknownKey(const std::string& key, int32_t line) {
    const std::string trimmed = Trimmed(key);
    if (trimmed != key && known_.count(trimmed)) {
      Add(line, false,
          "blank around the key '" + key + "': the game knows only " + trimmed +
              ", so this line does nothing");
      return;
    }
    std::string message = key.empty() ? "a line with no key before '='" : "unknown key " + key;
    // Slot numbers beyond ten: the property is right, the number is not.
    const size_t bar = key.find('_');
    if (bar != std::string::npos && bar > 1 && (key[0] == 'T' || key[0] == 'M') &&
        key.find_first_not_of("0123456789", 1) == bar &&
        known_.count(key.substr(0, 1) + "1" + key.substr(bar))) {
      message +=
          std::string(": ") + (key[0] == 'T' ? "targets" : "magnets") + " are numbered 1 to 10";
    } else if (!key.empty() && key.size() <= 64) {
      const std::string* nearest = nullptr;
      size_t best = key.size() >= 6 ? 3 : 2;
      for (const std::string& k : known_)
        if (const size_t d = Distance(key, k); d < best) {
          best = d;
          nearest = &k;
        }
      if (nearest) message += "; did you mean " + *nearest + "?";
    }
    Add(line, false, message);
  }

  // A slot whose keys are given without its VISIBLE is not in the level.
  void SlotsWithoutVisible() {
    for (const char kind : {'T', 'M'})
      for (int i = 1; i <= 10; ++i) {
        const std::string prefix = kind + std::to_string(i) + "_";
        if (pairs_.FindKey(prefix + "VISIBLE") >= 0) continue;
        for (int32_t k = 0; k < pairs_.Count(); ++k)
          if (StartsWith(pairs_.GetKey(k), prefix) && known_.count(pairs_.GetKey(k))) {
            Add(LineOf(k), false,
                prefix.substr(0, prefix.size() - 1) + " has keys but no " + prefix +
                    "VISIBLE: the " + (kind == 'T' ? "target" : "magnet") +
                    " is not in the level (" + prefix + "VISIBLE=1 puts it there)");
            break;
          }
      }
  }

  // Where the magnets stand as the level starts, and the cores the sight must keep clear of.
  void Magnets() {
    for (int i = 1; i <= kMagnetSlots; ++i) {
      const TMagnetRec& m = g_.Magnets[i];
      if (!m.VISIBLE) continue;
      const std::string name = "M" + std::to_string(i);
      const int32_t line = SlotLine('M', i, {"X", "Y", "VISIBLE"});
      if (m.X < 0 || m.X > kScreenWidth || m.Y < 0 || m.Y > kScreenHeight)
        Add(line, false,
            name + " at " + Point(m.X, m.Y) + " is outside the " + std::to_string(kScreenWidth) +
                " x " + std::to_string(kScreenHeight) + " field");
      if (MagnetDistance(m, kStartX, kStartY) < MagnetCoreRadius(m) + 1) {
        startCovered_ = true;
        Add(line, false,
            name + "'s core covers the sight's start " + Point(kStartX, kStartY) +
                ": the sight fires at once, every time");
      }
      if (m.PHAZE1 < 0 || m.PHAZE1 >= kMagnetFrames)
        Add(SlotLine('M', i, {"PHAZE1"}), false,
            name + "_PHAZE1=" + std::to_string(m.PHAZE1) + " is outside the frames 0.." +
                std::to_string(kMagnetFrames - 1));
      cores_.push_back({double(m.X), double(m.Y), MagnetCoreRadius(m)});
    }
  }

  // Where each target stands and goes, whether the sight can reach it, and whether the level can
  // be finished.
  void Targets() {
    bool needed = false, canFinish = false, neverNear = false;
    std::vector<std::string> falling;
    int32_t fallingLine = 0;
    for (int i = 1; i <= kTargetSlots; ++i) {
      const TTargetRec& t = g_.Targets[i];
      if (!t.VISIBLE) continue;
      const std::string name = "T" + std::to_string(i);
      const bool near = Target(i, t, name);
      if (!t.NEEDHIT) continue;
      needed = true;
      if (t.TYPE == 6) {
        // A falling target vanishes after its fall: the level goes on without it.
        falling.push_back(name);
        if (!fallingLine) fallingLine = SlotLine('T', i, {"TYPE"});
        Add(SlotLine('T', i, {"TYPE"}), false,
            name + " falls at once (TYPE=6) and vanishes: it can never be hit, and needs no hit");
      } else if (!near) {
        neverNear = true;
        Add(SlotLine('T', i, {"NEEDHIT"}), true,
            name + " needs a hit but never comes near the field the sight flies in: the level "
                   "can never be finished");
      } else {
        canFinish = true;
      }
    }
    if (!needed) {
      // An invisible target marked to be hit is the likely slip.
      int32_t line = 1;
      for (int i = kTargetSlots; i >= 1; --i)
        if (g_.Targets[i].NEEDHIT) line = SlotLine('T', i, {"NEEDHIT"});
      Add(line, true,
          "no visible target needs a hit (VISIBLE=1 with NEEDHIT=1): the level ends at once" +
              (f_.stop >= 0 ? " (the reading stopped on line " + std::to_string(LineOf(f_.stop)) + ")"
                            : std::string()));
    } else if (!canFinish && !neverNear) {
      Add(fallingLine, true,
          "every target that needs a hit falls at once (" + JoinNames(falling) +
              "): the level ends after ten frames");
    }
  }

  // One visible target: its place and path, and the sight's reach. Whether it ever comes near
  // the field.
  bool Target(int i, const TTargetRec& t, const std::string& name) {
    const int32_t at = SlotLine('T', i, {"X", "Y", "VISIBLE"});
    // Where it stands: its start, then the points of its path that it visits.
    std::vector<std::pair<int32_t, int32_t>> places{{t.X, t.Y}};
    bool inField = InField(t.X, t.Y), near = NearField(t.X, t.Y);
    if (!inField)
      Add(at, false,
          name + " at " + Point(t.X, t.Y) + " is outside the field the sight flies in (x " +
              std::to_string(kFieldLeft) + ".." + std::to_string(kFieldRight) + ", y " +
              std::to_string(kFieldTop) + ".." + std::to_string(kFieldBottom) + ")");
    const std::string pathKey = name + "_COORDARRAY";
    const int32_t pathEntry = pairs_.FindKey(pathKey);
    if (t.GOTYPE == 0 && pathEntry >= 0)
      Add(LineOf(pathEntry), false,
          pathKey + " is given but " + name + "_GOTYPE is " +
              (pairs_.FindKey(name + "_GOTYPE") >= 0 ? "0" : "missing") +
              ": the target stands still (GOTYPE=1 glides along the path, 2 jumps)");
    if (t.GOTYPE != 0) Path(i, t, name, pathEntry, places, inField, near);

    const bool hittable = t.TYPE != 6 && inField;
    bool reached = false;
    for (const auto& [x, y] : places) {
      if (reached || !hittable || !InField(x, y)) continue;
      // The search is the costly part: made only when a target asks.
      if (!reach_) reach_.emplace(cores_);
      reached = reach_->Reaches(x, y);
    }
    if (hittable && !reached)
      Add(at, false,
          name + " at " + Point(t.X, t.Y) +
              " is out of the sight's reach: it flies only right and up from " +
              Point(kStartX, kStartY) + ", no flatter than 1 in " + std::to_string(kReachRatio) +
              " nor steeper than " + std::to_string(kReachRatio) + " in 1");
    return near;
  }

  // The path of a moving target: its points' frame counts, where it ends, the points it visits
  // (added to places), whether one of them is in the field and whether it comes near it.
  void Path(int i, const TTargetRec& t, const std::string& name, int32_t pathEntry,
            std::vector<std::pair<int32_t, int32_t>>& places, bool& inField, bool& near) {
    const int32_t pathLine = SlotLine('T', i, {"COORDARRAY", "GOTYPE"});
    const int last = LastPathPoint(t);
    // The points written: the path's value holds one more than its ":".
    const std::string value = pathEntry >= 0 ? pairs_.GetValue(pathEntry) : std::string();
    const int written = std::min<int>(
        kPathPoints, int(std::count(value.begin(), value.end(), ':')) + (value.empty() ? 0 : 1));
    for (int k = 0; k <= last; ++k) {
      const TPathPoint& p = t.COORDARRAY[k];
      if (p.n <= 0 && k < written)
        Add(pathLine, false,
            name + "'s path point " + std::to_string(k) + " has n=" + std::to_string(p.n) +
                (t.GOTYPE == 1 ? ": the target glides there in a single frame"
                               : ": the target waits there only one frame"));
    }
    if (last + 1 < written)
      Add(pathLine, false,
          name + "'s path point " + std::to_string(last + 1) +
              " has n=0, which ends the path: the target never goes to point" +
              (last + 2 < written
                   ? "s " + std::to_string(last + 1) + ".." + std::to_string(written - 1)
                   : " " + std::to_string(last + 1)));
    for (int k = 0; k <= last; ++k) {
      const TPathPoint& p = t.COORDARRAY[k];
      places.push_back({p.x, p.y});
      if (InField(p.x, p.y))
        inField = true;
      else
        Add(pathLine, false,
            name + "'s path point " + std::to_string(k) + " " + Point(p.x, p.y) +
                " is outside the field the sight flies in");
      near = near || NearField(p.x, p.y);
    }
    if (t.GOTYPE != 1) return;
    // A glide passes the field between two points outside it: from the start to the point after
    // point 0, then from each point to the next, as the game moves it.
    const TPathPoint* p = t.COORDARRAY;
    const TPathPoint& second = p[NextPathPoint(t, 0)];
    near = near || GlidesNear(t.X, t.Y, second.x, second.y);
    for (int k = 0; k <= last && !near; ++k) {
      const TPathPoint& next = p[NextPathPoint(t, k)];
      near = GlidesNear(p[k].x, p[k].y, next.x, next.y);
    }
  }

  // The rules that need the level on every difficulty, and the sight's own flight.
  void Difficulties() {
    std::vector<std::string> early, captured;
    int captureFrame = 0, captureMagnet = 0;
    for (uint8_t d = 0; d < 3; ++d) {
      ParseAt(g_, stored_, d);
      if (g_.TimeLimitOn && g_.TimeCounter <= 1) early.push_back(kDifficultyNames[d]);
      int magnet = 0;
      if (!startCovered_)
        if (const int frame = CaptureFrame(g_, magnet)) {
          captured.push_back(kDifficultyNames[d]);
          if (!captureFrame || frame < captureFrame) {
            captureFrame = frame;
            captureMagnet = magnet;
          }
        }
    }
    if (!early.empty()) {
      const int32_t line = KeyLine("TIMELIMIT") ? KeyLine("TIMELIMIT") : KeyLine("ISTIME");
      Add(line ? line : 1, false,
          "the time limit runs out on the first frame" +
              (early.size() < 3 ? " on " + JoinNames(early) : std::string()) + " (TIMELIMIT=" +
              std::to_string(ParseTextInt(pairs_.GetValue(pairs_.FindKey("TIMELIMIT")))) +
              " with ISTIME on): it costs three bullets at once, and again every 1500 frames");
    }
    if (captureMagnet) {
      const std::string name = "M" + std::to_string(captureMagnet);
      Add(SlotLine('M', captureMagnet, {"X", "Y", "VISIBLE"}), false,
          name + " pulls the sight into its core " + std::to_string(captureFrame) +
              (captureFrame == 1 ? " frame" : " frames") + " after a launch without steering" +
              (captured.size() < 3 ? " (on " + JoinNames(captured) + ")" : std::string()) +
              ", too soon to steer away: the shot is wasted");
    }
  }

  TGame& g_;
  const std::set<std::string>& known_;
  const std::string& stored_;
  const std::vector<int32_t>& lines_;
  TIndexCollection pairs_;
  std::vector<int32_t> pairLine_;
  Findings f_;
  std::vector<TLintFinding> out_;
  bool markedKey_ = false;
  bool startCovered_ = false;
  std::vector<TSightReach::Circle> cores_;
  std::optional<TSightReach> reach_;
};

}  // namespace

std::vector<TLintFinding> TLevelLint::Check(const std::string& stored,
                                            const std::vector<int32_t>& lines) {
  return LevelCheck(*game_, known_, stored, lines).Run();
}

// --- Files ---

namespace {

// A text without "=" that names at least one existing file.
bool IsListFile(const std::string& text) {
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
    if (EndsWithIgnoringCase(name, ".lev")) {
      Scenario(name, bytes);
      return;
    }
    const bool list = EndsWithIgnoringCase(name, ".list") || EndsWithIgnoringCase(name, ".lst");
    if (const std::string why = NotAText(bytes); !why.empty())
      Emit(name + ":", {1, true, (list ? "not a list file: " : "not a level text: ") + why});
    else if (list || IsListFile(bytes))
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
    if (const std::string why = NotAText(text); !why.empty()) {
      Emit(name + ":", {1, true, "not a level text: " + why});
      return;
    }
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
      if (NamesNoFile(lines[i])) continue;
      std::string path;
      if (!ListedLevelFile(lines[i], path)) {
        Emit(name + ":", {int32_t(i + 1), true,
                          "no level file '" + PrintableName(lines[i]) +
                              "' (names are read from the folder compile runs in): compile "
                              "fails"});
        continue;
      }
      ++levels;
      std::string level;
      if (!ReadFileQuietly(path, level))
        Emit(PrintableName(lines[i]) + ":", {1, true, "cannot read the file: compile fails"});
      else
        Level(PrintableName(lines[i]), level);
    }
    if (levels == 0)
      Emit(name + ":", {1, true, "the list names no level file: compile fails"});
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
  return PrintableName(where, std::string::npos) + std::to_string(finding.line) +
         (finding.error ? ": error: " : ": warning: ") + PrintableName(finding.message, std::string::npos);
}

int LintFiles(System& system, const std::vector<std::string>& files, bool quiet, std::string& out) {
  LintRun run(system, quiet, out);
  for (const std::string& file : files) run.File(file);
  return run.Finish();
}
