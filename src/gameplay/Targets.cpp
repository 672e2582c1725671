// Targets and magnets: the animation and motion of the targets, drawing targets and magnets from
// prepared frames, and making the circle and magnet frames that "graph.dat" stores.
#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>

#include "game/GameUnit.h"
#include "base/PortableMath.h"
#include "display/PixelRoutines.h"
#include "display/SpriteSurface.h"
#include "base/Numbers.h"
#include "base/Random.h"

namespace {

constexpr int kFadePeriod = 70;
constexpr int kGleamPeriod = 30;
constexpr int kCircleCell = 2 * TargetRadius(0) + 1;

std::string CircleName(int size, int kind, int frame) {
  char name[40];
  std::snprintf(name, sizeof name, "%d%d_%d", size, kind, frame);
  return name;
}

// (value + 1) mod period with the sign of the dividend; 64-bit so a phase read from a level file
// near the int32 limit cannot overflow.
int32_t NextPhase(int32_t value, int32_t period) {
  return int32_t((int64_t(value) + 1) % period);
}

// Ring class of a pixel of a circle of radius R: 1 centre disc and outer ring, 2 middle ring, 0
// outside.
int RingClass(int x, int y, int R) {
  const float r1 = float(R) / 3.0f;
  const float r2 = (float(R) + r1) / 2.0f;
  const float e = std::sqrt(float((x - R) * (x - R) + (y - R) * (y - R)));
  if (e < r1) return 1;
  if (e < r2) return 2;
  if (e < float(R)) return 1;
  return 0;
}

// Paints every pixel of a circle by its class; colour 0 is transparent.
template <typename ColourOf>
void PaintCircle(Surface& work, int R, ColourOf colourOf) {
  work.Fill(nullptr, 0);
  for (int y = 0; y < 2 * R; ++y) {
    uint32_t* row = work.Row(y);
    for (int x = 0; x < 2 * R; ++x)
      if (const int c = RingClass(x, y, R)) row[x] = colourOf(x, y, c);
  }
}

}  // namespace

void TGame::UpdateTarget(int slot) {
  TTargetRec& t = Targets[slot];
  switch (t.TYPE) {
    case 1:
    case 2:
    case 4:
    case 5: {
      const int32_t period = t.TYPE == 1   ? kGleamPeriod
                             : t.TYPE == 2 ? kFadePeriod
                             : t.TYPE == 4 ? 2 * DissolveFrames - 1
                                           : 2 * ColourFrames - 1;
      t.PHAZE2 = NextPhase(t.PHAZE2, 2);
      if (t.PHAZE2 == 0) t.PHAZE1 = NextPhase(t.PHAZE1, period);
      break;
    }
    case 6:
      // A level file may start a falling target beyond its last phase: it vanishes as well.
      if (t.PHAZE1 < 10) ++t.PHAZE1;
      if (t.PHAZE1 >= 10) t.VISIBLE = 0;
      break;
    default: break;
  }
  if (EffectTimers[kBonusFrost] > 0) return;

  if (t.PathIndex >= kPathPoints) t.PathIndex = 0;
  if (t.GOTYPE == 1) {
    bool arrived;
    if (t.PathIndex < 0) {
      t.PathIndex = 0;
      t.GlideX = float(t.X);
      t.GlideY = float(t.Y);
      arrived = true;
    } else {
      const TPathPoint& p = t.COORDARRAY[t.PathIndex];
      arrived = t.X == p.x && t.Y == p.y;
    }
    if (arrived) {
      t.PathIndex = NextPathPoint(t, t.PathIndex);
      const TPathPoint& p = t.COORDARRAY[t.PathIndex];
      // A negative frame count from a level file must not divide by zero or flip the direction.
      const float steps = float(std::max<int64_t>(int64_t(p.n) + 1, 1));
      t.GlideStepX = float(double(p.x) - t.X) / steps;
      t.GlideStepY = float(double(p.y) - t.Y) / steps;
    } else {
      t.GlideX += t.GlideStepX;
      t.GlideY += t.GlideStepY;
      t.X = Round(t.GlideX);
      t.Y = Round(t.GlideY);
    }
  } else if (t.GOTYPE == 2) {
    if (t.PathIndex < 0) t.PathIndex = 0;
    ++t.JumpCounter;
    if (t.COORDARRAY[t.PathIndex].n > t.JumpCounter) return;
    t.JumpCounter = 0;
    t.PathIndex = NextPathPoint(t, t.PathIndex);
    t.X = t.COORDARRAY[t.PathIndex].x;
    t.Y = t.COORDARRAY[t.PathIndex].y;
  }
}

