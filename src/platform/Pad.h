// The game pad: its buttons and axes as every backend reports them, their script names, and what a
// pad holds in one tick as keyboard and mouse input (the controls, src/controls/PadMapper.h, work
// that out from the screen the game shows).
#pragma once
#include <array>
#include <bitset>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/Input.h"

enum class PadButton : uint8_t {
  A,
  B,
  X,
  Y,
  Start,
  Back,
  DpUp,
  DpDown,
  DpLeft,
  DpRight,
  LeftShoulder,
  RightShoulder,
  Count
};
enum class PadAxis : uint8_t { LeftX, LeftY, RightX, RightY, Count };

// Script names: "a", "start", "dpup", ...; "leftx", "righty", ...
std::string PadButtonName(PadButton b);
std::optional<PadButton> PadButtonFromName(const std::string& name);
std::string PadAxisName(PadAxis a);
std::optional<PadAxis> PadAxisFromName(const std::string& name);

// What the pad gives in one tick: keys and the left mouse button it holds down (merged with the
// real devices) and mouse motion.
struct PadInput {
  std::bitset<256> keys;
  bool leftButton = false;
  int32_t dx = 0, dy = 0;
};
