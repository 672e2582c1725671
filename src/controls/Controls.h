// The controls: keys, mouse, pads and fingers become the game's inputs, per screen and control type. The
// window only hands its events and script lines here (Apply), and the tick polls the devices
// (PollKeyboard, PollMouse) as the game reads them once a frame; every screen's meaning of a key,
// a click or a pad button is decided in this one place.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "base/Result.h"
#include "controls/PadMapper.h"
#include "controls/Touch.h"
#include "platform/Input.h"

class TGame;

class TControls {
 public:
  // Takes the keyboard and mouse; only acquiring can fail.
  HRESULT InitInput();
  // The window gained or lost the focus (devices read as unacquired without it).
  void SetFocus(bool focused) { input_.SetFocus(focused); }

  // An input event of this tick: device state for the polls, characters for the name entry, the
  // pad's buttons and sticks.
  void Apply(TGame& g, const InputEvent& e);
  // After every event of the tick: what the pads hold, for the screen the game shows now.
  void EndOfEvents(TGame& g);

  // Once a tick: the keyboard's and the mouse's effect on the screen the game shows.
  void PollKeyboard(TGame& g);
  void PollMouse(TGame& g);
  // A character typed (cp1251; 13 Enter, 8 Backspace): the name entry takes it.
  void FormKeyPress(TGame& g, unsigned char key);
  // The key the screen the game shows waits for (Enter on the result screens, the table of
  // records and the name entry), 0 where none: what a touch screen offers as a button.
  static uint8_t WaitedKey(const TGame& g);

  // On the table of records the player may ask to watch a row's replay (R, the pad's X, a click on
  // the row): the row asked for in this tick's polls, -1 for none; taking it clears it.
  int TakeWatchRequest();
  // Where a server of shared tables is set, the table screen switches between the player's own
  // and the shared table (S, the pad's Y, a click on the line that says so): whether it was asked
  // in this tick's polls; taking it clears it.
  bool TakeTableSwitchRequest();

  // The devices' state as a game starts, what a replay starts from again.
  struct DeviceStates {
    std::vector<int64_t> input, pad, touch;
  };
  DeviceStates SaveDevices() const;
  // False (nothing changed) for states SaveDevices cannot have given.
  bool LoadDevices(const DeviceStates& states);

  // While a replay plays the player only watches: Escape (the pad's B) stops it, Tab (the pad's Y)
  // switches its speed.
  enum class WatchAction : uint8_t { None, Stop, SwitchSpeed };
  static WatchAction WatcherAction(const InputEvent& e);
  // The player's devices follow the player's events meanwhile (kept aside for the table the watch
  // returns to), without acting on the game.
  void FollowWhileWatching(const InputEvent& e);

 private:
  // What the pad stands for on the screen the game shows now.
  static PadContext PadContextNow(const TGame& g);
  // What a finger stands for on the screen the game shows now.
  static TouchRole TouchRoleNow(const TGame& g);
  void TypeChars(TGame& g, const std::string& chars);
  // An event to the device it belongs to (keys and mouse, pad, finger); the pad's typed characters
  // for the screen it speaks to go to chars.
  void ApplyToDevices(const InputEvent& e, const PadContext& pad, std::string& chars);

  InputState input_;
  PadMapper pad_;
  TouchMapper touch_;
  int watchRequest_ = -1;
  bool switchRequest_ = false;
};

// A press of fire in play: launches the sight when it waits for launch, else shoots.
void LaunchOrShoot(TGame& g);
