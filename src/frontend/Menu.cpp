// The main menu and the in-game menu: their lines, walking and clicking them, the settings each
// line changes, and drawing the menu screen with its pulsing marker and credits line.
#include <cstdio>
#include <string>

#include "game/GameUnit.h"
#include "display/Letters.h"
#include "display/PixelRoutines.h"
#include "display/SpriteSurface.h"

namespace {

// The line's box starts at the marker; the text stands this far right of it.
constexpr int32_t kTextIndent = 46;
// Clickable width beyond the text's own width (so the last 12 pixels of a text lie outside).
constexpr int32_t kBoxExtra = 34;
constexpr int32_t kMenuLeft = 200;
constexpr int32_t kMenuTop = 200;
constexpr int32_t kLineGap = 5;
constexpr int32_t kMarkerPeriod = 40;
constexpr int kSelectSound = 1;

enum : int {
  kLineStart = 0,
  kLineScenario = 1,
  kLineDifficulty = 2,
  kLineBrightness = 3,
  kLineControlType = 4,
  kLineControlSpeed = 5,
  kLineRecords = 6,
  kLineSound = 7,
  kLineExit = 8,
};

std::string DifficultyText(uint8_t difficulty) {
  return std::string("Game difficulty: ") + kDifficultyNames[difficulty <= 2 ? difficulty : 0];
}

std::string BrightnessText(uint8_t brightness) {
  char text[64];
  std::snprintf(text, sizeof text, "%s%d%%", "Background brightness: ", int(brightness));
  return text;
}

std::string ControlSpeedText(uint8_t controlSpeed) {
  char text[64];
  // The label ends in a blank and the format adds one: two blanks before the number.
  std::snprintf(text, sizeof text, "%s %d", "Control speed: ", 15 - int(controlSpeed));
  return text;
}

std::string ControlTypeText(uint8_t controlType) {
  return controlType ? "Control type: mouse" : "Control type: keyboard";
}

std::string ScenarioText(const std::string& file) {
  // The name without its extension ".lev" (its last four characters).
  return "Scenario: " + file.substr(0, file.size() >= 4 ? file.size() - 4 : 0);
}

// The text of a line of the main menu or the in-game menu; empty for a hidden line.
std::string MenuLineText(const TGame& g, int index, bool gameMenu) {
  switch (index) {
    case kLineStart: return gameMenu ? "Return to game" : "New game";
    case kLineScenario: return gameMenu ? "" : ScenarioText(g.ScenarioFile);
    case kLineDifficulty: return gameMenu ? "" : DifficultyText(g.Difficulty);
    case kLineBrightness: return BrightnessText(g.Brightness);
    case kLineControlType: return ControlTypeText(g.ControlType);
    case kLineControlSpeed: return ControlSpeedText(g.ControlSpeed);
    case kLineRecords: return gameMenu ? "" : "Best results";
    case kLineSound:
      return !g.Sounds ? "Sound: not allowed" : g.SoundOn ? "Sound: on" : "Sound: off";
    case kLineExit: return "Exit";
    default: return "";
  }
}

int32_t LineBoxWidth(const TGame& g, const std::string& text) {
  return (g.Font ? g.Font->LineWidth(text) : 0) + kBoxExtra;
}

// Overwrites all ten lines; hidden lines take no room, so the visible ones stand one under another.
void BuildMenu(TGame& g, bool gameMenu) {
  const int32_t h = g.Font ? g.Font->LineHeight("W") : 0;
  int32_t y = kMenuTop;
  for (int i = 0; i < kMenuLines; ++i) {
    TMenuLine& line = g.MenuLines[i];
    line.Text = MenuLineText(g, i, gameMenu);
    line.Visible = !line.Text.empty();
    line.Phase = 0;
    if (!line.Visible) continue;
    line.X = kMenuLeft;
    line.Y = y;
    line.Height = h;
    line.Width = LineBoxWidth(g, line.Text);
    y += h + kLineGap;
  }
  g.SelectMenuLine(0);
}

}  // namespace

void TGame::BuildMainMenu() {
  BuildMenu(*this, false);
}

void TGame::BuildGameMenu() {
  BuildMenu(*this, true);
}

void TGame::SelectMenuLine(int index) {
  for (int i = 0; i < kMenuLines; ++i) {
    TMenuLine& line = MenuLines[i];
    if (i != index) {
      line.Selected = 0;
    } else if (!line.Selected) {
      // A line that stays selected keeps its marker's phase.
      line.Selected = 1;
      line.Phase = 0;
    }
  }
  for (TMenuLine& line : MenuLines)
    if (line.Visible) line.Width = LineBoxWidth(*this, line.Text);
  PlaySound(kSelectSound);
}

