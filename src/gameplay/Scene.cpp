// The scene behind and over the play: the level's background with its five animations, the
// darkness of night levels and the row of condition icons.
#include <algorithm>
#include <cstdlib>

#include "game/GameUnit.h"
#include "assets/FileUtils.h"
#include "display/PixelRoutines.h"
#include "display/SpriteSurface.h"
#include "base/Numbers.h"

namespace {

constexpr int32_t kNightRadius = 120;
constexpr int32_t kIconY = 550;

// A level file may start a phase anywhere in the int32 range: the sums are taken in 64 bits.
int32_t Clamp32(int64_t v) {
  return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

// Fills the part of rect that lies on the screen.
void FillOnScreen(Surface& dest, int32_t left, int32_t top, int32_t right, int32_t bottom,
                  uint32_t color) {
  const TRect r{std::max(left, 0), std::max(top, 0), std::min(right, dest.Width()),
                std::min(bottom, dest.Height())};
  if (r.Left < r.Right && r.Top < r.Bottom) FillRect(dest, r, color);
}

// Draws the background's tiles, columns 0..columns and rows 0..rows of w x h cells shifted by
// (-shiftX, -shiftY), each showing frame frameOf(column) at its cell's top-left corner, over black,
// writing every pixel of the screen once: where a tile's picture lies, its key pixels are written
// black; the rest of the screen is filled. The same picture as a black fill followed by the tiles'
// keyed drawing, which it stands for when the tiles do not overlap. False, with nothing drawn,
// when they may (a frame larger than its cell, a cell beyond the int32 range, a clip rectangle
// that does not hold the screen).
template <typename FrameOf>
bool TileInOnePass(Surface& dest, TDXBaseSurface& work, int32_t w, int32_t h, int32_t rows,
                   int32_t columns, int64_t shiftX, int64_t shiftY, const FrameOf& frameOf) {
  const int32_t W = dest.Width(), H = dest.Height();
  const int64_t left = -shiftX, top = -shiftY;
  const int64_t right = left + int64_t(columns + 1) * w, bottom = top + int64_t(rows + 1) * h;
  for (const int64_t v : {left, top, right, bottom})
    if (Clamp32(v) != v) return false;
  const TRect& clip = work.ClipRect;
  if (work.ClipEnabled && (clip.Left > 0 || clip.Top > 0 || clip.Right < W || clip.Bottom < H))
    return false;
  for (int32_t c = 0; c <= columns; ++c) {
    const int32_t f = frameOf(c);
    if (!work.Drawable(f)) continue;
    const TFrameInfo info = work.GetFrameInfo(f);
    if (info.Width > w || info.Height > h) return false;
  }
  // Around the grid.
  FillOnScreen(dest, 0, 0, W, Clamp32(top), 0);
  FillOnScreen(dest, 0, Clamp32(bottom), W, H, 0);
  FillOnScreen(dest, 0, 0, Clamp32(left), H, 0);
  FillOnScreen(dest, Clamp32(right), 0, W, H, 0);
  for (int32_t c = 0; c <= columns; ++c) {
    const int64_t x = left + int64_t(c) * w;
    if (x >= W || x + w <= 0) continue;
    const int32_t f = frameOf(c);
    const TFrameInfo info = work.Drawable(f) ? work.GetFrameInfo(f) : TFrameInfo{};
    for (int32_t r = 0; r <= rows; ++r) {
      const int64_t y = top + int64_t(r) * h;
      if (y >= H || y + h <= 0) continue;
      const int32_t x0 = int32_t(x), y0 = int32_t(y);
      // The cell's part beside and below its picture, then the picture (or black where it
      // could not be drawn).
      FillOnScreen(dest, Clamp32(x + info.Width), y0, Clamp32(x + w), Clamp32(y + info.Height), 0);
      FillOnScreen(dest, x0, Clamp32(y + info.Height), Clamp32(x + w), Clamp32(y + h), 0);
      if (info.Width > 0 && !work.DrawFilled(dest, x0, y0, f, 0))
        FillOnScreen(dest, x0, y0, Clamp32(x + info.Width), Clamp32(y + info.Height), 0);
    }
  }
  return true;
}

}  // namespace

void TGame::DrawBackground() {
  if (BackgroundType == 3 && BackgroundPhaze1 == 0) BackgroundPhaze1 = 1;
  if (!BackBuffer) return;
  Surface& dest = *BackBuffer;
  if (UniformBackground) {
    dest.Fill(nullptr, SwapRedBlue(BackgroundColor));
    AdvanceBackground();
    return;
  }
  TDXBaseSurface* work = BackgroundWork.get();
  const TFrameInfo tile = work && work->Capacity > 0 ? work->GetFrameInfo(0) : TFrameInfo{};
  const int32_t w = tile.Width, h = tile.Height;
  if (!work || w <= 0 || h <= 0) {
    dest.Fill(nullptr, 0);
    AdvanceBackground();
    return;
  }
  const int64_t p1 = BackgroundPhaze1, p2 = BackgroundPhaze2;
  const int64_t N = BackgroundFadeFrames;
  // Which frame every tile shows, and the shift of the tiling.
  int32_t frame = 0;
  int64_t shiftX = 0, shiftY = 0;
  bool drawn = true;
  switch (BackgroundType) {
    case 1:
      shiftX = p1;
      shiftY = p2;
      break;
    case 2:
      if (p1 >= -10 && p1 <= 10)
        frame = 0;
      else if (p1 > 10 && p1 < N + 10)
        frame = int32_t(p1 - 10);
      else if (p1 >= N + 10 || p1 < -N - 10)
        frame = int32_t(N - 1);
      else if (p1 > -N - 10 && p1 < -10)
        frame = int32_t(-10 - p1);
      else
        drawn = false;
      break;
    case 3: shiftX = std::llabs(p2); break;
    case 4: frame = Clamp32(std::llabs(p1)); break;
    default: break;
  }
  const int32_t rows = 601 / h + 1, columns = 801 / w + 1;
  const auto frameOf = [&](int32_t c) {
    return BackgroundType == 3 ? (int64_t(c) % (2 * p1) < p1 ? 0 : 1) : frame;
  };
  if (!drawn || !TileInOnePass(dest, *work, w, h, rows, columns, shiftX, shiftY, frameOf)) {
    // The tiles may overlap or leave the screen: the black under them first.
    dest.Fill(nullptr, 0);
    for (int32_t r = 0; drawn && r <= rows; ++r)
      for (int32_t c = 0; c <= columns; ++c)
        work->Draw(dest, Clamp32(int64_t(c) * w - shiftX), Clamp32(int64_t(r) * h - shiftY),
                   frameOf(c), daLeft, daTop);
  }
  AdvanceBackground();
}

void TGame::AdvanceBackground() {
  // The picture's own size: a tile of the level's background.
  int32_t W = 0, H = 0;
  if (Backgrounds && BackgroundIndex >= 0 && BackgroundIndex < Backgrounds->Capacity) {
    const TFrameInfo f = Backgrounds->GetFrameInfo(BackgroundIndex);
    W = f.Width;
    H = f.Height;
  }
  const int64_t p1 = BackgroundPhaze1, p2 = BackgroundPhaze2;
  switch (BackgroundType) {
    case 1:
      if (W > 0) BackgroundPhaze1 = int32_t((p1 + 1) % W);
      if (H > 0) BackgroundPhaze2 = int32_t((p2 + 1) % H);
      break;
    case 2:
      BackgroundPhaze2 = int32_t((p2 + 1) % 2);
      if (BackgroundPhaze2 == 0) {
        const int64_t limit = BackgroundFadeFrames + 20;
        BackgroundPhaze1 = p1 + 1 > limit ? int32_t(-limit) : int32_t(p1 + 1);
      }
      break;
    case 3: BackgroundPhaze2 = p2 + 1 > W ? -W : int32_t(p2 + 1); break;
    case 4: {
      const int64_t K = BackgroundSwingFrames;
      BackgroundPhaze1 = p1 + 1 >= K ? int32_t(1 - K) : int32_t(p1 + 1);
      break;
    }
    default: break;
  }
}

void TGame::DrawNight() {
  if (EffectTimers[kBonusLight] > 0 || !BackBuffer) return;
  Surface& dest = *BackBuffer;
  const int32_t a = Round(SightX), b = Round(SightY);
  if (SightMask) SightMask->Draw(dest, a, b, 0, daCenter, daCenter);
  const int64_t left = int64_t(a) - kNightRadius, right = int64_t(a) + kNightRadius;
  const int64_t top = int64_t(b) - kNightRadius, bottom = int64_t(b) + kNightRadius;
  FillOnScreen(dest, 0, 0, Clamp32(left), kScreenHeight, 0);
  FillOnScreen(dest, Clamp32(right), 0, kScreenWidth, kScreenHeight, 0);
  // Above and below the sight, only between the two side strips: no pixel is darkened twice.
  FillOnScreen(dest, Clamp32(left), 0, Clamp32(right), Clamp32(top), 0);
  FillOnScreen(dest, Clamp32(left), Clamp32(bottom), Clamp32(right), kScreenHeight, 0);
}

void TGame::DrawConditionIcons() {
  if (!BackBuffer) return;
  Surface& dest = *BackBuffer;
  // Draws a named picture; false when it does not exist.
  const auto icon = [&](const char* name, int32_t x) {
    const int32_t frame = Pictures ? Pictures->FindFrame(name) : -1;
    if (frame < 0) return false;
    Pictures->Draw(dest, x, kIconY, frame, daCenter, daBottom);
    return true;
  };
  const auto bar = [&](int32_t x, int32_t length, uint32_t color) {
    if (length > 0) FillOnScreen(dest, x - 8, 552, Clamp32(int64_t(x) - 8 + length), 554, color);
  };
  int32_t x = 780;
  static constexpr const char* kDifficulty[3] = {"men", "child", "skull"};
  if (Difficulty <= 2 && icon(kDifficulty[Difficulty], x)) x = 740;
  if (TimeLimitOn) {
    icon("clock", x);
    bar(x, TimeCounter / 128, 0x00FF00);
    x -= 40;
  }
  if (MagnetOn) {
    icon("magnet", x);
    x -= 40;
  }
  if (MirrorOn) {
    icon("mirror", x);
    x -= 40;
  }
  if (WindOn) {
    if (WindX != 0) {
      icon(WindX > 0 ? "right" : "left", x);
      bar(x, Round(std::abs(WindX) * 3.0), 0xFF0000);
      x -= 40;
    }
    if (WindY != 0) {
      icon(WindY > 0 ? "up" : "down", x);
      bar(x, Round(std::abs(WindY) * 3.0), 0xFF0000);
    }
  }
}
