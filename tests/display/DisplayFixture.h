// A headless display for the display tests, and small helpers to paint and read surfaces.
#pragma once
#include <gtest/gtest.h>

#include <memory>

#include "platform/Display.h"
#include "platform/System.h"

class DisplayTest : public ::testing::Test {
 protected:
  DisplayTest() : system_(System::Create(true, false)), display_(*system_, 64 * 1024) {}

  // A system-memory surface whose pixel (x, y) is Pattern(x, y).
  static SurfacePtr Patterned(int32_t w, int32_t h) {
    auto s = std::make_shared<Surface>(w, h);
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x) s->Row(y)[x] = Pattern(x, y);
    return s;
  }
  static uint32_t Pattern(int32_t x, int32_t y) {
    return 0x010000u * (x + 1) + 0x000100u * (y + 1) + 7;
  }
  static uint32_t At(const Surface& s, int32_t x, int32_t y) { return s.Row(y)[x]; }

  std::unique_ptr<System> system_;
  Display display_;
};
