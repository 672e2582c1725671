// Drawing of play's own marks: the shot animations, the sight (five of them with the "sight1"
// bonus) and the icons of the running bonuses with their time bars.
#include "game/GameUnit.h"
#include "display/PixelRoutines.h"
#include "display/SpriteSurface.h"
#include "base/Numbers.h"

namespace {

constexpr int32_t kSightOffset = 75;
constexpr int32_t kLastShotFrame = 17;
// The bonus pictures, by bonus number 1..7.
constexpr const char* kBonusNames[kEffectTimers + 1] = {"",       "light",  "frost", "3bullets",
                                                        "target", "sight1", "2500",  "cup"};
constexpr uint32_t kBonusBarColor = 0xC00000;

// The picture of a shot mark's animation frame; nullptr on its last frame.
const char* ShotPicture(int32_t frame) {
  if (frame <= 2) return "shot1";
  if (frame <= 5) return "shot2";
  if (frame <= 10) return "shot3";
  if (frame <= 12) return "shot4";
  if (frame <= 14) return "shot5";
  if (frame <= 16) return "shot6";
  return nullptr;
}

}  // namespace

void TGame::DrawShotMarks() {
  for (TShotMark& m : ShotMarks) {
    if (m.frame == -1) continue;
    const char* name = ShotPicture(m.frame);
    if (name && Pictures && BackBuffer) {
      const int32_t slot = Pictures->FindFrame(name);
      if (slot >= 0) Pictures->Draw(*BackBuffer, m.x, m.y, slot, daCenter, daCenter);
    }
    // A mark stored with a frame out of the animation's range ends as one past its last frame.
    m.frame = m.frame >= kLastShotFrame || m.frame < 0 ? -1 : m.frame + 1;
  }
}

void TGame::DrawSight() {
  if (!Pictures || !BackBuffer) return;
  const int32_t plain = Pictures->FindFrame("sight");
  const int32_t onTarget = Pictures->FindFrame("sight1");
  const int32_t x = Round(SightX), y = Round(SightY);
  Pictures->Draw(*BackBuffer, x, y, SightOnTarget ? onTarget : plain, daCenter, daCenter);
  if (EffectTimers[kBonusSight] <= 0) return;
  const int32_t points[4][2] = {
      {x + kSightOffset, y}, {x - kSightOffset, y}, {x, y + kSightOffset}, {x, y - kSightOffset}};
  for (const auto& p : points) {
    bool hit, centre;
    int32_t slot;
    HitTest(float(p[0]), float(p[1]), hit, centre, slot);
    Pictures->Draw(*BackBuffer, p[0], p[1], hit ? onTarget : plain, daCenter, daCenter);
  }
}

void TGame::DrawBonusIcons() {
  int32_t y = 40;
  for (int n = 1; n <= kEffectTimers; ++n) {
    const int32_t timer = EffectTimers[n];
    if (timer <= 0) continue;
    // In its last 50 frames the icon blinks, with a tick; the icons below move up meanwhile.
    if (timer < 50 && timer % 17 < 8) {
      PlaySound(4);
      continue;
    }
    if (BackBuffer) {
      if (Pictures) {
        const int32_t slot = Pictures->FindFrame(kBonusNames[n]);
        if (slot >= 0) Pictures->Draw(*BackBuffer, 18, y, slot, daCenter, daTop);
      }
      FillRect(*BackBuffer, TRect{5, y + 34, 5 + timer / 32, y + 36}, kBonusBarColor);
    }
    y += 40;
  }
}