void TGame::MenuStep(bool forward, bool activate) {
  int n = -1;
  for (int i = 0; i < kMenuLines; ++i)
    if (MenuLines[i].Selected) n = i;
  if (activate && n >= 0) {
    SelectMenuLine(n);
    MenuActivate();
    return;
  }
  if (n < 0) {
    SelectMenuLine(0);
    return;
  }
  // The next visible line in the direction, wrapping around; none other leaves all as it is.
  for (int k = 1; k < kMenuLines; ++k) {
    const int i = forward ? (n + k) % kMenuLines : (n - k + kMenuLines) % kMenuLines;
    if (MenuLines[i].Visible) {
      SelectMenuLine(i);
      return;
    }
  }
}

void TGame::MenuActivate() {
  int n = -1;
  for (int i = 0; i < kMenuLines; ++i)
    if (MenuLines[i].Selected) n = i;
  if (n < 0) return;
  const bool gameMenu = State == gsGameMenu;

  switch (n) {
    case kLineStart:
      if (gameMenu) {
        // The lines must be the main menu's again when the game later ends.
        BuildMainMenu();
        State = gsPlaying;
      } else if (!StartScenario(ScenarioFile)) {
        ShowMessageBox(
            "Level loading error. File\r\n&1" + ScenarioFile + "&0\r\nis containing errors!",
            kMessageBoxFrames);
      }
      return;
    case kLineScenario:
      if (gameMenu) return;
      NextScenario();
      break;
    case kLineDifficulty:
      if (gameMenu) return;
      Difficulty = Difficulty == 0 ? 2 : Difficulty == 2 ? 1 : 0;
      break;
    case kLineBrightness:
      Brightness = Brightness >= 100 ? 0 : Brightness <= 90 ? uint8_t(Brightness + 10) : 100;
      break;
    case kLineControlType: ControlType = ControlType ? 0 : 1; break;
    case kLineControlSpeed: ControlSpeed = uint8_t((ControlSpeed + 14) % 15); break;
    case kLineRecords:
      if (!gameMenu) State = gsRecords;
      return;
    case kLineSound:
      if (!Sounds) return;
      SoundOn = SoundOn ? 0 : 1;
      break;
    case kLineExit: State = gsExit; return;
    default: return;
  }
  MenuLines[n].Text = MenuLineText(*this, n, gameMenu);
  SelectMenuLine(n);
  // The level waits behind the in-game menu; it must come back at the new brightness.
  if (gameMenu && n == kLineBrightness) BuildBackground();
}

int TGame::MenuLineAt(int32_t x, int32_t y) const {
  for (int i = 0; i < kMenuLines; ++i) {
    const TMenuLine& line = MenuLines[i];
    if (!line.Visible) continue;
    if (int64_t(line.X) <= x && x < int64_t(line.X) + line.Width && int64_t(line.Y) <= y &&
        y < int64_t(line.Y) + line.Height)
      return i;
  }
  return -1;
}

void TGame::MenuClick() {
  const int n = MenuLineAt(PointerX, PointerY);
  if (n < 0) return;
  SelectMenuLine(n);
  MenuActivate();
}

void TGame::DrawMenu() {
  if (!BackBuffer) return;
  Surface& screen = *BackBuffer;
  FillRect(screen, TRect{0, 0, kScreenWidth, kScreenHeight}, kScreenColor);
  if (LogoSurface) LogoSurface->Draw(screen, 400, 20, 0, daCenter, daTop);

  for (TMenuLine& line : MenuLines) {
    if (!line.Visible) continue;
    char name[40];
    if (line.Selected) {
      // A pulse: 14_0 up to 14_20 and back down.
      line.Phase = (line.Phase + 1) % kMarkerPeriod;
      const int32_t p = line.Phase < kMarkerPeriod / 2 ? line.Phase : kMarkerPeriod - line.Phase;
      std::snprintf(name, sizeof name, "%d%d_%d", 1, 4, int(p));
    } else {
      std::snprintf(name, sizeof name, "%d%d_%d", 1, 0, 0);
    }
    if (TargetCircles) {
      const int32_t slot = TargetCircles->FindFrame(name);
      if (slot >= 0)
        TargetCircles->Draw(screen, line.X, line.Y + line.Height / 2, slot, daLeft, daCenter);
    }
    if (Font)
      Font->DrawLine(screen, line.X + kTextIndent, line.Y,
                     (line.Selected ? "&0" : "&1") + line.Text, daLeft, daTop);
  }

  if (State == gsMainMenu && Font) Font->DrawGoLine(screen, 0, 560);
}

void TGame::DrawPointer() {
  if (!BackBuffer || !Pictures) return;
  const int32_t slot = Pictures->FindFrame("sight");
  if (slot >= 0) Pictures->Draw(*BackBuffer, PointerX, PointerY, slot, daCenter, daCenter);
}
