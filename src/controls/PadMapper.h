// The one mapping from a pad to the keyboard and mouse input the game already reads, per screen.
// It knows nothing of SDL, so any backend (a window, a browser) feeds it the same events.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Pad.h"

// What the pad stands for: the screen the game shows and, in play, its control type.
enum class PadRole : uint8_t { None, Menu, GameMenu, KeyboardPlay, MousePlay, NameEntry };

struct PadContext {
  PadRole role = PadRole::None;
  bool nameFull = false;  // the name being entered takes no more letters
};

class PadMapper {
 public:
  // Stick deflection below this counts as centred.
  static constexpr int32_t kDeadZone = 8000;
  // Mouse counts per tick of a stick at full deflection under mouse control.
  static constexpr int32_t kMouseSpeed = 30;
  // A held Up or Down in the name entry steps again after this many ticks, then every kRepeat.
  static constexpr int kRepeatDelay = 12, kRepeat = 4;

  // A PadButton or PadAxis event (others are ignored). Characters it types into the name entry
  // (cp1251, 13 Enter, 8 Backspace) are appended to chars.
  void Apply(const InputEvent& e, const PadContext& c, std::string& chars);
  // Once a tick, after the tick's events: what the pad holds and its motion for this tick; a held
  // Up or Down in the name entry repeats its step into chars. A button pressed and released within
  // the tick is held for this tick, so a quick tap is not lost.
  PadInput Tick(const PadContext& c, std::string& chars);
  // Everything the mapping holds, as numbers, so a replay starts from the pad as it was.
  std::vector<int64_t> SaveState() const;
  // What SaveState gave; false (nothing changed) for numbers it cannot have given.
  bool LoadState(const std::vector<int64_t>& words);

 private:
  enum Dir { Up, Down, Left, Right, Dirs };
  std::array<bool, Dirs> Directions() const;
  void NameEntryPress(int what, const PadContext& c, std::string& chars);
  void StepLetter(int step, const PadContext& c, std::string& chars);

  std::array<bool, size_t(PadButton::Count)> down_{};
  std::array<bool, size_t(PadButton::Count)> tapped_{};  // pressed since the last Tick
  // A held button keeps the meaning it had when it was pressed, so a press that changed the screen
  // does not act again on the next one.
  std::array<PadRole, size_t(PadButton::Count)> pressedIn_{};
  std::array<int32_t, size_t(PadAxis::Count)> axes_{};
  int64_t restX_ = 0, restY_ = 0;  // fractions of mouse counts not yet given
  // Name entry: the letter at the cursor is a candidate until A or Right takes it.
  bool candidate_ = false;
  int letter_ = 0;
  int heldTicks_ = 0;
  PadRole lastRole_ = PadRole::None;
};
