// One line of the shared menu table (main menu and in-game menu).
#pragma once
#include <cstdint>
#include <string>

struct TMenuLine {
  int32_t X = 200;
  int32_t Y = 0;
  uint8_t Visible = 0;
  std::string Text;
  int32_t Height = 0;
  int32_t Width = 0;
  uint8_t Selected = 0;
  int32_t Phase = 0;
};

constexpr int kMenuLines = 10;
