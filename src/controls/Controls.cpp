// The controls: every screen's meaning of keys, mouse and pads.
#include "controls/Controls.h"

#include <cstring>
#include <utility>

#include "base/Numbers.h"
#include "game/GameUnit.h"

void LaunchOrShoot(TGame& g) {
  if (g.SightActive)
    g.Shoot();
  else
    g.SightActive = 1;
}

HRESULT TControls::InitInput() {
  // Both devices are the window's; only acquiring can fail.
  return input_.Acquire();
}

void TControls::Apply(TGame& g, const InputEvent& e) {
  std::string chars;
  ApplyToDevices(e, PadContextNow(g), chars);
  TypeChars(g, chars);
  if (e.kind == InputEvent::Kind::Char)
    FormKeyPress(g, static_cast<unsigned char>(e.a));
  else if (const uint8_t c = KeyCharacter(e))
    FormKeyPress(g, c);
}

void TControls::ApplyToDevices(const InputEvent& e, const PadContext& pad, std::string& chars) {
  switch (e.kind) {
    case InputEvent::Kind::Char: break;
    case InputEvent::Kind::FingerDown:
    case InputEvent::Kind::FingerMove:
    case InputEvent::Kind::FingerUp: touch_.Apply(e); break;
    case InputEvent::Kind::PadButton:
    case InputEvent::Kind::PadAxis: pad_.Apply(e, pad, chars); break;
    default: input_.Apply(e); break;
  }
}

void TControls::EndOfEvents(TGame& g) {
  std::string chars;
  input_.ApplyPad(pad_.Tick(PadContextNow(g), chars));
  TypeChars(g, chars);
}

PadContext TControls::PadContextNow(const TGame& g) {
  PadContext c;
  switch (g.State) {
    case gsMainMenu:
    case gsWin:
    case gsGameOver:
    case gsRecords: c.role = PadRole::Menu; break;
    case gsGameMenu: c.role = PadRole::GameMenu; break;
    case gsPlaying: c.role = g.ControlType == 0 ? PadRole::KeyboardPlay : PadRole::MousePlay; break;
    case gsEnterName:
      c.role = PadRole::NameEntry;
      c.nameFull = g.NameEntryFull();
      break;
    default: break;
  }
  return c;
}

TouchRole TControls::TouchRoleNow(const TGame& g) {
  switch (g.State) {
    case gsMainMenu:
    case gsGameMenu:
    case gsRecords: return TouchRole::Pointer;
    case gsPlaying: return TouchRole::Steer;
    case gsWin:
    case gsGameOver: return TouchRole::Tap;
    default: return TouchRole::None;
  }
}

uint8_t TControls::WaitedKey(const TGame& g) {
  switch (g.State) {
    case gsWin:
    case gsGameOver:
    case gsRecords:
    case gsEnterName: return DIK_RETURN;
    default: return 0;
  }
}

void TControls::TypeChars(TGame& g, const std::string& chars) {
  for (unsigned char c : chars) FormKeyPress(g, c);
}

void TControls::PollKeyboard(TGame& g) {
  uint8_t keys[256] = {};
  if (Failed(input_.ReadKeyboard(keys))) {
    std::memset(keys, 0, sizeof keys);
    while (input_.Acquire() == DIERR_INPUTLOST) {
    }
  }
  auto pressed = [&](int code) { return keys[code] == 0x80; };
  // A key acts when it is pressed and not latched; acting latches it; a key that is up unlatches.
  auto acts = [&](int code) {
    if (!pressed(code)) {
      g.SetKeyLatch(code, false);
      return false;
    }
    if (g.IsKeyLatched(code)) return false;
    g.SetKeyLatch(code, true);
    return true;
  };
  const bool space = acts(DIK_SPACE);
  const bool enter = acts(DIK_RETURN);
  const bool escape = acts(DIK_ESCAPE);
  const bool fire = space || enter;

  switch (g.State) {
    case gsMainMenu:
    case gsGameMenu:
      if (acts(DIK_DOWN)) g.MenuStep(true, false);
      if (acts(DIK_UP)) g.MenuStep(false, false);
      if (fire) g.MenuStep(true, true);
      if (escape) {
        if (g.State == gsMainMenu) {
          g.State = gsExit;
        } else if (g.State == gsGameMenu) {
          g.BuildMainMenu();
          g.State = gsPlaying;
        }
      }
      break;
    case gsPlaying: {
      if (g.ControlType == 0) {
        int dx = 0, dy = 0;
        const struct {
          int code, dx, dy;
        } arrows[] = {{DIK_RIGHT, 1, 0}, {DIK_LEFT, -1, 0}, {DIK_UP, 0, 1}, {DIK_DOWN, 0, -1}};
        for (const auto& a : arrows)
          if (acts(a.code)) {
            if (!g.SightActive) g.SightActive = 1;
            if (a.dx) dx = a.dx;
            if (a.dy) dy = a.dy;
          }
        if (fire) {
          LaunchOrShoot(g);
          return;
        }
        g.SteerSight(dx, dy);
      }
      // F11's latch is not cleared when the key is up; it runs out by counting down.
      if (pressed(DIK_F11) && !g.IsKeyLatched(DIK_F11) && g.LevelSkipEnabled) {
        g.SkipLevel();
        g.SetKeyLatch(DIK_F11, true);
      }
      // A skip that ended the game in this tick leaves no level to open the in-game menu over.
      if (escape && g.State == gsPlaying) {
        g.BuildGameMenu();
        g.State = gsGameMenu;
      }
      break;
    }
    case gsWin:
    case gsGameOver:
      if (fire || escape) g.FinishResult(32, true);
      break;
    case gsRecords:
      if (acts(DIK_UP)) g.SelectRecordReplay(-1);
      if (acts(DIK_DOWN)) g.SelectRecordReplay(1);
      if (acts(DIK_R) && g.RecordsSelected >= 0) {
        watchRequest_ = g.RecordsSelected;
        break;
      }
      if (acts(DIK_S) && g.SharedServerSet) {
        switchRequest_ = true;
        break;
      }
      if (fire || escape) g.State = gsMainMenu;
      break;
    default: break;
  }
}