void TGame::DrawTarget(int slot) {
  const TTargetRec c = Targets[slot];
  UpdateTarget(slot);
  if (!BackBuffer) return;
  Surface& dest = *BackBuffer;
  const int size = EffectTimers[kBonusTarget] > 0 ? 0 : c.SIZE;
  const int32_t p = c.PHAZE1;
  const int32_t F = FadeFrames, D = DissolveFrames, C = ColourFrames;
  TDXBaseSurface* work = TargetWork ? TargetWork->GetSurface(slot - 1) : nullptr;

  // The circle frame of the kinds table; no circle when it is negative or has no such frame.
  int32_t circle = 0;
  bool hasCircle = true;
  const auto drawPicture = [&](TDXBaseSurface* sheet, int32_t frame) {
    if (sheet) sheet->Draw(dest, c.X, c.Y, frame, daCenter, daBottom);
  };
  switch (c.TYPE) {
    case 1:
      drawPicture(TargetPictures.get(), c.PICTUREINDEX);
      circle = p >= 0 && p < GleamFrameLimit && TargetCircles &&
                       TargetCircles->FindFrame(CircleName(size, 1, p)) >= 0
                   ? p
                   : 0;
      break;
    case 2:
      if (p >= 0 && p < F) {
        circle = p;
      } else if (p > F + 30 && p < 2 * F + 30) {
        circle = 2 * F + 30 - p;
      } else if (p >= 2 * F + 30) {
        circle = 0;
      } else {
        hasCircle = false;
        break;
      }
      drawPicture(work, circle);
      break;
    case 4:
      // A phase below 0 (possible only from a level file) shows the whole picture while it counts
      // up, so a target that can be hit is seen.
      circle = p < 0 ? 0 : p < D ? p : 2 * D - 1 - p;
      drawPicture(work, circle);
      break;
    case 5:
      drawPicture(TargetPictures.get(), c.PICTUREINDEX);
      circle = p < C ? p : 2 * C - 1 - p;
      break;
    case 6:
      if (TargetPictures && DirectDraw) {
        const int32_t h = TargetPictures->GetFrameInfo(c.PICTUREINDEX).Height;
        const double a = p * 25.0 * std::numbers::pi / 180.0;
        // Whole turns off the angle: a phase from a level file may lie anywhere.
        TargetPictures->DrawShadedRotated(*DirectDraw, dest, c.PICTUREINDEX,
                                          Round(c.X - PortableSin(a) * (h / 2)),
                                          Round(c.Y - PortableCos(a) * (h / 2)),
                                          int32_t(int64_t(p) * 250 % 3600), 1.0f - 0.1f * float(p));
      }
      circle = p;
      break;
    case 7:
      hasCircle = false;
      drawPicture(TargetPictures.get(), c.PICTUREINDEX);
      break;
    default: drawPicture(TargetPictures.get(), c.PICTUREINDEX); break;
  }
  if (!hasCircle || !TargetCircles) return;
  const int kind = c.TYPE == 6 ? 2 : c.TYPE;
  const int32_t frame = TargetCircles->FindFrame(CircleName(size, kind, circle));
  if (frame >= 0) TargetCircles->Draw(dest, c.X, c.Y, frame, daCenter, daCenter);
}

void TGame::DrawTargets() {
  for (int slot = 1; slot <= kTargetSlots; ++slot)
    if (Targets[slot].VISIBLE) DrawTarget(slot);
}

void TGame::DrawMagnets() {
  for (int slot = 1; slot <= kMagnetSlots; ++slot) {
    TMagnetRec& m = Magnets[slot];
    if (!m.VISIBLE) continue;
    m.PHAZE1 = NextPhase(m.PHAZE1, kMagnetFrames);
    TDXBaseSurface* sheet = MagnetSurfaces ? MagnetSurfaces->GetSurface(m.SIZE) : nullptr;
    if (sheet && BackBuffer) sheet->Draw(*BackBuffer, m.X, m.Y, m.PHAZE1, daCenter, daCenter);
  }
}

