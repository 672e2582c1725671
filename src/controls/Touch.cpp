// The finger's taps and drags.
#include "controls/Touch.h"

#include <algorithm>
#include <climits>
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

std::vector<int64_t> TouchMapper::SaveState() const {
  std::vector<int64_t> w;
  tap_.Save(w);
  w.insert(w.end(), {down_, drag_, moved_, startX_, startY_, x_, y_, readX_, readY_});
  // A finger never seen is the usual start; it is said by no words at all.
  if (std::all_of(w.begin(), w.end(), [](int64_t v) { return v == 0; })) return {};
  return w;
}

bool TouchMapper::LoadState(const std::vector<int64_t>& w) {
  TouchMapper t;
  if (w.empty()) {
    *this = t;
    return true;
  }
  size_t at = 0;
  if (!t.tap_.Load(w, at) || w.size() - at != 9) return false;
  for (size_t i = at; i < at + 3; ++i)
    if (w[i] < 0 || w[i] > 1) return false;
  for (size_t i = at + 3; i < w.size(); ++i)
    if (w[i] != Bound(int32_t(std::clamp<int64_t>(w[i], INT32_MIN, INT32_MAX)))) return false;
  t.down_ = w[at] != 0;
  t.drag_ = w[at + 1] != 0;
  t.moved_ = w[at + 2] != 0;
  t.startX_ = int32_t(w[at + 3]);
  t.startY_ = int32_t(w[at + 4]);
  t.x_ = int32_t(w[at + 5]);
  t.y_ = int32_t(w[at + 6]);
  t.readX_ = int32_t(w[at + 7]);
  t.readY_ = int32_t(w[at + 8]);
  *this = t;
  return true;
}
