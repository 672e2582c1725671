// "vor preview": a level drawn headless by the game's own frame code into a PNG, optionally with
// each target's path and each magnet's reach drawn over it.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "authoring/AuthorTools.h"
#include "app/DataFolders.h"
#include "game/GameUnit.h"
#include "assets/FileUtils.h"
#include "image/Png.h"
#include "base/Random.h"
#include "platform/System.h"

namespace {

constexpr uint32_t kPathColor = 0xFFFF00;
constexpr uint32_t kReachColor = 0x00FFFF;
constexpr uint32_t kCoreColor = 0xFF4040;

void Plot(Surface& s, int64_t x, int64_t y, uint32_t color) {
  if (x >= 0 && y >= 0 && x < s.Width() && y < s.Height()) s.Row(int32_t(y))[x] = color;
}

// A line from a to b, cut to the surface first so far-off points cost nothing; dashed lines
// leave every other 4 pixels out.
void Line(Surface& s, double ax, double ay, double bx, double by, uint32_t color, bool dashed) {
  double t0 = 0, t1 = 1;
  const double dx = bx - ax, dy = by - ay;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {ax + 1, s.Width() - ax, ay + 1, s.Height() - ay};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return;
      continue;
    }
    const double r = q[i] / p[i];
    if (p[i] < 0)
      t0 = std::max(t0, r);
    else
      t1 = std::min(t1, r);
  }
  if (t0 > t1) return;
  const double x0 = ax + t0 * dx, y0 = ay + t0 * dy, x1 = ax + t1 * dx, y1 = ay + t1 * dy;
  const int64_t steps = int64_t(std::max(std::abs(x1 - x0), std::abs(y1 - y0))) + 1;
  for (int64_t i = 0; i <= steps; ++i) {
    if (dashed && (i / 4) % 2) continue;
    Plot(s, std::llround(x0 + (x1 - x0) * double(i) / double(steps)),
         std::llround(y0 + (y1 - y0) * double(i) / double(steps)), color);
  }
}

void Circle(Surface& s, double cx, double cy, double r, uint32_t color) {
  const int n = std::max(8, int(2 * std::numbers::pi * r));
  for (int i = 0; i < n; ++i) {
    const double a = 2 * std::numbers::pi * i / n;
    Plot(s, std::llround(cx + r * std::cos(a)), std::llround(cy + r * std::sin(a)), color);
  }
}

void Cross(Surface& s, double x, double y, uint32_t color) {
  Line(s, x - 3, y, x + 3, y, color, false);
  Line(s, x, y - 3, x, y + 3, color, false);
}

// The paths as the level sets them up: from its start a target heads for point 1, then 2, ...,
// after the last for point 0 and round again; a glide draws solid, a jump dashed.
void DrawPaths(Surface& s, const TTargetRec (&targets)[kTargetSlots + 1],
               const TMagnetRec (&magnets)[kMagnetSlots + 1]) {
  for (int i = 1; i <= kMagnetSlots; ++i) {
    const TMagnetRec& m = magnets[i];
    if (!m.VISIBLE) continue;
    Circle(s, m.X, m.Y, MagnetPullRadius(m), kReachColor);
    Circle(s, m.X, m.Y, MagnetCoreRadius(m), kCoreColor);
  }
  for (int i = 1; i <= kTargetSlots; ++i) {
    const TTargetRec& t = targets[i];
    if (!t.VISIBLE || t.GOTYPE == 0) continue;
    const bool dashed = t.GOTYPE == 2;
    const int last = LastPathPoint(t);
    const TPathPoint* p = t.COORDARRAY;
    const TPathPoint& second = p[NextPathPoint(t, 0)];
    Line(s, t.X, t.Y, second.x, second.y, kPathColor, dashed);
    for (int k = 0; k <= last; ++k) {
      const TPathPoint& next = p[NextPathPoint(t, k)];
      Line(s, p[k].x, p[k].y, next.x, next.y, kPathColor, dashed);
      Cross(s, p[k].x, p[k].y, kPathColor);
    }
  }
}

}  // namespace

bool PreviewLevel(const TLevelSource& source, const TPreviewOptions& options,
                  const std::string& pngFile, std::string& error) {
  if (options.ticks < 0 || options.ticks > kMaxPreviewTicks) {
    error = "the ticks to run must lie in 0.." + std::to_string(kMaxPreviewTicks);
    return false;
  }
  std::vector<std::string> levels;
  int first = 1;
  if (!ReadLevelSource(source, levels, first, error)) return false;
  const std::unique_ptr<System> system = System::Create(true, false);
  if (!system) {
    error = "cannot start";
    return false;
  }
  // The level is the file named; the pictures are the game's, wherever a game run finds them.
  struct Folders {
    Folders() { SetFileFolders(ChooseFileFolders(InstalledDataFolder())); }
    ~Folders() { SetFileFolders({}); }
  } folders;
  TGame game(*system);
  if (!game.InitDisplay()) {
    error = "cannot set up the display";
    return false;
  }
  if (!game.LoadGraphics()) {
    error = "cannot load the game's pictures: run it in the game's data folder (graph.dat, or the "
            "files";
    for (size_t i = 0; i < std::size(kCollectionFiles); ++i)
      error += (i == 0 ? " " : i + 1 == std::size(kCollectionFiles) ? " and " : ", ") +
               std::string(kCollectionFiles[i]);
    error += ")";
    return false;
  }
  // Seeded after loading, which may draw numbers while it builds graph.dat: one picture for a
  // level whether graph.dat was there or not.
  GameRandom().Seed(options.seed);
  game.ScenarioFile = source.file;
  game.LevelTexts = std::move(levels);
  game.StartGame(first);
  TTargetRec targets[kTargetSlots + 1];
  TMagnetRec magnets[kMagnetSlots + 1];
  std::copy(std::begin(game.Targets), std::end(game.Targets), targets);
  std::copy(std::begin(game.Magnets), std::end(game.Magnets), magnets);
  // Each tick draws, then moves the game on, as the game's own tick does.
  for (int64_t tick = 0;; ++tick) {
    game.DrawFrame();
    if (tick >= options.ticks) break;
    game.UpdateFrame();
  }
  if (options.paths) DrawPaths(*game.BackBuffer, targets, magnets);
  std::string reason;
  if (!WritePng(*game.BackBuffer, pngFile, reason)) {
    error = "cannot write " + pngFile + ": " + reason;
    return false;
  }
  return true;
}
