// The mapping from a pad to the game's keyboard and mouse input.
#include "controls/PadMapper.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace {

// The letters a name is spelt with on the pad alone.
constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
constexpr int kLetterCount = int(sizeof kLetters - 1);
constexpr char kEnter = 13, kBackspace = 8;

bool Held(int32_t v, int sign) {
  return sign > 0 ? v > PadMapper::kDeadZone : v < -PadMapper::kDeadZone;
}

// Mouse counts of one tick for a stick deflection, proportional beyond the dead zone; rest keeps
// the fraction so a slight deflection still moves.
int32_t Motion(int32_t v, int64_t& rest) {
  const int64_t mag = std::min<int64_t>(std::abs(int64_t(v)), 32767);
  if (mag <= PadMapper::kDeadZone) {
    rest = 0;
    return 0;
  }
  constexpr int64_t range = 32767 - PadMapper::kDeadZone;
  rest += (v < 0 ? -1 : 1) * (mag - PadMapper::kDeadZone) * PadMapper::kMouseSpeed;
  const int64_t n = rest / range;
  rest -= n * range;
  return int32_t(n);
}

}  // namespace

std::array<bool, PadMapper::Dirs> PadMapper::Directions() const {
  const auto button = [&](PadButton b) { return down_[size_t(b)]; };
  const int32_t x = axes_[size_t(PadAxis::LeftX)], y = axes_[size_t(PadAxis::LeftY)];
  return {button(PadButton::DpUp) || Held(y, -1), button(PadButton::DpDown) || Held(y, 1),
          button(PadButton::DpLeft) || Held(x, -1), button(PadButton::DpRight) || Held(x, 1)};
}

void PadMapper::Apply(const InputEvent& e, const PadContext& c, std::string& chars) {
  if (c.role != lastRole_) {
    candidate_ = false;
    lastRole_ = c.role;
  }
  const auto before = Directions();
  if (e.kind == InputEvent::Kind::PadButton) {
    if (e.a < 0 || e.a >= int32_t(PadButton::Count)) return;
    const bool down = e.b != 0;
    if (down_[size_t(e.a)] == down) return;
    down_[size_t(e.a)] = down;
    if (!down) return;
    tapped_[size_t(e.a)] = true;
    pressedIn_[size_t(e.a)] = c.role;
    if (c.role != PadRole::NameEntry) return;
    switch (PadButton(e.a)) {
      case PadButton::A: candidate_ = false; break;
      case PadButton::B:
        chars += kBackspace;
        candidate_ = false;
        break;
      case PadButton::Start:
        chars += kEnter;
        candidate_ = false;
        break;
      default: break;
    }
  } else if (e.kind == InputEvent::Kind::PadAxis) {
    if (e.a < 0 || e.a >= int32_t(PadAxis::Count)) return;
    axes_[size_t(e.a)] = std::clamp(e.b, -32768, 32767);
  } else {
    return;
  }
  if (c.role != PadRole::NameEntry) return;
  const auto after = Directions();
  for (int d = 0; d < Dirs; ++d) {
    if (!after[size_t(d)] || before[size_t(d)]) continue;
    switch (d) {
      case Up: StepLetter(1, c, chars); break;
      case Down: StepLetter(-1, c, chars); break;
      case Right: candidate_ = false; break;
      case Left:
        chars += kBackspace;
        candidate_ = false;
        break;
    }
    heldTicks_ = 0;
  }
}

void PadMapper::StepLetter(int step, const PadContext& c, std::string& chars) {
  if (candidate_) {
    // The candidate is replaced by the next letter.
    letter_ = (letter_ + step + kLetterCount) % kLetterCount;
    chars += kBackspace;
    chars += kLetters[letter_];
  } else if (!c.nameFull) {
    letter_ = step > 0 ? 0 : 25;  // Up starts at A, Down at Z
    chars += kLetters[letter_];
    candidate_ = true;
  }
}

