// Key and button latches and the pointer: the game's side of input.
#include <algorithm>

#include "app/GameUnit.h"
#include "platform/Numbers.h"

void TGame::SetKeyLatch(int code, bool pressed) {
  if (code < 0 || code > 255) return;
  if (!pressed)
    KeyLatch[code] = 0;
  else if (KeyLatch[code] == 0)
    KeyLatch[code] = ControlSpeed;
}

bool TGame::IsKeyLatched(int code) const { return code >= 0 && code <= 255 && KeyLatch[code] != 0; }

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

void TGame::ClearKeyLatches() { std::fill(std::begin(KeyLatch), std::end(KeyLatch), 0); }
void TGame::ClearButtonLatches() { std::fill(std::begin(ButtonLatch), std::end(ButtonLatch), 0); }

void TGame::MovePointer(int32_t dx, int32_t dy) {
  // The factor is held as a 32-bit float, as the products are rounded from it.
  const float f = static_cast<float>((15 - ControlSpeed) / 10.0 + 0.5);
  if (State == gsMainMenu || State == gsGameMenu) {
    PointerX = std::clamp(PointerX + Round(double(dx) * f), 0, kScreenWidth);
    PointerY = std::clamp(PointerY + Round(double(dy) * f), 0, kScreenHeight);
    return;
  }
  if (State != gsPlaying) return;
  const float g = static_cast<float>(double(f) / 3);
  const int32_t sx = Round(double(dx) * g), sy = Round(double(dy) * g);
  if ((MoveRestX > 0 && sx < 0) || (MoveRestX < 0 && sx > 0)) MoveRestX = 0;
  if ((MoveRestY > 0 && sy < 0) || (MoveRestY < 0 && sy > 0)) MoveRestY = 0;
  MoveRestX += sx;
  MoveRestY += sy;
  if ((MoveRestX > 20 || MoveRestX < -20 || MoveRestY > 20 || MoveRestY < -20) && !SightActive)
    SightActive = 1;
  while (MoveRestX > 20) {
    SteerSight(+1, 0);
    MoveRestX -= 20;
  }
  while (MoveRestX < -20) {
    SteerSight(-1, 0);
    MoveRestX += 20;
  }
  while (MoveRestY > 20) {
    SteerSight(0, -1);
    MoveRestY -= 20;
  }
  while (MoveRestY < -20) {
    SteerSight(0, +1);
    MoveRestY += 20;
  }
}
