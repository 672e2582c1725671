// Key codes, their names and the SDL scancode table; the polled device state.
#include "platform/Input.h"

#include <SDL_scancode.h>

#include <cstdio>
#include <cstdlib>

#include "platform/Numbers.h"
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

uint8_t KeyFromScancode(int sc) {
  if (sc >= SDL_SCANCODE_A && sc <= SDL_SCANCODE_Z) return kLetterCodes[sc - SDL_SCANCODE_A];
  if (sc >= SDL_SCANCODE_1 && sc <= SDL_SCANCODE_9) return kDigitCodes[sc - SDL_SCANCODE_1 + 1];
  if (sc >= SDL_SCANCODE_F1 && sc <= SDL_SCANCODE_F10) return uint8_t(0x3B + sc - SDL_SCANCODE_F1);
  switch (sc) {
    case SDL_SCANCODE_0: return 0x0B;
    case SDL_SCANCODE_ESCAPE: return 0x01;
    case SDL_SCANCODE_MINUS: return 0x0C;
    case SDL_SCANCODE_EQUALS: return 0x0D;
    case SDL_SCANCODE_BACKSPACE: return 0x0E;
    case SDL_SCANCODE_TAB: return 0x0F;
    case SDL_SCANCODE_LEFTBRACKET: return 0x1A;
    case SDL_SCANCODE_RIGHTBRACKET: return 0x1B;
    case SDL_SCANCODE_RETURN: return 0x1C;
    case SDL_SCANCODE_LCTRL: return 0x1D;
    case SDL_SCANCODE_SEMICOLON: return 0x27;
    case SDL_SCANCODE_APOSTROPHE: return 0x28;
    case SDL_SCANCODE_GRAVE: return 0x29;
    case SDL_SCANCODE_LSHIFT: return 0x2A;
    case SDL_SCANCODE_BACKSLASH: return 0x2B;
    case SDL_SCANCODE_COMMA: return 0x33;
    case SDL_SCANCODE_PERIOD: return 0x34;
    case SDL_SCANCODE_SLASH: return 0x35;
    case SDL_SCANCODE_RSHIFT: return 0x36;
    case SDL_SCANCODE_KP_MULTIPLY: return 0x37;
    case SDL_SCANCODE_LALT: return 0x38;
    case SDL_SCANCODE_SPACE: return 0x39;
    case SDL_SCANCODE_CAPSLOCK: return 0x3A;
    case SDL_SCANCODE_NUMLOCKCLEAR: return 0x45;
    case SDL_SCANCODE_SCROLLLOCK: return 0x46;
    case SDL_SCANCODE_KP_7: return 0x47;
    case SDL_SCANCODE_KP_8: return 0x48;
    case SDL_SCANCODE_KP_9: return 0x49;
    case SDL_SCANCODE_KP_MINUS: return 0x4A;
    case SDL_SCANCODE_KP_4: return 0x4B;
    case SDL_SCANCODE_KP_5: return 0x4C;
    case SDL_SCANCODE_KP_6: return 0x4D;
    case SDL_SCANCODE_KP_PLUS: return 0x4E;
    case SDL_SCANCODE_KP_1: return 0x4F;
    case SDL_SCANCODE_KP_2: return 0x50;
    case SDL_SCANCODE_KP_3: return 0x51;
    case SDL_SCANCODE_KP_0: return 0x52;
    case SDL_SCANCODE_KP_PERIOD: return 0x53;
    case SDL_SCANCODE_F11: return 0x57;
    case SDL_SCANCODE_F12: return 0x58;
    case SDL_SCANCODE_KP_ENTER: return 0x9C;
    case SDL_SCANCODE_RCTRL: return 0x9D;
    case SDL_SCANCODE_KP_DIVIDE: return 0xB5;
    case SDL_SCANCODE_RALT: return 0xB8;
    case SDL_SCANCODE_PAUSE: return 0xC5;
    case SDL_SCANCODE_HOME: return 0xC7;
    case SDL_SCANCODE_UP: return 0xC8;
    case SDL_SCANCODE_PAGEUP: return 0xC9;
    case SDL_SCANCODE_LEFT: return 0xCB;
    case SDL_SCANCODE_RIGHT: return 0xCD;
    case SDL_SCANCODE_END: return 0xCF;
    case SDL_SCANCODE_DOWN: return 0xD0;
    case SDL_SCANCODE_PAGEDOWN: return 0xD1;
    case SDL_SCANCODE_INSERT: return 0xD2;
    case SDL_SCANCODE_DELETE: return 0xD3;
    case SDL_SCANCODE_LGUI: return 0xDB;
    case SDL_SCANCODE_RGUI: return 0xDC;
    case SDL_SCANCODE_APPLICATION: return 0xDD;
    default: return 0;
  }
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
    case InputEvent::Kind::PadAxis: break;
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
