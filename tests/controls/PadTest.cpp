// The pad mapping: what each button and the stick stand for on each screen, presses that keep
// their meaning across a change of screen, proportional motion, and spelling a name.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/PadMapper.h"

namespace {

InputEvent Button(PadButton b, bool down) {
  return {InputEvent::Kind::PadButton, int32_t(b), down ? 1 : 0};
}
InputEvent Axis(PadAxis a, int32_t v) {
  return {InputEvent::Kind::PadAxis, int32_t(a), v};
}

std::vector<int> KeysOf(const PadInput& in) {
  std::vector<int> keys;
  for (int k = 0; k < 256; ++k)
    if (in.keys[size_t(k)]) keys.push_back(k);
  return keys;
}

TEST(PadTest, NamesRoundTrip) {
  for (int i = 0; i < int(PadButton::Count); ++i)
    EXPECT_EQ(PadButtonFromName(PadButtonName(PadButton(i))), PadButton(i));
  for (int i = 0; i < int(PadAxis::Count); ++i)
    EXPECT_EQ(PadAxisFromName(PadAxisName(PadAxis(i))), PadAxis(i));
  EXPECT_EQ(PadButtonFromName("dpup"), PadButton::DpUp);
  EXPECT_EQ(PadAxisFromName("lefty"), PadAxis::LeftY);
  for (const char* bad : {"", "A", "guide", "lefttrigger", "leftx "}) {
    EXPECT_FALSE(PadButtonFromName(bad)) << bad;
    EXPECT_FALSE(PadAxisFromName(bad)) << bad;
  }
}

struct ButtonCase {
  PadRole role;
  PadButton button;
  std::vector<int> keys;
  bool leftButton;
};

class PadButtonTest : public testing::TestWithParam<ButtonCase> {};

TEST_P(PadButtonTest, PressedButtonGivesTheKeysOfItsScreen) {
  const ButtonCase& c = GetParam();
  PadMapper pad;
  std::string chars;
  pad.Apply(Button(c.button, true), {c.role}, chars);
  const PadInput in = pad.Tick({c.role}, chars);
  EXPECT_EQ(KeysOf(in), c.keys);
  EXPECT_EQ(in.leftButton, c.leftButton);
  EXPECT_EQ(chars, "");
  pad.Apply(Button(c.button, false), {c.role}, chars);
  const PadInput released = pad.Tick({c.role}, chars);
  EXPECT_TRUE(released.keys.none());
  EXPECT_FALSE(released.leftButton);
  // Pressed and released within one tick: the same for that tick, then nothing.
  pad.Apply(Button(c.button, true), {c.role}, chars);
  pad.Apply(Button(c.button, false), {c.role}, chars);
  const PadInput tapped = pad.Tick({c.role}, chars);
  EXPECT_EQ(KeysOf(tapped), c.keys);
  EXPECT_EQ(tapped.leftButton, c.leftButton);
  const PadInput after = pad.Tick({c.role}, chars);
  EXPECT_TRUE(after.keys.none());
  EXPECT_FALSE(after.leftButton);
}

using R = PadRole;
using B = PadButton;
INSTANTIATE_TEST_SUITE_P(Roles, PadButtonTest,
                         testing::Values(ButtonCase{R::Menu, B::A, {DIK_RETURN}, false},
                                         ButtonCase{R::Menu, B::B, {DIK_ESCAPE}, false},
                                         ButtonCase{R::Menu, B::DpUp, {DIK_UP}, false},
                                         ButtonCase{R::Menu, B::DpDown, {DIK_DOWN}, false},
                                         ButtonCase{R::Menu, B::DpLeft, {}, false},
                                         ButtonCase{R::Menu, B::Start, {}, false},
                                         // The table screen's replay and shared table.
                                         ButtonCase{R::Menu, B::X, {DIK_R}, false},
                                         ButtonCase{R::Menu, B::Y, {DIK_S}, false},
                                         ButtonCase{R::GameMenu, B::Y, {}, false},
                                         ButtonCase{R::GameMenu, B::Start, {DIK_ESCAPE}, false},
                                         ButtonCase{R::GameMenu, B::A, {DIK_RETURN}, false},
                                         ButtonCase{R::KeyboardPlay, B::A, {DIK_RETURN}, false},
                                         ButtonCase{R::KeyboardPlay, B::B, {DIK_ESCAPE}, false},
                                         ButtonCase{R::KeyboardPlay, B::Start, {DIK_ESCAPE}, false},
                                         ButtonCase{R::KeyboardPlay, B::DpLeft, {DIK_LEFT}, false},
                                         ButtonCase{
                                             R::KeyboardPlay, B::DpRight, {DIK_RIGHT}, false},
                                         ButtonCase{R::KeyboardPlay, B::DpUp, {DIK_UP}, false},
                                         ButtonCase{R::MousePlay, B::A, {}, true},
                                         ButtonCase{R::MousePlay, B::B, {DIK_ESCAPE}, false},
                                         ButtonCase{R::MousePlay, B::Start, {DIK_ESCAPE}, false},
                                         ButtonCase{R::MousePlay, B::DpLeft, {}, false},
                                         ButtonCase{R::MousePlay, B::X, {}, false},
                                         ButtonCase{R::NameEntry, B::A, {}, false},
                                         ButtonCase{R::None, B::A, {}, false}));

TEST(PadTest, HeldButtonKeepsTheMeaningOfItsPress) {
  PadMapper pad;
  std::string chars;
  // A chose "New game" in the menu; still held in play it stays Enter, never a click.
  pad.Apply(Button(B::A, true), {R::Menu}, chars);
  PadInput in = pad.Tick({R::MousePlay}, chars);
  EXPECT_EQ(KeysOf(in), std::vector<int>{DIK_RETURN});
  EXPECT_FALSE(in.leftButton);
  pad.Apply(Button(B::A, false), {R::MousePlay}, chars);
  pad.Apply(Button(B::A, true), {R::MousePlay}, chars);
  in = pad.Tick({R::MousePlay}, chars);
  EXPECT_TRUE(in.keys.none());
  EXPECT_TRUE(in.leftButton);
  // A repeated down report is no new press.
  pad.Apply(Button(B::A, true), {R::Menu}, chars);
  EXPECT_TRUE(pad.Tick({R::Menu}, chars).leftButton);
}

TEST(PadTest, StickOutsideTheDeadZoneHoldsArrows) {
  PadMapper pad;
  std::string chars;
  pad.Apply(Axis(PadAxis::LeftY, PadMapper::kDeadZone), {R::Menu}, chars);
  pad.Apply(Axis(PadAxis::LeftX, -32768), {R::Menu}, chars);
  EXPECT_TRUE(pad.Tick({R::Menu}, chars).keys.none());  // centred enough; x is no menu move
  pad.Apply(Axis(PadAxis::LeftY, PadMapper::kDeadZone + 1), {R::Menu}, chars);
  EXPECT_EQ(KeysOf(pad.Tick({R::Menu}, chars)), std::vector<int>{DIK_DOWN});
  EXPECT_EQ(KeysOf(pad.Tick({R::KeyboardPlay}, chars)), (std::vector<int>{DIK_LEFT, DIK_DOWN}));
  const PadInput mouse = pad.Tick({R::MousePlay}, chars);
  EXPECT_TRUE(mouse.keys.none());
  EXPECT_EQ(mouse.dx, -PadMapper::kMouseSpeed);
  EXPECT_EQ(mouse.dy, 0);  // one count beyond the dead zone is a fraction a tick
}

TEST(PadTest, StickMovesTheMouseInProportion) {
  PadMapper pad;
  std::string chars;
  const int32_t half = PadMapper::kDeadZone + (32767 - PadMapper::kDeadZone) / 2;
  pad.Apply(Axis(PadAxis::LeftX, half), {R::MousePlay}, chars);
  pad.Apply(Axis(PadAxis::LeftY, -32767), {R::MousePlay}, chars);
  int sumX = 0, sumY = 0;
  for (int t = 0; t < 10; ++t) {
    const PadInput in = pad.Tick({R::MousePlay}, chars);
    EXPECT_GE(in.dx, 14);
    EXPECT_LE(in.dx, 15);
    sumX += in.dx;
    sumY += in.dy;
  }
  // Half the deflection beyond the dead zone: half the speed, the fractions carried.
  EXPECT_EQ(sumX, 149);
  EXPECT_EQ(sumY, -10 * PadMapper::kMouseSpeed);
}

TEST(PadTest, NameIsSpeltWithThePadAlone) {
  PadMapper pad;
  std::string typed;
  auto press = [&](PadButton b, bool full = false) {
    std::string chars;
    pad.Apply(Button(b, true), {R::NameEntry, full}, chars);
    pad.Apply(Button(b, false), {R::NameEntry, full}, chars);
    return chars;
  };
  EXPECT_EQ(press(B::DpUp), "A");
  EXPECT_EQ(press(B::DpUp), "\bB");
  EXPECT_EQ(press(B::DpDown), "\bA");
  EXPECT_EQ(press(B::DpDown), "\b9");   // the letters wrap round
  EXPECT_EQ(press(B::A), "");           // taken
  EXPECT_EQ(press(B::DpDown), "Z");     // a new letter; Down starts at Z
  EXPECT_EQ(press(B::DpLeft), "\b");    // the candidate goes
  EXPECT_EQ(press(B::B), "\b");         // then the letter before it
  EXPECT_EQ(press(B::DpUp, true), "");  // a full name takes no new letter
  EXPECT_EQ(press(B::DpUp), "A");
  EXPECT_EQ(press(B::DpRight), "");
  EXPECT_EQ(press(B::Start), "\r");
  // The stick crossing out of its dead zone is a press; a held Up repeats.
  std::string chars;
  pad.Apply(Axis(PadAxis::LeftY, -30000), {R::NameEntry}, chars);
  EXPECT_EQ(chars, "A");
  chars.clear();
  for (int t = 1; t <= PadMapper::kRepeatDelay + PadMapper::kRepeat; ++t)
    pad.Tick({R::NameEntry}, chars);
  EXPECT_EQ(chars, "\bB\bC");
  // Leaving the name entry forgets the candidate.
  pad.Tick({R::Menu}, chars);
  chars.clear();
  pad.Apply(Axis(PadAxis::LeftY, 0), {R::NameEntry}, chars);
  EXPECT_EQ(press(B::DpUp), "A");
}

}  // namespace
