// The two ends of a game: settling the score and the result row, and the "GAME  OVER!" and
// "You WIN the GAME!" screens with the player's statistics.
#include <algorithm>
#include <string>

#include "game/GameUnit.h"
#include "display/Letters.h"
#include "display/SpriteSurface.h"
#include "base/Numbers.h"

namespace {

const char kGameOverText[] = "&1GAME  OVER!";
const char kWinText[] = "You WIN the GAME!";
constexpr int32_t kLogoFrame = 0, kCupFrame = 1;
constexpr int32_t kStatsTop = 350;
constexpr int32_t kTitleY = 270;

// Points weighted by difficulty as the count-up weights a small rest: kindly half (cut toward
// zero), hardly 1.5 times (halves to even).
int64_t Weighted(int64_t points, uint8_t difficulty) {
  switch (difficulty) {
    case 1: return points / 2;
    case 2: return Round(double(points) * 1.5);
    default: return points;
  }
}

int32_t Saturate(int64_t v) {
  return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

}  // namespace

void TGame::SettleResult(int64_t points, uint8_t won) {
  Score = Saturate(Score + Weighted(points, Difficulty));
  PendingScore = 0;
  // A finished game's row must be marked used, or it never ranks in the table.
  RecordEntry.used = 1;
  RecordEntry.score = Score;
  RecordEntry.targets = TargetsHit;
  RecordEntry.medals = Medals;
  RecordEntry.levels = Level;
  RecordEntry.misses = Misses;
  RecordEntry.difficulty = Difficulty;
  RecordEntry.won = won;
}

void TGame::GameOver() {
  State = gsGameOver;
  SettleResult(PendingScore, 0);
  if (Font) Font->StartJump(kGameOverText, -15, 15, true);
}

void TGame::GameWon() {
  State = gsWin;
  SettleResult(int64_t(PendingScore) + 10000 + 250 * int64_t(Bullets), 1);
  WinScrollY = 0;
  WinFirstPicture = 0;
  // The text stands whole for 40 frames, then bursts letter by letter, and again.
  if (Font) Font->StartBoom(kWinText, 6, 0.5f, 40);
}

void TGame::DrawStatistics() {
  if (!Font || !BackBuffer) return;
  const int32_t h = Font->LineHeight("W") + 4;
  const struct {
    const char* label;
    int32_t value;
  } rows[] = {{"&1Score: ", Score},
              {"&1Targets: ", TargetsHit},
              {"&1Medals: ", Medals},
              {"&1Misses: ", Misses},
              {"&1Levels: ", Level}};
  int32_t y = kStatsTop;
  for (const auto& row : rows) {
    Font->DrawLine(*BackBuffer, 250, y, row.label, daLeft, daTop);
    Font->DrawLine(*BackBuffer, 550, y, std::to_string(row.value), daRight, daTop);
    y += h;
  }
}

void TGame::DrawGameOver() {
  if (!BackBuffer) return;
  BackBuffer->Fill(nullptr, kScreenColor);
  if (LogoSurface) LogoSurface->Draw(*BackBuffer, 400, 50, kLogoFrame, daCenter, daTop);
  DrawStatistics();
  if (Font) Font->DrawJump(*BackBuffer, 400 - Font->LineWidth(kGameOverText) / 2, kTitleY);
}

void TGame::DrawWin() {
  if (!BackBuffer) return;
  Surface& dest = *BackBuffer;
  dest.Fill(nullptr, kScreenColor);
  if (LogoSurface) LogoSurface->Draw(dest, 400, 20, kCupFrame, daCenter, daTop);

  // Two columns of target pictures creeping up 2 pixels a frame.
  const int32_t count = TargetPictures ? TargetPictures->FrameCount : 0;
  if (count > 0) {
    if (WinFirstPicture < 0 || WinFirstPicture >= count) WinFirstPicture = 0;
    const auto height = [&](int32_t f) { return TargetPictures->GetFrameInfo(f).Height; };
    int64_t y = WinScrollY;
    for (int32_t f = WinFirstPicture; y < kScreenHeight; f = (f + 1) % count) {
      TargetPictures->Draw(dest, 70, int32_t(y), f, daCenter, daTop);
      TargetPictures->Draw(dest, 730, int32_t(y), f, daCenter, daTop);
      y += int64_t(std::max(height(f), 0)) + 10;
    }
    if (int64_t(WinScrollY) + height(WinFirstPicture) < 0) {
      WinScrollY = Saturate(int64_t(WinScrollY) + height(WinFirstPicture) + 10);
      WinFirstPicture = (WinFirstPicture + 1) % count;
    }
    WinScrollY -= 2;
  }

  DrawStatistics();
  if (Font)
    Font->DrawBoom(dest, 400 - Font->LineWidth(kWinText) / 2, kTitleY,
                   TRect{0, 0, kScreenWidth, kScreenHeight});
}
