// A finger as the pointer and the mouse: where taps click, what drags move, per screen.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "controls/Touch.h"

namespace {

InputEvent Down(int32_t x, int32_t y) {
  return {InputEvent::Kind::FingerDown, x, y};
}
InputEvent Move(int32_t x, int32_t y) {
  return {InputEvent::Kind::FingerMove, x, y};
}
InputEvent Up() {
  return {InputEvent::Kind::FingerUp, 0, 0};
}

// What one poll gave, written short: "place X Y", "move DX DY", "click", joined by ", ".
std::string Show(const TouchInput& in) {
  std::string s;
  const auto add = [&](const std::string& part) { s += (s.empty() ? "" : ", ") + part; };
  if (in.place) add("place " + std::to_string(in.x) + " " + std::to_string(in.y));
  if (in.dx || in.dy) add("move " + std::to_string(in.dx) + " " + std::to_string(in.dy));
  if (in.click) add("click");
  return s;
}

struct Poll {
  std::vector<InputEvent> before;  // finger events since the previous poll
  std::string expected;
};

struct Case {
  const char* name;
  TouchRole role;
  std::vector<Poll> polls;
};

TEST(TouchMapper, TapsAndDragsByScreen) {
  const Case cases[] = {
      {"menu: a quick tap puts the pointer there and clicks once",
       TouchRole::Pointer,
       {{{Down(120, 340), Up()}, "place 120 340, click"}, {{}, ""}}},
      {"menu: the pointer follows a held finger; the tap clicks on the lift",
       TouchRole::Pointer,
       {{{Down(100, 100)}, "place 100 100"},
        {{Move(110, 95)}, "place 110 95"},
        {{}, ""},
        {{Up()}, "click"}}},
      {"menu: a drag moves the pointer and does not click",
       TouchRole::Pointer,
       {{{Down(100, 100), Move(100, 117)}, "place 100 117"},
        {{Move(100, 100), Up()}, "place 100 100"}}},
      {"menu: within the travel of a tap it still clicks",
       TouchRole::Pointer,
       {{{Down(100, 100), Move(116, 84), Up()}, "place 116 84, click"}}},
      {"play: a drag moves by the finger's travel, the touch itself is no motion",
       TouchRole::Steer,
       {{{Down(400, 300)}, ""},
        {{Move(420, 290), Move(450, 280)}, "move 50 -20"},
        {{Move(440, 280), Up()}, "move -10 0"},
        {{}, ""}}},
      {"play: a tap clicks and does not move",
       TouchRole::Steer,
       {{{Down(10, 10), Move(12, 10), Up()}, "move 2 0, click"}}},
      {"play: a new touch elsewhere is no motion",
       TouchRole::Steer,
       {{{Down(0, 0), Move(100, 0), Up()}, "move 100 0"},
        {{Down(700, 500), Move(701, 500)}, "move 1 0"}}},
      {"two taps in one poll click once; taps in two polls click twice, a poll apart",
       TouchRole::Tap,
       {{{Down(1, 1), Up(), Down(2, 2), Up()}, "click"},
        {{Down(1, 1), Up()}, ""},
        {{}, "click"},
        {{}, ""}}},
      {"result screens: only taps count",
       TouchRole::Tap,
       {{{Down(1, 1), Move(300, 1)}, ""}, {{Up()}, ""}, {{Down(5, 5), Up()}, "click"}}},
      {"where a finger does nothing, its tap is gone and does not click later",
       TouchRole::None,
       {{{Down(1, 1), Up()}, ""}, {{}, ""}}},
      {"moves and lifts with no finger down are nothing",
       TouchRole::Pointer,
       {{{Move(5, 5), Up()}, ""}}},
      {"points at the ends of the number range move without overflow",
       TouchRole::Steer,
       {{{Down(INT32_MIN, INT32_MAX)}, ""}, {{Move(INT32_MAX, INT32_MIN)}, "move 131072 -131072"}}},
  };
  for (const Case& c : cases) {
    TouchMapper touch;
    for (size_t i = 0; i < c.polls.size(); ++i) {
      for (const InputEvent& e : c.polls[i].before) touch.Apply(e);
      EXPECT_EQ(Show(touch.Read(c.role)), c.polls[i].expected) << c.name << ", poll " << i + 1;
    }
  }
}

TEST(TouchMapper, AScreenChangeKeepsTheGesture) {
  // A tap in the menu's poll opens play; the finger that then drags steers from where it was.
  TouchMapper touch;
  touch.Apply(Down(300, 200));
  touch.Apply(Up());
  EXPECT_EQ(Show(touch.Read(TouchRole::Pointer)), "place 300 200, click");
  touch.Apply(Down(300, 200));
  EXPECT_EQ(Show(touch.Read(TouchRole::Pointer)), "place 300 200");
  touch.Apply(Move(330, 200));
  EXPECT_EQ(Show(touch.Read(TouchRole::Steer)), "move 30 0");
  touch.Apply(Up());
  EXPECT_EQ(Show(touch.Read(TouchRole::Steer)), "");
}

TEST(TouchMapper, AFingerDownAsAGameStartsIsKeptForItsReplay) {
  // A drag under way and a tap not yet read: a replay started from the saved words goes on alike.
  TouchMapper touch;
  EXPECT_TRUE(touch.SaveState().empty()) << "a finger never seen is said by no words";
  touch.Apply(Down(300, 200));
  touch.Apply(Up());
  touch.Apply(Down(100, 100));
  touch.Apply(Move(140, 90));
  TouchMapper again;
  ASSERT_TRUE(again.LoadState(touch.SaveState()));
  for (TouchMapper* t : {&touch, &again}) {
    t->Apply(Move(150, 95));
    EXPECT_EQ(Show(t->Read(TouchRole::Steer)), "move 50 -5, click");
  }
  // Words a save cannot give change nothing.
  const std::vector<int64_t> saved = touch.SaveState();
  for (const std::vector<int64_t>& bad :
       {std::vector<int64_t>{0}, std::vector<int64_t>{0, 2, 0, 0, 0, 0, 0, 0, 0, 0},
        std::vector<int64_t>{0, 1, 0, 0, 0, 0, int64_t(1) << 40, 0, 0, 0},
        std::vector<int64_t>{1, 5, 9, 0, 0, 0, 0, 0, 0, 0, 0, 0}}) {
    EXPECT_FALSE(touch.LoadState(bad));
    EXPECT_EQ(touch.SaveState(), saved);
  }
  ASSERT_TRUE(touch.LoadState({}));
  EXPECT_TRUE(touch.SaveState().empty()) << "no words: no finger";
}

}  // namespace
