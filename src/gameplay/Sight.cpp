// The sight's flight, steering, shooting, hits, bonuses and the end of a level.
#include <algorithm>
#include <cmath>

#include "game/GameUnit.h"
#include "assets/FileUtils.h"
#include "base/PortableMath.h"
#include "platform/Input.h"
#include "base/Numbers.h"
#include "base/Random.h"

namespace {

// Random bonuses: "frost" 3, "3bullets" 2, "target" 5, "sight1" 5, "2500" 8 chances in 23.
constexpr char kRandomBonuses[] = "22233444445555566666666";

int32_t BonusDuration(uint8_t difficulty) {
  return difficulty == 1 ? 2000 : difficulty == 2 ? 1000 : 1400;
}

// One step of a speed: up by 1 to at most the top speed; down by 1 to the floor of the
// difficulty, a speed already at or below the floor left alone.
float StepSpeed(float speed, int step, uint8_t difficulty) {
  if (step > 0) return speed > kSightMaxSpeed - 1 ? kSightMaxSpeed : speed + 1;
  if (step < 0) {
    const float floor = SightSpeedFloor(difficulty);
    if (speed >= floor + 1) return speed - 1;
    if (speed > floor) return floor;
  }
  return speed;
}

}  // namespace

void TGame::ResetSight() {
  SightX = kSightStartX;
  SightY = kSightStartY;
  SightSpeedX = SightSpeedY = 1;
  SightActive = 0;
  SightOnTarget = 0;
  MoveRestX = MoveRestY = 0;
}

void TGame::SteerSight(int dx, int dy) {
  if (MirrorOn) {
    dx = -dx;
    dy = -dy;
  }
  SightSpeedX = StepSpeed(SightSpeedX, dx, Difficulty);
  SightSpeedY = StepSpeed(SightSpeedY, dy, Difficulty);
}

double MagnetDistance(const TMagnetRec& m, double x, double y) {
  return PortableHypot(x - m.X, y - m.Y);
}

void TGame::NextSightPoint(float& x, float& y) const {
  x = SightX + SightSpeedX;
  y = SightY - SightSpeedY;
}

int32_t TGame::MagnetCoreAt(float x, float y) const {
  for (int i = 1; i <= kMagnetSlots; ++i) {
    const TMagnetRec& m = Magnets[i];
    if (m.VISIBLE && MagnetCoreRadius(m) > MagnetDistance(m, x, y)) return i;
  }
  return 0;
}

void TGame::MoveSight() {
  if (SightActive) NextSightPoint(SightX, SightY);
  bool hit, centre;
  HitTest(SightX, SightY, hit, centre, SightTargetSlot);
  SightOnTarget = hit;
  SightOnCentre = centre;
  // Leaving the field or meeting a core shoots (the pull of the magnets before it would only
  // change the speed the shot resets).
  if (!SightFieldHolds(SightX, SightY) || MagnetCoreAt(SightX, SightY)) {
    Shoot();
    return;
  }
  for (int i = 1; i <= kMagnetSlots; ++i) {
    const TMagnetRec& m = Magnets[i];
    if (!m.VISIBLE) continue;
    const int32_t g = MagnetRadius(m);
    const double dist = MagnetDistance(m, SightX, SightY);
    if (MagnetPullRadius(m) > dist) {
      const double k = Difficulty == 1   ? 0.1 - 0.033 * dist / g
                       : Difficulty == 2 ? 0.3 - 0.1 * dist / g
                                         : 0.2 - 0.066 * dist / g;
      const int32_t dx = Trunc(double(SightX) - m.X), dy = Trunc(double(SightY) - m.Y);
      const double a = AngleOf(dx, dy);
      SightSpeedX = float(SightSpeedX - PortableCos(a) * k);
      SightSpeedY = float(SightSpeedY + PortableSin(a) * k);
    }
  }
  if (WindOn && SightActive) {
    const double divisor = Difficulty == 1 ? 100 : Difficulty == 2 ? 50 : 75;
    SightSpeedX = float(SightSpeedX + WindX / divisor);
    SightSpeedY = float(SightSpeedY + WindY / divisor);
  }
  if (MagnetOn && SightActive) {
    const double s = Difficulty == 1 ? 0.015 : Difficulty == 2 ? 0.04 : 0.03;
    SightSpeedX = float(SightX - 400 > 0 ? SightSpeedX + s : SightSpeedX - s);
    SightSpeedY = float(SightY - 300 > 0 ? SightSpeedY - s : SightSpeedY + s);
  }
  SightSpeedX = std::clamp(SightSpeedX, -kSightMaxSpeed, kSightMaxSpeed);
  SightSpeedY = std::clamp(SightSpeedY, -kSightMaxSpeed, kSightMaxSpeed);
}

