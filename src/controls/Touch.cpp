// The finger's taps and drags.
#include "controls/Touch.h"

#include <algorithm>
#include <cstdlib>

namespace {

// Points far outside the frame are as good as at its bars; keeping them small keeps every
// difference of two in range.
int32_t Bound(int32_t v) {
  return std::clamp(v, -65536, 65536);
}

}  // namespace

void TouchMapper::Apply(const InputEvent& e) {
  switch (e.kind) {
    case InputEvent::Kind::FingerDown:
      // A touch starts afresh: the jump to it is no motion.
      down_ = true;
      drag_ = false;
      moved_ = true;
      startX_ = x_ = readX_ = Bound(e.a);
      startY_ = y_ = readY_ = Bound(e.b);
      break;
    case InputEvent::Kind::FingerMove:
      if (!down_) break;
      x_ = Bound(e.a);
      y_ = Bound(e.b);
      moved_ = true;
      if (std::abs(x_ - startX_) > kTapTravel || std::abs(y_ - startY_) > kTapTravel) drag_ = true;
      break;
    case InputEvent::Kind::FingerUp:
      if (!down_) break;
      down_ = false;
      if (!drag_) {
        tap_.Set(0, true);
        tap_.Set(0, false);
      }
      break;
    default: break;
  }
}

TouchInput TouchMapper::Read(TouchRole role) {
  TouchInput in;
  const int32_t dx = x_ - readX_, dy = y_ - readY_;
  readX_ = x_;
  readY_ = y_;
  const bool moved = moved_;
  moved_ = false;
  const bool click = tap_.Read()[0] != 0;
  switch (role) {
    case TouchRole::None: break;
    case TouchRole::Pointer:
      in.place = moved;
      in.x = x_;
      in.y = y_;
      in.click = click;
      break;
    case TouchRole::Steer:
      in.dx = dx;
      in.dy = dy;
      in.click = click;
      break;
    case TouchRole::Tap: in.click = click; break;
  }
  return in;
}
