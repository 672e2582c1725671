// The sdl backend's game controllers, through SDL's virtual joystick: a pad plugged in while the
// game runs is heard, and one pulled out lets go of what it held.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/Pad.h"
#include "platform/sdl/SdlBackend.h"

namespace {

bool Has(const std::vector<InputEvent>& events, InputEvent::Kind kind, int32_t a, int32_t b) {
  return std::any_of(events.begin(), events.end(),
                     [&](const InputEvent& e) { return e.kind == kind && e.a == a && e.b == b; });
}

TEST(SdlPadTest, PlugInPressAndPullOut) {
  System::Config config;
  config.headless = false;
  auto system = CreateSdlSystem(config);  // no window: pads need none
  ASSERT_NE(system, nullptr);
  system->PumpEvents();
  system->TakeEvents();

  SDL_VirtualJoystickDesc desc{};
  desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
  desc.naxes = SDL_CONTROLLER_AXIS_MAX;
  desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
  desc.name = "test pad";
  const int index = SDL_JoystickAttachVirtualEx(&desc);
  ASSERT_GE(index, 0) << SDL_GetError();
  system->PumpEvents();
  SDL_Joystick* stick = SDL_JoystickOpen(index);
  ASSERT_NE(stick, nullptr) << SDL_GetError();

  SDL_JoystickSetVirtualButton(stick, SDL_CONTROLLER_BUTTON_A, 1);
  SDL_JoystickSetVirtualButton(stick, SDL_CONTROLLER_BUTTON_DPAD_UP, 1);
  SDL_JoystickSetVirtualAxis(stick, SDL_CONTROLLER_AXIS_LEFTY, -20000);
  system->PumpEvents();
  const auto held = system->TakeEvents();
  EXPECT_TRUE(Has(held, InputEvent::Kind::PadButton, int32_t(PadButton::A), 1));
  EXPECT_TRUE(Has(held, InputEvent::Kind::PadButton, int32_t(PadButton::DpUp), 1));
  EXPECT_TRUE(Has(held, InputEvent::Kind::PadAxis, int32_t(PadAxis::LeftY), -20000));

  SDL_JoystickClose(stick);
  SDL_JoystickDetachVirtual(index);
  system->PumpEvents();
  const auto released = system->TakeEvents();
  EXPECT_TRUE(Has(released, InputEvent::Kind::PadButton, int32_t(PadButton::A), 0));
  EXPECT_TRUE(Has(released, InputEvent::Kind::PadButton, int32_t(PadButton::DpUp), 0));
  EXPECT_TRUE(Has(released, InputEvent::Kind::PadAxis, int32_t(PadAxis::LeftY), 0));
  EXPECT_FALSE(system->QuitRequested());
}

}  // namespace
