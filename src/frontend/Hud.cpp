// The status line along the bottom of play: the shifting blue line, level, bullets and score; the
// level name sliding in at the top right, the medals at the top left, then the bonus and
// condition icons.
#include <string>

#include "game/GameUnit.h"
#include "display/Letters.h"
#include "display/PixelRoutines.h"
#include "display/SpriteSurface.h"

namespace {

constexpr int32_t kLevelNameFrames = 300;

// "%s &1%d": a white label and a blue number.
std::string HudField(const char* label, int32_t value) {
  return std::string(label) + " &1" + std::to_string(value);
}

// The level name's top edge on frame t of the level: it slides down from -28 over the first 60
// frames, stays at 2 until frame 200 and slides back up.
int32_t LevelNameY(int32_t t) {
  if (t <= 60) return t / 2 - 28;
  if (t <= 200) return 2;
  return (200 - t) / 2 + 2;
}

}  // namespace

void TGame::DrawHud() {
  if (BackBuffer) {
    Surface& dest = *BackBuffer;
    for (int32_t i = 0; i < 10; ++i)
      FillRect(dest, TRect{80 * i, 559, 80 * i + 80, 560}, uint32_t((HudPhase + 3 * i) % 256));
    if (Font) {
      Font->DrawLine(dest, 50, 600, HudField("LEVEL:", Level), daLeft, daBottom);
      Font->DrawLine(dest, 265, 600, HudField("BULLETS:", Bullets), daLeft, daBottom);
      Font->DrawLine(dest, 525, 600, HudField("SCORE:", Score), daLeft, daBottom);
    }
  }
  HudPhase = (HudPhase + 2) % 256;

  if (LevelNameTicks < kLevelNameFrames) {
    if (Font && BackBuffer)
      Font->DrawLine(*BackBuffer, 795, LevelNameY(LevelNameTicks), "&1" + LevelName, daRight,
                     daTop);
    ++LevelNameTicks;
  }

  DrawMedals();
  DrawBonusIcons();
  DrawConditionIcons();
}

void TGame::DrawMedals() {
  const int32_t medal = Pictures ? Pictures->FindFrame("medal") : -1;
  if (medal < 0 || !BackBuffer) return;
  const int32_t step = Pictures->GetFrameInfo(medal).Width + 1;
  int32_t x = 5;
  for (int32_t i = 0; i < HitStreak && x < kScreenWidth; ++i, x += step)
    Pictures->Draw(*BackBuffer, x, 5, medal, daLeft, daTop);
}
