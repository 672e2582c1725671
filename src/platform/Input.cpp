// Key codes and their names; the polled device state.
#include "platform/Input.h"

#include <cstdio>
#include <cstdlib>

#include "base/Numbers.h"
#include "platform/Pad.h"

namespace {

struct NamedKey {
  const char* name;
  uint8_t code;
};

constexpr NamedKey kNamedKeys[] = {
    {"Escape", DIK_ESCAPE}, {"Enter", DIK_RETURN},   {"Space", DIK_SPACE}, {"F11", DIK_F11},
    {"F12", DIK_F12},       {"Up", DIK_UP},          {"Down", DIK_DOWN},   {"Left", DIK_LEFT},
    {"Right", DIK_RIGHT},   {"Backspace", DIK_BACK},
};

// DirectInput codes of the letters and digits, in the order of the keyboard's rows.
constexpr uint8_t kLetterCodes[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17,
                                      0x24, 0x25, 0x26, 0x32, 0x31, 0x18, 0x19, 0x10, 0x13,
                                      0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};
constexpr uint8_t kDigitCodes[10] = {0x0B, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A};

}  // namespace

std::string KeyName(uint8_t code) {
  for (const auto& k : kNamedKeys)
    if (k.code == code) return k.name;
  for (int i = 0; i < 26; ++i)
    if (kLetterCodes[i] == code) return std::string(1, char('A' + i));
  for (int i = 0; i < 10; ++i)
    if (kDigitCodes[i] == code) return std::string(1, char('0' + i));
  char buf[8];
  std::snprintf(buf, sizeof buf, "0x%02X", code);
  return buf;
}

std::optional<uint8_t> KeyFromName(const std::string& name) {
  for (const auto& k : kNamedKeys)
    if (name == k.name) return k.code;
  if (name.size() == 1 && name[0] >= 'A' && name[0] <= 'Z') return kLetterCodes[name[0] - 'A'];
  if (name.size() == 1 && name[0] >= '0' && name[0] <= '9') return kDigitCodes[name[0] - '0'];
  if (name.size() > 2 && name.size() <= 4 && name[0] == '0' && (name[1] == 'x' || name[1] == 'X')) {
    char* end = nullptr;
    const long v = std::strtol(name.c_str() + 2, &end, 16);
    if (*end == '\0' && v > 0 && v < 256) return static_cast<uint8_t>(v);
  }
  return std::nullopt;
}


void InputState::Apply(const InputEvent& e) {
  switch (e.kind) {
    case InputEvent::Kind::Key:
      if (e.a > 0 && e.a < 256) keys_.Set(size_t(e.a), e.b != 0);
      break;
    case InputEvent::Kind::MouseMove:
      // A script may move by any int32 count; the sum stops at the int32 range.
      dx_ = SaturateToInt(double(dx_) + e.a);
      dy_ = SaturateToInt(double(dy_) + e.b);
      break;
    case InputEvent::Kind::Button:
      if (e.a >= 0 && e.a < 8) buttons_.Set(size_t(e.a), e.b != 0);
      break;
    case InputEvent::Kind::Char:
    case InputEvent::Kind::LoseSurfaces:
    case InputEvent::Kind::PadButton:
    case InputEvent::Kind::PadAxis:
    case InputEvent::Kind::FingerDown:
    case InputEvent::Kind::FingerMove:
    case InputEvent::Kind::FingerUp: break;
  }
}

void InputState::ApplyPad(const PadInput& pad) {
  for (size_t i = 0; i < padKeys_.size(); ++i) padKeys_[i] = pad.keys[i] ? 0x80 : 0;
  padButton_ = pad.leftButton ? 0x80 : 0;
  if (pad.dx || pad.dy) Apply({InputEvent::Kind::MouseMove, pad.dx, pad.dy});
}

uint8_t KeyCharacter(const InputEvent& e) {
  if (e.kind != InputEvent::Kind::Key || !e.b) return 0;
  if (e.a == DIK_RETURN || e.a == DIK_NUMPADENTER) return 13;
  return e.a == DIK_BACK ? 8 : 0;
}

HRESULT InputState::ReadKeyboard(uint8_t (&keys)[256]) {
  if (!focused_) {
    keys_.Drop();
    return DIERR_NOTACQUIRED;
  }
  const std::array<uint8_t, 256> shown = keys_.Read();
  for (size_t i = 0; i < 256; ++i) keys[i] = shown[i] | padKeys_[i];
  return DI_OK;
}

HRESULT InputState::ReadMouse(DIMOUSESTATE2& state) {
  if (!focused_) {
    buttons_.Drop();
    return DIERR_NOTACQUIRED;
  }
  const std::array<uint8_t, 8> shown = buttons_.Read();
  state.lX = dx_;
  state.lY = dy_;
  state.lZ = 0;
  for (size_t i = 0; i < 8; ++i) state.rgbButtons[i] = shown[i];
  state.rgbButtons[0] |= padButton_;
  dx_ = dy_ = 0;
  return DI_OK;
}

std::vector<int64_t> InputState::SaveState() const {
  std::vector<int64_t> w;
  keys_.Save(w);
  buttons_.Save(w);
  std::vector<int64_t> pad;
  for (size_t i = 0; i < padKeys_.size(); ++i)
    if (padKeys_[i]) pad.push_back(int64_t(i));
  w.push_back(int64_t(pad.size()));
  w.insert(w.end(), pad.begin(), pad.end());
  w.insert(w.end(), {padButton_, dx_, dy_, focused_});
  return w;
}

bool InputState::LoadState(const std::vector<int64_t>& w) {
  InputState s;
  size_t at = 0;
  if (!s.keys_.Load(w, at) || !s.buttons_.Load(w, at)) return false;
  if (at >= w.size() || w[at] < 0 || w[at] > 256 || int64_t(w.size() - at - 1) < w[at] + 4)
    return false;
  const int64_t n = w[at++];
  for (int64_t k = 0; k < n; ++k, ++at) {
    if (w[at] < 0 || w[at] > 255) return false;
    s.padKeys_[size_t(w[at])] = 0x80;
  }
  const auto inInt = [](int64_t v) { return v >= INT32_MIN && v <= INT32_MAX; };
  if (w[at] < 0 || w[at] > 1 || !inInt(w[at + 1]) || !inInt(w[at + 2]) || w[at + 3] < 0 ||
      w[at + 3] > 1 || at + 4 != w.size())
    return false;
  s.padButton_ = uint8_t(w[at] ? 0x80 : 0);
  s.dx_ = int32_t(w[at + 1]);
  s.dy_ = int32_t(w[at + 2]);
  s.focused_ = w[at + 3] != 0;
  *this = s;
  return true;
}
