// The menus: their lines, walking and clicking them, the settings the lines change, the sound
// line, and the drawing of the marker, the texts and the credits line.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "game/GameUnit.h"
#include "assets/Collections.h"
#include "assets/MemoryStream.h"
#include "display/Letters.h"
#include "display/SpriteSurface.h"
#include "frontend/StyledTestFont.h"
#include "image/Bmp.h"
#include "platform/System.h"
#include "sound/WaveBlock.h"
#include "frontend/GameInFolder.h"

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kBlue = 0x0000FF;  // style 1 of the game's font
constexpr uint32_t kPlainMarker = 0x00AA00;

class Menu : public GameInFolder {
 protected:
  void SetUp() override {
    GameInFolder::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_TRUE(game_->InitDisplay());
    game_->Font = TestFont(*game_->DirectDraw);
    game_->ScenarioFile = "main.lev";
    game_->State = gsMainMenu;
  }

  // A "wave.col" with five sounds, read as the game reads it.
  void WithSounds() {
    TMemoryBlocksCollection c;
    for (int i = 0; i < 5; ++i) c.AddBlock("s", MakeWaveBlock(TWaveFormat{}, "abcd"));
    std::ofstream("wave.col", std::ios::binary) << c.SaveToBytes();
    ASSERT_TRUE(game_->InitSound());
    ASSERT_TRUE(game_->LoadSounds());
  }
  int32_t Played(int index) const { return game_->SoundsPlayed[index]; }

  std::vector<std::string> Texts() const {
    std::vector<std::string> t;
    for (const TMenuLine& l : game_->MenuLines) t.push_back(l.Visible ? l.Text : "-");
    return t;
  }
  int Selected() const {
    for (int i = 0; i < kMenuLines; ++i)
      if (game_->MenuLines[i].Selected) return i;
    return -1;
  }
  void Select(int index) {
    game_->SelectMenuLine(index);
    ASSERT_EQ(Selected(), index);
  }
  // Space or Enter on the selected line.
  void Activate() { game_->MenuStep(true, true); }
  int32_t H() const { return game_->Font->LineHeight("W"); }
  uint32_t Pixel(int32_t x, int32_t y) const { return game_->BackBuffer->Row(y)[x]; }

};

TEST_F(Menu, MainMenuLinesStandOneUnderAnotherWithTheDefaults) {
  game_->BuildMainMenu();
  EXPECT_EQ(Texts(), (std::vector<std::string>{
                         "New game", "Scenario: main", "Game difficulty: normal",
                         "Background brightness: 50%", "Control type: mouse", "Control speed:  10",
                         "Best results", "Sound: not allowed", "Exit", "-"}));
  EXPECT_EQ(Selected(), 0);
  for (int i = 0; i < 9; ++i) {
    const TMenuLine& l = game_->MenuLines[i];
    EXPECT_EQ(l.X, 200);
    EXPECT_EQ(l.Y, 200 + i * (H() + 5)) << i;
    EXPECT_EQ(l.Height, H());
    EXPECT_EQ(l.Width, game_->Font->LineWidth(l.Text) + 34) << i;
  }
}

TEST_F(Menu, InGameMenuWalksOverItsHiddenLinesAndWraps) {
  game_->State = gsGameMenu;
  game_->BuildGameMenu();
  EXPECT_EQ(Texts(),
            (std::vector<std::string>{"Return to game", "-", "-", "Background brightness: 50%",
                                      "Control type: mouse", "Control speed:  10", "-",
                                      "Sound: not allowed", "Exit", "-"}));
  // Hidden lines take no room.
  EXPECT_EQ(game_->MenuLines[3].Y, 200 + H() + 5);
  EXPECT_EQ(game_->MenuLines[8].Y, 200 + 5 * (H() + 5));

  game_->MenuStep(true, false);
  EXPECT_EQ(Selected(), 3);
  game_->MenuStep(false, false);
  EXPECT_EQ(Selected(), 0);
  game_->MenuStep(false, false);
  EXPECT_EQ(Selected(), 8);
  game_->MenuStep(true, false);
  EXPECT_EQ(Selected(), 0);

  // A line that stays selected keeps its phase; a newly selected one starts again.
  game_->MenuLines[0].Phase = 7;
  game_->SelectMenuLine(0);
  EXPECT_EQ(game_->MenuLines[0].Phase, 7);
  game_->MenuLines[3].Phase = 7;
  game_->SelectMenuLine(3);
  EXPECT_EQ(game_->MenuLines[3].Phase, 0);
}