PadInput PadMapper::Tick(const PadContext& c, std::string& chars) {
  if (c.role != lastRole_) {
    candidate_ = false;
    lastRole_ = c.role;
  }
  PadInput in;
  for (size_t i = 0; i < down_.size(); ++i) {
    const bool held = down_[i] || tapped_[i];
    tapped_[i] = false;
    if (!held) continue;
    const PadRole role = pressedIn_[i];
    const bool menu = role == PadRole::Menu || role == PadRole::GameMenu;
    const bool play = role == PadRole::KeyboardPlay || role == PadRole::MousePlay;
    switch (PadButton(i)) {
      case PadButton::A:
        if (menu || role == PadRole::KeyboardPlay) in.keys.set(DIK_RETURN);
        if (role == PadRole::MousePlay) in.leftButton = true;
        break;
      case PadButton::B:
        if (menu || play) in.keys.set(DIK_ESCAPE);
        break;
      case PadButton::Start:
        if (play || role == PadRole::GameMenu) in.keys.set(DIK_ESCAPE);
        break;
      case PadButton::X:
        if (role == PadRole::Menu) in.keys.set(DIK_R);  // the table's replay
        break;
      case PadButton::Y:
        if (role == PadRole::Menu) in.keys.set(DIK_S);  // the own or the shared table
        break;
      case PadButton::DpUp:
        if (menu || role == PadRole::KeyboardPlay) in.keys.set(DIK_UP);
        break;
      case PadButton::DpDown:
        if (menu || role == PadRole::KeyboardPlay) in.keys.set(DIK_DOWN);
        break;
      case PadButton::DpLeft:
        if (role == PadRole::KeyboardPlay) in.keys.set(DIK_LEFT);
        break;
      case PadButton::DpRight:
        if (role == PadRole::KeyboardPlay) in.keys.set(DIK_RIGHT);
        break;
      default: break;
    }
  }
  const int32_t x = axes_[size_t(PadAxis::LeftX)], y = axes_[size_t(PadAxis::LeftY)];
  switch (c.role) {
    case PadRole::KeyboardPlay:
      if (Held(x, -1)) in.keys.set(DIK_LEFT);
      if (Held(x, 1)) in.keys.set(DIK_RIGHT);
      [[fallthrough]];
    case PadRole::Menu:
    case PadRole::GameMenu:
      if (Held(y, -1)) in.keys.set(DIK_UP);
      if (Held(y, 1)) in.keys.set(DIK_DOWN);
      break;
    case PadRole::MousePlay:
      in.dx = Motion(x, restX_);
      in.dy = Motion(y, restY_);
      break;
    case PadRole::NameEntry: {
      const auto dirs = Directions();
      if (dirs[Up] != dirs[Down]) {
        ++heldTicks_;
        if (heldTicks_ >= kRepeatDelay && (heldTicks_ - kRepeatDelay) % kRepeat == 0)
          StepLetter(dirs[Up] ? 1 : -1, c, chars);
      } else {
        heldTicks_ = 0;
      }
      break;
    }
    case PadRole::None: break;
  }
  if (c.role != PadRole::MousePlay) restX_ = restY_ = 0;
  return in;
}

std::vector<int64_t> PadMapper::SaveState() const {
  std::vector<int64_t> w;
  for (size_t i = 0; i < down_.size(); ++i)
    w.insert(w.end(), {down_[i], tapped_[i], int64_t(pressedIn_[i])});
  w.insert(w.end(), axes_.begin(), axes_.end());
  w.insert(w.end(), {restX_, restY_, candidate_, letter_, heldTicks_, int64_t(lastRole_)});
  return w;
}

bool PadMapper::LoadState(const std::vector<int64_t>& w) {
  constexpr size_t kButtons = size_t(PadButton::Count), kAxes = size_t(PadAxis::Count);
  if (w.size() != 3 * kButtons + kAxes + 6) return false;
  const auto role = [](int64_t v) { return v >= 0 && v <= int64_t(PadRole::NameEntry); };
  const auto flag = [](int64_t v) { return v == 0 || v == 1; };
  PadMapper m;
  size_t at = 0;
  for (size_t i = 0; i < kButtons; ++i, at += 3) {
    if (!flag(w[at]) || !flag(w[at + 1]) || !role(w[at + 2])) return false;
    m.down_[i] = w[at];
    m.tapped_[i] = w[at + 1];
    m.pressedIn_[i] = PadRole(w[at + 2]);
  }
  for (size_t i = 0; i < kAxes; ++i, ++at) {
    if (w[at] < -32768 || w[at] > 32767) return false;
    m.axes_[i] = int32_t(w[at]);
  }
  // The rests stay below one mouse count's share of the stick's range.
  const auto rest = [](int64_t v) { return v > -32767 && v < 32767; };
  if (!rest(w[at]) || !rest(w[at + 1]) || !flag(w[at + 2]) || w[at + 3] < 0 ||
      w[at + 3] >= kLetterCount || w[at + 4] < 0 || w[at + 4] > INT32_MAX || !role(w[at + 5]))
    return false;
  m.restX_ = w[at];
  m.restY_ = w[at + 1];
  m.candidate_ = w[at + 2];
  m.letter_ = int(w[at + 3]);
  m.heldTicks_ = int(w[at + 4]);
  m.lastRole_ = PadRole(w[at + 5]);
  *this = m;
  return true;
}