void TControls::PollMouse(TGame& g) {
  DIMOUSESTATE2 m{};
  if (Failed(input_.ReadMouse(m))) {
    m = DIMOUSESTATE2{};
    while (input_.Acquire() == DIERR_INPUTLOST) {
    }
  }
  // A finger is read beside the mouse: a tap is a press of the left button.
  const TouchInput t = touch_.Read(TouchRoleNow(g));
  bool click = false;
  if (m.rgbButtons[0] == 0x80 || t.click) {
    if (!g.IsButtonLatched(0)) {
      click = true;
      g.SetButtonLatch(0, true);
    }
  } else {
    g.SetButtonLatch(0, false);
  }
  switch (g.State) {
    case gsMainMenu:
    case gsGameMenu:
      if (t.place) g.PlacePointer(t.x, t.y);
      g.MovePointer(m.lX, m.lY);
      if (click) g.MenuClick();
      break;
    case gsPlaying: {
      // A finger steers and shoots as the mouse does under either control type.
      const bool mouse = g.ControlType == 1;
      if (mouse)
        g.MovePointer(SaturateToInt(double(m.lX) + t.dx), SaturateToInt(double(m.lY) + t.dy));
      else if (t.dx || t.dy)
        g.MovePointer(t.dx, t.dy);
      if (click && (mouse || t.click)) LaunchOrShoot(g);
      break;
    }
    case gsWin:
    case gsGameOver:
      if (click) g.FinishResult(32, true);
      break;
    case gsRecords:
      if (t.place) g.PlacePointer(t.x, t.y);
      g.MovePointer(m.lX, m.lY);
      if (click) {
        const int row = g.RecordRowAt(g.PointerX, g.PointerY);
        if (row >= 0 && g.RecordReplays[row])
          watchRequest_ = row;
        else if (g.OnTableSwitchLine(g.PointerX, g.PointerY))
          switchRequest_ = true;
        else
          g.State = gsMainMenu;
      }
      break;
    default: break;
  }
}

void TControls::FormKeyPress(TGame& g, unsigned char key) {
  if (g.State == gsEnterName) g.FinishResult(key, false);
}

int TControls::TakeWatchRequest() {
  return std::exchange(watchRequest_, -1);
}

bool TControls::TakeTableSwitchRequest() {
  return std::exchange(switchRequest_, false);
}

TControls::DeviceStates TControls::SaveDevices() const {
  return {input_.SaveState(), pad_.SaveState(), touch_.SaveState()};
}

bool TControls::LoadDevices(const DeviceStates& states) {
  TControls loaded = *this;
  if (!loaded.input_.LoadState(states.input) || !loaded.pad_.LoadState(states.pad) ||
      !loaded.touch_.LoadState(states.touch))
    return false;
  *this = loaded;
  return true;
}

TControls::WatchAction TControls::WatcherAction(const InputEvent& e) {
  if (!e.b) return WatchAction::None;
  const bool key = e.kind == InputEvent::Kind::Key, pad = e.kind == InputEvent::Kind::PadButton;
  if ((key && e.a == DIK_ESCAPE) || (pad && e.a == int32_t(PadButton::B))) return WatchAction::Stop;
  if ((key && e.a == DIK_TAB) || (pad && e.a == int32_t(PadButton::Y))) return WatchAction::SwitchSpeed;
  return WatchAction::None;
}

void TControls::FollowWhileWatching(const InputEvent& e) {
  std::string chars;  // the watcher types nothing
  ApplyToDevices(e, PadContext{PadRole::Menu}, chars);
}