bool TGame::BuildTargetCircles(TDXBaseSurface& sheet) {
  if (!DirectDraw) return false;
  Display& dd = *DirectDraw;
  SurfacePtr work;
  if (Failed(CreateWorkSurface(dd, kCircleCell, kCircleCell, work))) return false;
  bool ok = true;
  for (int size = 0; size < 3; ++size) {
    const int R = TargetRadius(uint8_t(size)), d = 2 * R + 1;
    const auto put = [&](Surface& source, int kind, int frame) {
      int32_t slot = -1;
      ok = sheet.PutFrame(slot, d, d, CircleName(size, kind, frame), source, false) && ok;
    };
    const auto plain = [](int, int, int c) -> uint32_t { return c == 1 ? 0xFF0000 : 0xFFFFFF; };

    PaintCircle(*work, R, plain);
    put(*work, 0, 0);

    put(*work, 1, 0);
    const int h = d / 2, step = Trunc(d / 12.0) + 1;
    int frame = 1;
    for (int g = -h; g <= h; g += step, ++frame) {
      PaintCircle(*work, R, [&](int x, int y, int c) -> uint32_t {
        if (c == 2) return 0xFFFFFF;
        const int q = std::abs(x + y - 2 * (h - g));
        return q > 15 ? 0xFF0000 : 0xFFFFFF - 0x0D0D * uint32_t(q);
      });
      put(*work, 1, frame);
    }

    PaintCircle(*work, R, plain);
    put(*work, 2, 0);
    for (int k = 1; k <= 9; ++k) {
      SurfacePtr scaled;
      const TRect all{0, 0, kCircleCell, kCircleCell};
      if (ScaleBrightness(dd, *work, all, false, 0, 1.0f - float(k) / 10.0f, scaled))
        put(*scaled, 2, k);
      else
        ok = false;
    }

    PaintCircle(*work, R, [](int, int, int c) -> uint32_t { return c == 1 ? 0xFF0000 : 0; });
    put(*work, 3, 0);

    for (int k = 0; k < DissolveFrames; ++k) {
      const double chance = 1.0 - k / 19.0;
      PaintCircle(*work, R, [&](int x, int y, int c) -> uint32_t {
        return GameRandom().Real() < chance ? plain(x, y, c) : 0;
      });
      put(*work, 4, k);
    }

    for (int k = 0; k < ColourFrames; ++k) {
      const uint32_t v = uint32_t(16 * k);
      PaintCircle(*work, R, [&](int, int, int c) -> uint32_t {
        return c == 1 ? 0xFF0000 | v << 8 | v : 0xFF0000 | (255 - v) << 8 | (255 - v);
      });
      put(*work, 5, k);
    }
  }
  return ok;
}

bool TGame::BuildMagnetFrames(TSurfaceList& magnets, TDXBaseSurface& pictures) {
  if (!DirectDraw) return false;
  Display& dd = *DirectDraw;
  static constexpr uint32_t kBase[3] = {0x0000FF, 0x00FF00, 0x00FFFF};
  const int32_t magnet = pictures.FindFrame("magnet");
  const TRect clip = pictures.ClipRect;
  const bool clipOn = pictures.ClipEnabled;
  bool ok = true;
  for (int n = 0; n < 3; ++n) {
    TDXBaseSurface* sheet = magnets.GetSurface(n);
    if (!sheet) return false;
    const int m = kMagnetDiameterBySize[n], r = m / 2;
    SurfacePtr work;
    if (Failed(CreateWorkSurface(dd, m, m, work))) return false;
    // The rotated picture is cut to the frame, not to the screen.
    pictures.ClipRect = TRect{0, 0, m, m};
    pictures.ClipEnabled = true;
    for (int j = 0; j < kMagnetFrames; ++j) {
      work->Fill(nullptr, 0);
      for (int y = 0; y < m; ++y) {
        uint32_t* row = work->Row(y);
        for (int x = 0; x < m; ++x) {
          const double dist = std::sqrt(double((x - r) * (x - r) + (y - r) * (y - r)));
          if (dist >= r) continue;
          if (GameRandom().Real() < (r - dist) / (1.5 * r) + 0.05)
            row[x] = GameRandom().Real() < 0.5 ? kBase[n] : uint32_t(GameRandom().Int(0xFFFFFF));
        }
      }
      if (magnet >= 0) pictures.DrawRotated(dd, *work, magnet, r, r, j * 120);
      int32_t slot = j;
      ok = sheet->PutSurface(slot, std::to_string(j), *work, false) && ok;
    }
    pictures.ClipRect = clip;
    pictures.ClipEnabled = clipOn;
  }
  return ok;
}
