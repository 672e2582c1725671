// Keyboard and mouse as polled devices: the keyboard's immediate state as 256 bytes indexed by
// DirectInput key code (0x80 = down), the mouse's relative motion since the last read and 8
// buttons. Every backend (sdl, headless, web) feeds the same InputState through InputEvent values,
// so scripts, recording and the real window share one path. A key or button pressed and released between two reads is
// read as down by the first read and as up by the next, so a quick tap is never lost.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/Result.h"

// DirectInput key codes the game and the scripts name.
enum : uint8_t {
  DIK_ESCAPE = 0x01,
  DIK_BACK = 0x0E,
  DIK_TAB = 0x0F,
  DIK_R = 0x13,
  DIK_S = 0x1F,
  DIK_RETURN = 0x1C,
  DIK_NUMPADENTER = 0x9C,
  DIK_SPACE = 0x39,
  DIK_F11 = 0x57,
  DIK_F12 = 0x58,
  DIK_UP = 0xC8,
  DIK_LEFT = 0xCB,
  DIK_RIGHT = 0xCD,
  DIK_DOWN = 0xD0,
};

struct InputEvent {
  enum class Kind : uint8_t {
    Key,
    MouseMove,
    Button,
    Char,
    LoseSurfaces,
    PadButton,
    PadAxis,
    FingerDown,
    FingerMove,
    FingerUp
  };
  Kind kind = Kind::Key;
  // key code, dx, button, character code, pad button, pad axis, finger x
  int32_t a = 0;
  // 1 down / 0 up, dy, axis value -32768..32767, finger y. A finger is the first one on the screen,
  // at a point of the 800 x 600 frame (outside it in the bars around it); it lifts where it last
  // moved to.
  int32_t b = 0;
};

struct PadInput;

// Script and recording names of key codes ("Escape", "Down", "A", "0x1C").
std::string KeyName(uint8_t code);
std::optional<uint8_t> KeyFromName(const std::string& name);
// The character a key event gives the window's character handler: 13 for a press of either Enter,
// 8 for a press of Backspace, 0 for anything else. Every backend and script go through it, so a
// script's `key Enter down` ends the name entry as the real key does.
uint8_t KeyCharacter(const InputEvent& e);

struct DIMOUSESTATE2 {
  int32_t lX = 0, lY = 0, lZ = 0;
  uint8_t rgbButtons[8] = {};
};

// Keys or buttons as reads see them. A control pressed since the last read reads as down even when
// it is up again; a press that comes after a read that showed the control down waits one read,
// which shows it up, so two presses never merge into one hold. A control held across reads reads
// as down throughout.
template <size_t N>
class PolledControls {
 public:
  void Set(size_t i, bool down) {
    if (i >= N) return;
    if (down && !down_[i]) pressed_[i] = true;
    down_[i] = down;
  }
  // What one read shows, 0x80 for down.
  std::array<uint8_t, N> Read() {
    for (size_t i = 0; i < N; ++i) {
      if (!(shown_[i] && pressed_[i])) {
        shown_[i] = down_[i] || pressed_[i];
        pressed_[i] = false;
      } else {
        shown_[i] = false;  // the release between the previous press and this one
      }
    }
    std::array<uint8_t, N> out{};
    for (size_t i = 0; i < N; ++i) out[i] = shown_[i] ? 0x80 : 0;
    return out;
  }
  // A read that failed: the presses since the last read are lost, and it showed every control up.
  void Drop() {
    pressed_ = {};
    shown_ = {};
  }
  // The controls whose state is not all up: index and flags (4 down, 2 pressed, 1 shown).
  void Save(std::vector<int64_t>& words) const {
    std::vector<int64_t> some;
    for (size_t i = 0; i < N; ++i)
      if (const int f = down_[i] * 4 + pressed_[i] * 2 + shown_[i]) {
        some.push_back(int64_t(i));
        some.push_back(f);
      }
    words.push_back(int64_t(some.size() / 2));
    words.insert(words.end(), some.begin(), some.end());
  }
  // What Save wrote, from words[at]; false (nothing changed) when it is out of range.
  bool Load(const std::vector<int64_t>& words, size_t& at) {
    if (at >= words.size() || words[at] < 0 || words[at] > int64_t(N)) return false;
    const size_t n = size_t(words[at]);
    if (words.size() - at - 1 < 2 * n) return false;
    PolledControls loaded;
    for (size_t k = 0; k < n; ++k) {
      const int64_t i = words[at + 1 + 2 * k], f = words[at + 2 + 2 * k];
      if (i < 0 || i >= int64_t(N) || f < 0 || f > 7) return false;
      loaded.down_[size_t(i)] = f & 4;
      loaded.pressed_[size_t(i)] = f & 2;
      loaded.shown_[size_t(i)] = f & 1;
    }
    *this = loaded;
    at += 1 + 2 * n;
    return true;
  }

 private:
  std::array<bool, N> down_{}, pressed_{}, shown_{};
};

class InputState {
 public:
  void Apply(const InputEvent& e);
  // The devices fail to read while the window is in the background, as unacquired devices do.
  void SetFocus(bool focused) { focused_ = focused; }

  // A read that fails (no focus) loses the presses since the last read, as an unacquired device
  // does.
  HRESULT ReadKeyboard(uint8_t (&keys)[256]);
  // Relative motion accumulated since the previous read.
  HRESULT ReadMouse(DIMOUSESTATE2& state);
  HRESULT Acquire() const { return focused_ ? DI_OK : DIERR_OTHERAPPHASPRIO; }
  // What the pad holds this tick: its keys and left button count as down besides the real ones;
  // its motion adds to the mouse's.
  void ApplyPad(const PadInput& pad);
  // Everything the devices hold, as numbers, so a replay starts from the devices as they were.
  std::vector<int64_t> SaveState() const;
  // What SaveState gave; false (nothing changed) for numbers it cannot have given.
  bool LoadState(const std::vector<int64_t>& words);

 private:
  PolledControls<256> keys_;
  PolledControls<8> buttons_;
  std::array<uint8_t, 256> padKeys_{};
  uint8_t padButton_ = 0;
  int32_t dx_ = 0, dy_ = 0;
  bool focused_ = true;
};
