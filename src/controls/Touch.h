// A finger on a touch screen (a page's or one under Linux, through the same events) as the pointer
// and mouse the game already reads. The mapping knows nothing of SDL; every backend and the scripts
// feed it the same FingerDown, FingerMove and FingerUp events.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/Input.h"

// What a finger stands for on the screen the game shows.
enum class TouchRole : uint8_t {
  None,     // a finger does nothing here (loading, the name entry)
  Pointer,  // menus, the table of records: the pointer goes where the finger is, a tap clicks there
  Steer,    // play: a drag moves as the mouse does, a tap clicks (launch, shoot)
  Tap,      // result screens: a tap clicks
};

// What the finger gives one poll.
struct TouchInput {
  bool place = false;  // put the pointer at (x, y), frame coordinates
  int32_t x = 0, y = 0;
  int32_t dx = 0, dy = 0;  // mouse motion, in frame pixels
  bool click = false;      // the left button as this poll sees it
};

class TouchMapper {
 public:
  // A finger that lifts within this many frame pixels (either way) of where it went down, having
  // never gone further, taps; any further and it drags.
  static constexpr int32_t kTapTravel = 16;

  // A finger event (others are ignored).
  void Apply(const InputEvent& e);
  // Once a poll: what the finger did since the last one, as the role asks. A tap whose touch and
  // lift both came since the last poll clicks in this one; motion and taps not used here are gone.
  TouchInput Read(TouchRole role);

  // The finger's state as numbers (empty when no finger is down and nothing waits to be read), for
  // a replay to start from; LoadState takes what SaveState gave, false (nothing changed) otherwise.
  std::vector<int64_t> SaveState() const;
  bool LoadState(const std::vector<int64_t>& words);

 private:
  bool down_ = false, drag_ = false;
  bool moved_ = false;  // the finger went down or moved since the last poll
  int32_t startX_ = 0, startY_ = 0;
  int32_t x_ = 0, y_ = 0;
  int32_t readX_ = 0, readY_ = 0;  // where the last poll saw the finger
  PolledControls<1> tap_;
};