TEST_F(Menu, SettingsLinesCycleThroughTheirValues) {
  game_->BuildMainMenu();
  struct Case {
    int line;
    std::vector<std::string> texts;  // after each activation
  } cases[] = {
      {3,
       {"Background brightness: 60%", "Background brightness: 70%", "Background brightness: 80%",
        "Background brightness: 90%", "Background brightness: 100%", "Background brightness: 0%",
        "Background brightness: 10%"}},
      {5,
       {"Control speed:  11", "Control speed:  12", "Control speed:  13", "Control speed:  14",
        "Control speed:  15", "Control speed:  1", "Control speed:  2"}},
      {2, {"Game difficulty: hardly", "Game difficulty: kindly", "Game difficulty: normal"}},
      {4, {"Control type: keyboard", "Control type: mouse"}},
  };
  for (const Case& c : cases) {
    Select(c.line);
    for (const std::string& expected : c.texts) {
      Activate();
      EXPECT_EQ(game_->MenuLines[c.line].Text, expected);
      EXPECT_EQ(game_->MenuLines[c.line].Width, game_->Font->LineWidth(expected) + 34);
      EXPECT_EQ(Selected(), c.line);
    }
  }
  EXPECT_EQ(game_->Brightness, 10);
  EXPECT_EQ(game_->ControlSpeed, 13);  // shown 2
  EXPECT_EQ(game_->Difficulty, 0);
  EXPECT_EQ(game_->ControlType, 1);
  EXPECT_EQ(game_->State, gsMainMenu);

  // A brightness between the steps goes to 100.
  game_->Brightness = 95;
  Select(3);
  Activate();
  EXPECT_EQ(game_->Brightness, 100);
}

TEST_F(Menu, ClickOnTheMarkerActivatesAndTheTextsLastTwelvePixelsMiss) {
  game_->BuildMainMenu();
  const TMenuLine& line = game_->MenuLines[4];  // "Control type: mouse"
  game_->PointerX = line.X + 2;
  game_->PointerY = line.Y + line.Height / 2;
  game_->MenuClick();
  EXPECT_EQ(Selected(), 4);
  EXPECT_EQ(game_->ControlType, 0);
  ASSERT_EQ(line.Text, "Control type: keyboard");
  const int32_t textEnd = line.X + 46 + game_->Font->LineWidth(line.Text);

  struct Case {
    int32_t x, y;
    int line;
  } cases[] = {
      {line.X, line.Y, 4},
      {textEnd - 13, line.Y, 4},
      {textEnd - 12, line.Y, -1},
      {textEnd - 1, line.Y + line.Height - 1, -1},
      {line.X - 1, line.Y, -1},
      {line.X, line.Y + line.Height, -1},  // the gap below the line
      {line.X, line.Y + line.Height + 5, 5},
  };
  for (const Case& c : cases) EXPECT_EQ(game_->MenuLineAt(c.x, c.y), c.line) << c.x << "," << c.y;

  game_->PointerX = textEnd - 12;
  game_->MenuClick();
  EXPECT_EQ(Selected(), 4);
  EXPECT_EQ(game_->ControlType, 0);
}

