// Operations whose subsystems are still being built. Each one moves to its subsystem's folder, with
// its full rules, when that subsystem is written; until then they keep the game running: loading
// goes straight to the main menu and the screens are plain.
#include <algorithm>
#include <filesystem>

#include "app/GameUnit.h"
#include "assets/FileUtils.h"
#include "platform/System.h"

// Sight, shooting, scoring
void TGame::ResetSight() {}
void TGame::SteerSight(int, int) {}
void TGame::MoveSight() {}
void TGame::Shoot() {}
void TGame::DrawShotMarks() {}
void TGame::DrawSight() {}
void TGame::LevelCleared() {}
void TGame::SkipLevel() {
  if (Level == LevelTexts.size())
    GameOver();
  else
    LoadLevel(Level + 1);
}

// Menus, HUD, result screens, records
void TGame::DrawHud() {}
void TGame::GameOver() { State = gsGameOver; }
void TGame::GameWon() { State = gsWin; }
void TGame::DrawGameOver() {
  if (BackBuffer) BackBuffer->Fill(nullptr, kScreenColor);
}
void TGame::DrawWin() {
  if (BackBuffer) BackBuffer->Fill(nullptr, kScreenColor);
}
