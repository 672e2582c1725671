// Key and button latches and the pointer: the game's side of input.
#include <algorithm>

#include "game/GameUnit.h"
#include "base/Numbers.h"

void TGame::SetKeyLatch(int code, bool pressed) {
  if (code < 0 || code > 255) return;
  if (!pressed)
    KeyLatch[code] = 0;
  else if (KeyLatch[code] == 0)
    KeyLatch[code] = ControlSpeed;
}

bool TGame::IsKeyLatched(int code) const {
  return code >= 0 && code <= 255 && KeyLatch[code] != 0;
}

void TGame::SetButtonLatch(int button, bool pressed) {
  if (button < 0 || button > 7) return;
  if (!pressed)
    ButtonLatch[button] = 0;
  else if (ButtonLatch[button] == 0)
    ButtonLatch[button] = ControlSpeed;
}

bool TGame::IsButtonLatched(int button) const {
  return button >= 0 && button <= 7 && ButtonLatch[button] != 0;
}

void TGame::ClearKeyLatches() {
  std::fill(std::begin(KeyLatch), std::end(KeyLatch), 0);
}
void TGame::ClearButtonLatches() {
  std::fill(std::begin(ButtonLatch), std::end(ButtonLatch), 0);
}

void TGame::PlacePointer(int64_t x, int64_t y) {
  if (State != gsMainMenu && State != gsGameMenu && State != gsRecords) return;
  PointerX = int32_t(std::clamp<int64_t>(x, 0, kScreenWidth));
  PointerY = int32_t(std::clamp<int64_t>(y, 0, kScreenHeight));
}

void TGame::MovePointer(int32_t dx, int32_t dy) {
  // The factor is held as a 32-bit float, as the products are rounded from it.
  const float f = static_cast<float>((15 - ControlSpeed) / 10.0 + 0.5);
  // Sums in 64 bits: a script may move the mouse by any int32 count.
  if (State == gsMainMenu || State == gsGameMenu || State == gsRecords) {
    PlacePointer(int64_t(PointerX) + Round(double(dx) * f),
                 int64_t(PointerY) + Round(double(dy) * f));
    return;
  }
  if (State != gsPlaying) return;
  const float g = static_cast<float>(double(f) / 3);
  const int32_t sx = Round(double(dx) * g), sy = Round(double(dy) * g);
  if ((MoveRestX > 0 && sx < 0) || (MoveRestX < 0 && sx > 0)) MoveRestX = 0;
  if ((MoveRestY > 0 && sy < 0) || (MoveRestY < 0 && sy > 0)) MoveRestY = 0;
  int64_t restX = int64_t(MoveRestX) + sx, restY = int64_t(MoveRestY) + sy;
  if ((restX > 20 || restX < -20 || restY > 20 || restY < -20) && !SightActive) SightActive = 1;
  // One step for every 20 beyond 20, the rest kept. A speed crosses [-9, 9] in 18 steps, so a
  // huge movement does all it can in the first hundred and no more are taken.
  const auto steps = [](int64_t& rest) -> int64_t {
    if (rest > 20) {
      const int64_t n = (rest - 1) / 20;
      rest -= 20 * n;
      return n;
    }
    if (rest < -20) {
      const int64_t n = (-rest - 1) / 20;
      rest += 20 * n;
      return -n;
    }
    return 0;
  };
  const int64_t nx = steps(restX), ny = steps(restY);
  MoveRestX = int32_t(restX);
  MoveRestY = int32_t(restY);
  for (int64_t i = std::min<int64_t>(nx < 0 ? -nx : nx, 100); i > 0; --i)
    SteerSight(nx > 0 ? 1 : -1, 0);
  // Movement down the screen (positive y) steers down.
  for (int64_t i = std::min<int64_t>(ny < 0 ? -ny : ny, 100); i > 0; --i)
    SteerSight(0, ny > 0 ? -1 : 1);
}
