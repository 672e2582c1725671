// Latches, the pointer and the command line of the main window.
#include <gtest/gtest.h>

#include <cstdint>

#include "game/GameUnit.h"
#include "app/Main.h"
#include "assets/FileUtils.h"
#include "platform/System.h"

namespace {

class Input : public ::testing::Test {
 protected:
  void SetUp() override {
    system_ = System::Create(true, false);
    game_ = std::make_unique<TGame>(*system_);
  }
  std::unique_ptr<System> system_;
  std::unique_ptr<TGame> game_;
};

TEST_F(Input, HeldKeyActsAtOnceThenEveryControlSpeedFrames) {
  for (int speed : {0, 1, 5}) {
    game_->ControlSpeed = uint8_t(speed);
    game_->ClearKeyLatches();
    std::vector<int> acted;
    for (int frame = 0; frame < 12; ++frame) {
      if (!game_->IsKeyLatched(DIK_DOWN)) {
        acted.push_back(frame);
        game_->SetKeyLatch(DIK_DOWN, true);
      }
      game_->DecrementLatches();
    }
    std::vector<int> expected;
    for (int f = 0; f < 12; f += std::max(speed, 1)) expected.push_back(f);
    EXPECT_EQ(acted, expected) << "speed " << speed;
  }
  // Releasing clears the latch at once; button latches never count down.
  game_->ControlSpeed = 5;
  game_->SetKeyLatch(DIK_UP, true);
  game_->SetKeyLatch(DIK_UP, false);
  EXPECT_FALSE(game_->IsKeyLatched(DIK_UP));
  game_->SetButtonLatch(0, true);
  for (int i = 0; i < 10; ++i) game_->DecrementLatches();
  EXPECT_TRUE(game_->IsButtonLatched(0));
}

TEST_F(Input, PointerMovesByTheRoundedFactorAndStaysOnScreen) {
  game_->State = gsMainMenu;
  struct Case {
    uint8_t speed;
    int32_t dx, dy, x, y;
  } cases[] = {
      {5, 1, 3, 402, 304},    // 1.5 -> 2, 4.5 -> 4: halves to even
      {5, -1, -3, 398, 296},  // -1.5 -> -2, -4.5 -> -4
      {0, 5, 0, 410, 300},    // factor 2.0
      {14, 5, 0, 403, 300},   // factor 0.6: 3
      {5, 10000, 10000, 800, 600},
      {5, -10000, -10000, 0, 0},
      {0, INT32_MAX, INT32_MIN, 800, 0},  // a script's extreme movement stops at the edges
  };
  for (const Case& c : cases) {
    game_->ControlSpeed = c.speed;
    game_->PointerX = 400;
    game_->PointerY = 300;
    game_->MovePointer(c.dx, c.dy);
    EXPECT_EQ(game_->PointerX, c.x) << c.dx;
    EXPECT_EQ(game_->PointerY, c.y) << c.dy;
  }
}

TEST_F(Input, MouseInPlayAccumulatesAndDropsMovementThatReverses) {
  game_->State = gsPlaying;
  game_->ControlSpeed = 5;  // g = 0.5
  game_->MovePointer(40, 0);
  EXPECT_EQ(game_->MoveRestX, 20);  // not beyond 20: no step, the sight stays waiting
  EXPECT_EQ(game_->SightActive, 0);
  game_->MovePointer(4, 0);  // +2 -> 22: one step right, 2 left over, the sight is launched
  EXPECT_EQ(game_->MoveRestX, 2);
  EXPECT_EQ(game_->SightActive, 1);
  game_->MovePointer(-2, 0);  // -1 reverses: the rest is dropped first
  EXPECT_EQ(game_->MoveRestX, -1);
  game_->MovePointer(0, 3);  // 1.5 -> 2
  EXPECT_EQ(game_->MoveRestY, 2);
  // The pointer of the menus does not move in play.
  EXPECT_EQ(game_->PointerX, 400);

  // An extreme movement makes every step it has room for and keeps the same rest as 20 at a time.
  game_->ControlSpeed = 0;  // g = 2/3
  game_->SightSpeedX = game_->SightSpeedY = 1;
  game_->MovePointer(INT32_MAX, INT32_MIN);  // 1431655807 and -1431655808 units
  EXPECT_EQ(game_->MoveRestX, 7);
  EXPECT_EQ(game_->MoveRestY, -8);
  EXPECT_EQ(game_->SightSpeedX, 9.0f);
  EXPECT_EQ(game_->SightSpeedY, 9.0f);  // moving up climbs faster
  game_->MovePointer(-90, 60);  // -60 reverses: two steps left, -20 kept; +40: one step down
  EXPECT_EQ(game_->MoveRestX, -20);
  EXPECT_EQ(game_->MoveRestY, 20);
  EXPECT_EQ(game_->SightSpeedX, 7.0f);
  EXPECT_EQ(game_->SightSpeedY, 8.0f);
}

TEST(InputDevices, MouseMotionOfATickSumsWithinTheInt32Range) {
  InputState input;
  DIMOUSESTATE2 m;
  for (int i = 0; i < 2; ++i) input.Apply({InputEvent::Kind::MouseMove, INT32_MAX, INT32_MIN});
  ASSERT_EQ(input.ReadMouse(m), DI_OK);
  EXPECT_EQ(m.lX, INT32_MAX);
  EXPECT_EQ(m.lY, INT32_MIN);
  input.Apply({InputEvent::Kind::MouseMove, 3, -4});
  input.Apply({InputEvent::Kind::MouseMove, -1, 1});
  ASSERT_EQ(input.ReadMouse(m), DI_OK);  // the motion since the last read
  EXPECT_EQ(m.lX, 2);
  EXPECT_EQ(m.lY, -3);
}

// A key and a mouse button through the same events and reads. Steps: 'd' down, 'u' up, '.' a
// read; reads: what each read showed, '1' down or '0' up.
TEST(InputDevices, PressesBetweenReadsAreReadDownThenUp) {
  const struct {
    const char* steps;
    const char* reads;
  } cases[] = {
      {"du..", "10"},        // a tap: down in the next read, up in the one after
      {"d...u..", "11100"},  // held across reads: as it is
      {"dudu..", "10"},      // taps between the same two reads are one press
      {"du.du...", "1010"},  // a tap after a read that showed one: up first, then down
      {"d.ud..u.", "1010"},  // let go and pressed again between reads: the same
      {"d.d.u.", "110"},     // a repeated down is no new press
      {"u.", "0"},
  };
  for (const auto& c : cases) {
    InputState input;
    std::string keys, buttons;
    for (const char* p = c.steps; *p; ++p) {
      if (*p == '.') {
        uint8_t k[256];
        DIMOUSESTATE2 m;
        ASSERT_EQ(input.ReadKeyboard(k), DI_OK);
        ASSERT_EQ(input.ReadMouse(m), DI_OK);
        keys += k[DIK_SPACE] == 0x80 ? '1' : '0';
        buttons += m.rgbButtons[1] == 0x80 ? '1' : '0';
      } else {
        input.Apply({InputEvent::Kind::Key, DIK_SPACE, *p == 'd'});
        input.Apply({InputEvent::Kind::Button, 1, *p == 'd'});
      }
    }
    EXPECT_EQ(keys, c.reads) << c.steps;
    EXPECT_EQ(buttons, c.reads) << c.steps;
  }

  // A tap while the window is in the background is lost with the read that failed.
  InputState input;
  uint8_t k[256] = {};
  DIMOUSESTATE2 m;
  input.Apply({InputEvent::Kind::Key, DIK_SPACE, 1});
  input.Apply({InputEvent::Kind::Key, DIK_SPACE, 0});
  input.Apply({InputEvent::Kind::Button, 0, 1});
  input.Apply({InputEvent::Kind::Button, 0, 0});
  input.SetFocus(false);
  EXPECT_EQ(input.ReadKeyboard(k), DIERR_NOTACQUIRED);
  EXPECT_EQ(input.ReadMouse(m), DIERR_NOTACQUIRED);
  input.SetFocus(true);
  ASSERT_EQ(input.ReadKeyboard(k), DI_OK);
  ASSERT_EQ(input.ReadMouse(m), DI_OK);
  EXPECT_EQ(k[DIK_SPACE], 0);
  EXPECT_EQ(m.rgbButtons[0], 0);
}

TEST(InputDevices, EnterAndBackspacePressesAreCharacters) {
  const struct {
    InputEvent e;
    int character;
  } cases[] = {
      {{InputEvent::Kind::Key, DIK_RETURN, 1}, 13},
      {{InputEvent::Kind::Key, DIK_NUMPADENTER, 1}, 13},
      {{InputEvent::Kind::Key, DIK_BACK, 1}, 8},
      {{InputEvent::Kind::Key, DIK_RETURN, 0}, 0},  // a release types nothing
      {{InputEvent::Kind::Key, DIK_SPACE, 1}, 0},   // a blank comes as text
      {{InputEvent::Kind::Button, DIK_RETURN, 1}, 0},
      {{InputEvent::Kind::Char, 13, 0}, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(KeyCharacter(c.e), c.character) << int(c.e.kind) << " " << c.e.a << " " << c.e.b;
}

struct CommandLineCase {
  std::vector<std::string> params;
  bool starts;
  bool levelSkip;
};

TEST(CommandLine, ThreeParametersEndAtOnceAndPlimbEnablesTheSkip) {
  const CommandLineCase cases[] = {
      {{}, true, false},
      {{"plimb"}, true, true},
      {{"plimb", "x"}, true, true},
      {{"Plimb"}, true, false},
      {{"compile"}, true, false},
      {{"compile", "x"}, true, false},
      {{"a", "b", "c"}, false, false},
      {{"plimb", "b", "c"}, false, false},
  };
  for (const auto& c : cases) {
    Options options;
    options.headless = true;
    options.params = c.params;
    auto system = System::Create(true, false);
    TForm1 form(options, *system, {});
    EXPECT_EQ(form.FormCreate(), c.starts) << c.params.size();
    EXPECT_EQ(form.LevelSkipEnabled, c.levelSkip) << (c.params.empty() ? "" : c.params[0]);
    if (!c.starts) {
      EXPECT_EQ(form.ExitStatus(), 0);
    }
  }
}

TEST(CommandLine, FileMessagesAfterTheWindowIsGoneGoToStderr) {
  {
    Options options;
    options.headless = true;
    options.params = {"a", "b", "c"};
    auto system = System::Create(true, false);
    TForm1 form(options, *system, {});
    EXPECT_FALSE(form.FormCreate());
  }
  ::testing::internal::CaptureStderr();
  ShowFileMessage("after the window");
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("after the window"), std::string::npos);
}

TEST(Options, BadOptionsAndScriptLinesAreNamed) {
  const char* argvs[][3] = {{"vor", "--nope", nullptr},
                            {"vor", "--ticks", "x"},
                            {"vor", "--seed", nullptr},
                            {"vor", "--ticks", "9007199254740992"}};
  for (auto& a : argvs) {
    Options o;
    std::string error;
    const int argc = a[2] ? 3 : 2;
    EXPECT_FALSE(ParseOptions(argc, const_cast<char**>(a), o, error));
    EXPECT_NE(error.find(a[1]), std::string::npos) << error;
  }
  std::vector<ScriptEvent> events;
  std::string error;
  EXPECT_TRUE(
      ParseScript("# c\n2 key Down down # held\n\n1 mouse 3 -4\n3 text Ab\n", "s", events, error));
  ASSERT_EQ(events.size(), 4u);
  EXPECT_EQ(events[0].tick, 1);  // lines come out in tick order
  EXPECT_EQ(events[1].input.a, DIK_DOWN);
  EXPECT_EQ(events[3].tick, 4);  // one character a tick
  EXPECT_EQ(events[3].input.a, 'b');
  // The last reachable tick, for one event and for the last character of a text.
  EXPECT_TRUE(
      ParseScript("9007199254740991 key Up down\n9007199254740990 text ab\n", "s", events, error))
      << error;
  // Ticks no run reaches and numbers that do not fit are malformed lines.
  for (const char* bad :
       {"0 key Up down", "1 key Nope down", "1 key Up sideways", "1 mouse 1", "1 fly",
        "x key Up down", "1 button 9 down", "9223372036854775807 key Up down",
        "9223372036854775808 key Up down", "9007199254740992 key Up down",
        "9007199254740991 text ab", "9223372036854775807 text ab", "1 mouse 2147483648 0",
        "1 char 4294967297", "-9223372036854775808 key Up down", "1 finger down 5",
        "1 finger up 5 5", "1 finger lift", "1 finger move 1 2147483648"}) {
    events.clear();
    EXPECT_FALSE(ParseScript(std::string("# first\n") + bad + "\n", "s", events, error)) << bad;
    EXPECT_NE(error.find("s:2:"), std::string::npos) << error;
  }
}

TEST(Options, RecordedLinesReadBackAsTheSameEvents) {
  const InputEvent events[] = {
      {InputEvent::Kind::Key, DIK_F11, 1},     {InputEvent::Kind::Key, 0x1E, 0},
      {InputEvent::Kind::MouseMove, -7, 12},   {InputEvent::Kind::Button, 1, 1},
      {InputEvent::Kind::Char, 200, 0},        {InputEvent::Kind::LoseSurfaces, 0, 0},
      {InputEvent::Kind::FingerDown, -3, 610}, {InputEvent::Kind::FingerMove, 800, 0},
      {InputEvent::Kind::FingerUp, 0, 0}};
  std::string text = "# vor-script 1\n";
  for (const auto& e : events) text += FormatScriptLine(9, e) + "\n";
  std::vector<ScriptEvent> read;
  std::string error;
  ASSERT_TRUE(ParseScript(text, "r", read, error)) << error;
  ASSERT_EQ(read.size(), std::size(events));
  for (size_t i = 0; i < read.size(); ++i) {
    EXPECT_EQ(read[i].tick, 9);
    EXPECT_EQ(read[i].input.kind, events[i].kind);
    EXPECT_EQ(read[i].input.a, events[i].a);
    EXPECT_EQ(read[i].input.b, events[i].b);
  }
}

}  // namespace