TEST_F(Menu, LeavingTheInGameMenuRebuildsTheMainMenu) {
  game_->State = gsGameMenu;
  game_->BuildGameMenu();
  Select(5);
  Activate();  // control speed: stays in the menu
  EXPECT_EQ(game_->State, gsGameMenu);
  Select(0);
  Activate();
  EXPECT_EQ(game_->State, gsPlaying);
  EXPECT_EQ(Texts()[0], "New game");
  EXPECT_EQ(Texts()[1], "Scenario: main");
  EXPECT_EQ(Texts()[5], "Control speed:  11");
  EXPECT_EQ(Selected(), 0);
}

TEST_F(Menu, ScreenChangingLines) {
  game_->BuildMainMenu();
  Select(6);
  Activate();
  EXPECT_EQ(game_->State, gsRecords);

  game_->State = gsGameMenu;
  game_->BuildGameMenu();
  Select(8);
  Activate();
  EXPECT_EQ(game_->State, gsExit);
}

TEST_F(Menu, NewGameThatCannotStartKeepsTheMenuWithTheMessage) {
  game_->ScenarioFile = "absent.lev";
  game_->BuildMainMenu();
  Activate();
  EXPECT_EQ(game_->State, gsMainMenu);
  EXPECT_EQ(game_->Message, "Level loading error. File\r\n&1absent.lev&0\r\nis containing errors!");
  EXPECT_EQ(game_->MessageFrames, 200);
}

TEST_F(Menu, ScenarioLineWithOneScenarioKeepsItAndReloadsItsTable) {
  std::ofstream("only.lev", std::ios::binary) << std::string(1024, '\0');
  game_->ScenarioFile = "only.lev";
  game_->ClearRecords();
  game_->Records[0].used = 1;
  game_->Records[0].score = 500;
  ASSERT_TRUE(game_->SaveRecords("only.tbl"));
  game_->Records[0].score = 1;  // in memory only
  game_->BuildMainMenu();
  EXPECT_EQ(Texts()[1], "Scenario: only");
  Select(1);
  Activate();
  EXPECT_EQ(game_->ScenarioFile, "only.lev");
  EXPECT_EQ(Texts()[1], "Scenario: only");
  EXPECT_EQ(game_->Records[0].score, 500);
}

TEST_F(Menu, SoundLineIsSilentWhenTurnedOffAndPlaysWhenTurnedOn) {
  WithSounds();
  game_->BuildMainMenu();
  EXPECT_EQ(Texts()[7], "Sound: on");
  Select(7);
  const int32_t before = Played(1);

  // The line's own action: off is silent, on plays the selection sound.
  game_->MenuActivate();
  EXPECT_EQ(Texts()[7], "Sound: off");
  EXPECT_EQ(game_->SoundOn, 0);
  EXPECT_EQ(Played(1), before);
  game_->MenuActivate();
  EXPECT_EQ(Texts()[7], "Sound: on");
  EXPECT_EQ(Played(1), before + 1);

  // Through a key, the line is selected first (with the sound as it stands), then toggled.
  Activate();
  EXPECT_EQ(game_->SoundOn, 0);
  EXPECT_EQ(Played(1), before + 2);
  Activate();
  EXPECT_EQ(game_->SoundOn, 1);
  EXPECT_EQ(Played(1), before + 3);
  // Walking plays it too, also a step that lands where it was.
  game_->MenuStep(true, false);
  EXPECT_EQ(Played(1), before + 4);
  EXPECT_EQ(Played(0) + Played(2) + Played(3) + Played(4), 0);
}

TEST_F(Menu, SoundLineWithoutSoundsNeverChanges) {
  game_->BuildMainMenu();
  Select(7);
  for (int i = 0; i < 3; ++i) {
    Activate();
    game_->PointerX = game_->MenuLines[7].X + 1;
    game_->PointerY = game_->MenuLines[7].Y + 1;
    game_->MenuClick();
  }
  EXPECT_EQ(Texts()[7], "Sound: not allowed");
  EXPECT_EQ(game_->SoundOn, 1);
  EXPECT_EQ(std::vector<int32_t>(std::begin(game_->SoundsPlayed), std::end(game_->SoundsPlayed)),
            std::vector<int32_t>(5, 0));
}

