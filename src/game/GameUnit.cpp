// The game object's life, its frame cycle and the message box.
#include "game/GameUnit.h"

#include <algorithm>

#include "display/DisplayDevice.h"
#include "base/Numbers.h"
#include "base/Random.h"
#include "platform/System.h"

#include "display/Letters.h"
#include "display/PixelRoutines.h"
#include "display/SpriteSurface.h"
#include "sound/WaveCollection.h"

TGame::TGame(System& system) : Sys(system) {
  SoundOn = 1;
  BackgroundFadeFrames = 20;
  BackgroundSwingFrames = 20;
  GleamFrameLimit = 12;
  FadeFrames = 10;
  DissolveFrames = 20;
  ColourFrames = 16;
  LoadFailure = 0;
  Brightness = 50;
  HudPhase = 0;
  TransitionStep = 0;
  State = gsStart;
  UniformBackground = 0;
  BackgroundColor = 0x800000;
  BackgroundIndex = 10;
  BackgroundType = 0;
  BackgroundPhaze1 = BackgroundPhaze2 = 0;
  ScenarioFile.clear();
  LevelTexts.clear();
  Difficulty = 0;
  ControlSpeed = 5;
  ControlType = 1;
  PointerX = 400;
  PointerY = 300;
  ClearButtonLatches();
  ClearRecords();
  RecordEntry = TRecordRow{};
  RecordEntry.nameLength = 10;
  for (char& c : RecordEntry.name) c = ' ';
  NameBlanks = 0;
  Message.clear();
  MessageFrames = 0;
}

TGame::~TGame() {
  Backgrounds.reset();
  BackgroundWork.reset();
  Font.reset();
  LogoSurface.reset();
  TargetPictures.reset();
  TargetCircles.reset();
  TargetWork.reset();
  MagnetSurfaces.reset();
  Pictures.reset();
  SightMask.reset();
  if (DirectDraw) {
    BackBuffer.reset();
    Primary.reset();
    DirectDraw.reset();
  }
  Sounds.reset();
  DirectSound.reset();
  LevelTexts.clear();
}

void TGame::DrawFrame() {
  switch (State) {
    case gsLoading: DrawLoading(); break;
    case gsMainMenu:
    case gsGameMenu:
      DrawMenu();
      DrawPointer();
      break;
    case gsPlaying: DrawPlayFrame(); break;
    case gsLevelDone: DrawLevelDone(); break;
    case gsWin: DrawWin(); break;
    case gsGameOver: DrawGameOver(); break;
    case gsEnterName: DrawNameEntry(); break;
    case gsRecords:
      DrawRecords();
      // Rows with replays can be clicked.
      if (std::count(std::begin(RecordReplays), std::end(RecordReplays), 1)) DrawPointer();
      break;
    default: break;  // gsStart, gsLevelLoading, gsExit: the previous frame stays
  }
  DecrementLatches();
  DrawMessageBox();
}

void TGame::DrawPlayFrame() {
  DrawBackground();
  DrawTargets();
  DrawMagnets();
  DrawShotMarks();
  MoveSight();
  if (NightOn) DrawNight();
  DrawHud();
  DrawSight();
}

void TGame::DrawLevelDone() {
  DrawBackground();
  DrawTargets();
  DrawShotMarks();
  DrawHud();
  const double chance = TransitionStep * 0.05;
  for (int cx = 0; cx < kTransitionColumns; ++cx)
    for (int cy = 0; cy < kTransitionRows; ++cy)
      if (!TransitionGrid[cx][cy] && GameRandom().Real() < chance) TransitionGrid[cx][cy] = 1;
  for (int cx = 0; cx < kTransitionColumns; ++cx)
    for (int cy = 0; cy < kTransitionRows; ++cy) {
      if (!TransitionGrid[cx][cy]) continue;
      // The grid overhangs the screen by one tile; the fill is cut to the back buffer.
      TRect r{cx * 20, cy * 20, std::min(cx * 20 + 20, kScreenWidth),
              std::min(cy * 20 + 20, kScreenHeight)};
      if (r.Left < r.Right && r.Top < r.Bottom && BackBuffer) BackBuffer->Fill(&r, 0);
    }
  const int32_t step = TransitionStep++;
  if (step == 15) {
    if (Level == LevelTexts.size())
      GameWon();
    else
      LoadLevel(Level + 1);
  }
}

void TGame::UpdateFrame() {
  // 1. Count pending points in, at most 75 a frame.
  if (PendingScore != 0) {
    PlaySound(2);
    if (PendingScore <= 75) {
      switch (Difficulty) {
        case 1: Score += PendingScore / 2; break;
        case 2: Score += Round(PendingScore * 1.5); break;
        default: Score += PendingScore; break;
      }
      PendingScore = 0;
    } else {
      Score += Difficulty == 1 ? 40 : Difficulty == 2 ? 110 : 75;
      PendingScore -= 75;
    }
  }
  if (State != gsPlaying) return;
  // 3. Effect timers; the frost pauses the light, the target and the sight.
  for (int i = 1; i <= kEffectTimers; ++i) {
    const bool paused =
        (i == kBonusLight || i == kBonusTarget || i == kBonusSight) && EffectTimers[kBonusFrost] != 0;
    if (EffectTimers[i] > 0 && !paused) --EffectTimers[i];
  }
  // 4. Time limit.
  if (TimeLimitOn) {
    // A counter at 0 or below takes the penalty anyway; not counting it down keeps a level's
    // lowest value from wrapping.
    if (EffectTimers[kBonusFrost] == 0 && TimeCounter > 0) --TimeCounter;
    if (TimeCounter <= 0) {
      Bullets -= 3;
      TimeCounter = 1500;
      PlaySound(3);
    }
  }
  // 5. Level cleared.
  bool required = false;
  for (int i = 1; i <= kTargetSlots; ++i)
    if (Targets[i].VISIBLE && Targets[i].NEEDHIT) required = true;
  if (!required) LevelCleared();
  // 6. Bonus bullet.
  if (HitStreak >= 7) {
    HitStreak -= 7;
    ++Bullets;
    PendingScore += 1000;
  }
  // 7. Out of bullets.
  if (Bullets < 0) GameOver();
}

void TGame::DecrementLatches() {
  for (int32_t& latch : KeyLatch)
    if (latch != 0) --latch;
}

void TGame::ShowMessageBox(const std::string& text, int32_t frames) {
  Message = text;
  MessageFrames = frames;
}

// A red field with a 10-pixel margin round the text block, centred on (400, 300), over whatever
// the state drew. The field is cut to the screen, so a message wider than the screen still
// shows it; without a font only the field is drawn.
void TGame::DrawMessageBox() {
  if (Message.empty() || MessageFrames <= 0) return;
  const int32_t w = Font ? Font->TextWidth(Message) / 2 : 0;
  const int32_t h = Font ? Font->TextHeight(Message, 5) / 2 : 0;
  if (BackBuffer) {
    const TRect box{std::max(390 - w, 0), std::max(290 - h, 0), std::min(410 + w, kScreenWidth),
                    std::min(310 + h, kScreenHeight)};
    FillRect(*BackBuffer, box, 0xFF0000);
    if (Font) Font->DrawText(*BackBuffer, 400, 300, Message, daCenter, daCenter, 5);
  }
  --MessageFrames;
}

void TGame::ClearEffectTimers() {
  for (int32_t& t : EffectTimers) t = 0;
}
