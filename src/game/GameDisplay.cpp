// The game's display set-up.
#include "game/GameUnit.h"
#include "display/DisplayDevice.h"

bool TGame::InitDisplay() {
  if (!CreateDisplay(DirectDraw, Sys, VideoMemoryKB, kScreenWidth, 32, kScreenHeight)) return false;
  return CreateFlipChain(*DirectDraw, Primary, BackBuffer);
}

void TGame::QueryVideoMemory(uint32_t& totalKB, uint32_t& freeKB) {
  totalKB = freeKB = 0;
  if (DirectDraw) ::QueryVideoMemory(*DirectDraw, totalKB, freeKB);
}