// Marker frames of one colour each: "10_0", and "14_0" ... "14_19" (no "14_20", as in the game).
uint32_t PulseColor(int p) {
  return 0x400000 + uint32_t(p);
}

TEST_F(Menu, DrawingPulsesTheSelectedMarkerAndColoursTheTexts) {
  Display& dd = *game_->DirectDraw;
  game_->TargetCircles = std::make_unique<TDXBaseSurface>();
  game_->TargetCircles->Allocate(dd, 8, 8, 21);
  for (int p = -1; p < 20; ++p) {
    Surface s(8, 8);
    s.Fill(nullptr, p < 0 ? kPlainMarker : PulseColor(p));
    int32_t slot = -1;
    ASSERT_TRUE(
        game_->TargetCircles->PutSurface(slot, p < 0 ? "10_0" : "14_" + std::to_string(p), s, false));
  }
  game_->BuildMainMenu();
  const TMenuLine& first = game_->MenuLines[0];
  const TMenuLine& second = game_->MenuLines[1];

  for (int frame = 1; frame <= 41; ++frame) {
    game_->DrawMenu();
    const int phase = frame % 40;
    const int p = phase < 20 ? phase : 40 - phase;
    const uint32_t expected = p == 20 ? kScreenColor : PulseColor(p);
    ASSERT_EQ(Pixel(first.X + 3, first.Y + first.Height / 2), expected) << "frame " << frame;
  }
  // The marker is centred on the line's middle; the other lines get the plain marker.
  EXPECT_EQ(Pixel(second.X, second.Y + second.Height / 2 - 4), kPlainMarker);
  EXPECT_EQ(Pixel(second.X + 7, second.Y + second.Height / 2 + 3), kPlainMarker);
  EXPECT_EQ(Pixel(second.X + 8, second.Y + second.Height / 2), kScreenColor);
  // Selected text white, the others blue, 46 pixels right of the line's edge.
  EXPECT_EQ(Pixel(first.X + 46, first.Y), kWhite);
  EXPECT_EQ(Pixel(first.X + 45, first.Y), kScreenColor);
  EXPECT_EQ(Pixel(second.X + 46, second.Y), kBlue);
  // The credits line scrolls at y = 560 in the main menu only.
  game_->Font->SetGoLine("&1ABC", 0, -4000, 4);
  game_->DrawMenu();
  EXPECT_EQ(Pixel(1, 561), kBlue);
  game_->State = gsGameMenu;
  game_->BuildGameMenu();
  game_->Font->SetGoLine("&1ABC", 0, -4000, 4);
  game_->DrawMenu();
  for (int x = 0; x < 40; ++x) ASSERT_EQ(Pixel(x, 561), kScreenColor);
}

TEST_F(Menu, PointerIsTheSightPictureCentredOnThePointer) {
  game_->Pictures = std::make_unique<TDXBaseSurface>();
  game_->Pictures->Allocate(*game_->DirectDraw, 9, 9, 1);
  game_->Pictures->ClipEnabled = true;
  Surface s(9, 9);
  s.Fill(nullptr, 0x123456);
  int32_t slot = -1;
  ASSERT_TRUE(game_->Pictures->PutSurface(slot, "sight", s, false));
  game_->BuildMainMenu();
  game_->PointerX = 100;
  game_->PointerY = 150;
  game_->DrawMenu();
  game_->DrawPointer();
  EXPECT_EQ(Pixel(96, 146), 0x123456u);
  EXPECT_EQ(Pixel(104, 154), 0x123456u);
  EXPECT_EQ(Pixel(105, 150), kScreenColor);
  // At the screen's far corner the picture is cut, not refused.
  game_->PointerX = 800;
  game_->PointerY = 600;
  game_->DrawMenu();
  game_->DrawPointer();
  EXPECT_EQ(Pixel(799, 599), 0x123456u);
}

}  // namespace