void TGame::HitTest(float x, float y, bool& hit, bool& centre, int32_t& slot) const {
  hit = false;
  centre = false;
  slot = -1;
  for (int i = 1; i <= kTargetSlots; ++i) {
    const TTargetRec& t = Targets[i];
    if (!t.VISIBLE) continue;
    const float R = float(TargetRadius(EffectTimers[kBonusTarget] > 0 ? 0 : t.SIZE));
    const float r1 = R / 3;
    const float r2 = (R + r1) / 2;
    const double e = PortableHypot(double(x) - t.X, double(y) - t.Y);
    centre = r1 + 1 > e;
    if (!(R + 1 > e)) continue;
    if (t.TYPE == 2 && t.PHAZE1 >= FadeFrames && t.PHAZE1 <= FadeFrames + 30) continue;
    if (t.TYPE == 3 && !centre && e <= r2 - 1) continue;
    if (t.TYPE == 6) continue;
    hit = true;
    slot = i;
    return;
  }
}

void TGame::Shoot() {
  AddShotMark(Round(SightX), Round(SightY));
  bool any = false;
  if (SightOnTarget) {
    RegisterHit(SightTargetSlot, SightOnCentre);
    any = true;
  }
  if (EffectTimers[kBonusSight] > 0) {
    const float points[4][2] = {
        {SightX + 75, SightY}, {SightX - 75, SightY}, {SightX, SightY + 75}, {SightX, SightY - 75}};
    for (const auto& p : points) {
      bool hit, centre;
      int32_t slot;
      HitTest(p[0], p[1], hit, centre, slot);
      AddShotMark(Round(p[0]), Round(p[1]));
      if (hit) {
        RegisterHit(slot, centre);
        any = true;
      }
    }
  }
  if (!any) {
    --Bullets;
    PlaySound(3);
    ++Misses;
  }
  ResetSight();
  KeyLatch[DIK_SPACE] = ControlSpeed * 3;
}

void TGame::RegisterHit(int32_t slot, bool centre) {
  if (slot < 1 || slot > kTargetSlots) return;
  TTargetRec& t = Targets[slot];
  PlaySound(0);
  ++TargetsHit;
  PendingScore += 250;
  if (centre) {
    PendingScore += 100;
    ++HitStreak;
    ++Medals;
  }
  if (EffectTimers[kBonusTarget] <= 0) PendingScore += 50 * t.SIZE;
  t.TYPE = 6;
  bool bonus = false;
  switch (t.ISBONUS) {
    case 1: bonus = true; break;
    case 2: bonus = GameRandom().Real() < 0.5; break;
    case 3: bonus = GameRandom().Real() < 0.2; break;
    default: break;
  }
  if (bonus) GiveBonus(t.BONUSNUMBER);
  t.PHAZE1 = 0;
}

void TGame::GiveBonus(int n) {
  PendingScore += 100;
  if (n == 0) n = kRandomBonuses[GameRandom().Int(23)] - '0';
  switch (n) {
    case kBonusLight:
    case kBonusFrost:
    case kBonusTarget:
    case kBonusSight: EffectTimers[n] = BonusDuration(Difficulty); break;
    case kBonusBullets:
      EffectTimers[n] = 30;
      Bullets += 3;
      break;
    case kBonus2500:
      EffectTimers[n] = 30;
      PendingScore += 2400;
      break;
    case kBonusCup:
      EffectTimers[n] = 30;
      LevelCleared();
      break;
    default: break;
  }
}

void TGame::AddShotMark(int32_t x, int32_t y) {
  for (TShotMark& m : ShotMarks)
    if (m.frame == -1) {
      m = {x, y, 0};
      return;
    }
}

void TGame::LevelCleared() {
  for (auto& column : TransitionGrid)
    for (uint8_t& tile : column) tile = 0;
  TransitionStep = 1;
  if (Level % 2 == 0) ++Bullets;
  PendingScore += Bullets * 25 + 1000;
  State = gsLevelDone;
}

void TGame::SkipLevel() {
  if (Level == LevelTexts.size())
    GameOver();
  else
    LoadLevel(Level + 1);
}
