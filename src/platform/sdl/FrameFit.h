// Where the frame goes in a window or on the page, and at which whole factor its pixels are
// enlarged first. One rule for the native window and the page: web/scale.js computes the same in
// JavaScript, and both are checked against tests/data/frame_fit_cases.txt.
#pragma once
#include <algorithm>
#include <cstdint>

#include "platform/System.h"

struct FrameFit {
  // The frame is first enlarged to factor x its size with nearest-neighbour ...
  int32_t factor = 1;
  // ... then drawn at this rectangle of the output (smoothly when its size differs).
  int32_t x = 0, y = 0, w = 0, h = 0;
};

// The frame (frameW x frameH) on an output of outW x outH pixels, centred.
// Sharp: the largest size that fits, keeping the frame's shape; the factor is the smallest whole
// one at or above that size, so every source pixel is enlarged evenly before the smooth step down.
// Integer: the largest whole factor that fits, drawn as it is (wider borders); an output smaller
// than the frame gets the sharp fit. An empty output or frame gives an empty rectangle.
inline FrameFit FitFrame(int32_t outW, int32_t outH, int32_t frameW, int32_t frameH,
                         ScaleMode mode) {
  FrameFit f;
  if (outW <= 0 || outH <= 0 || frameW <= 0 || frameH <= 0) return f;
  const int64_t ow = outW, oh = outH, fw = frameW, fh = frameH;
  const int64_t whole = std::min(ow / fw, oh / fh);
  int64_t w, h;
  if (mode == ScaleMode::Integer && whole >= 1) {
    f.factor = int32_t(whole);
    w = fw * whole;
    h = fh * whole;
  } else if (ow * fh <= oh * fw) {
    // The width decides; the other side is rounded to the nearest pixel.
    w = ow;
    h = std::min(oh, (2 * fh * ow + fw) / (2 * fw));
  } else {
    h = oh;
    w = std::min(ow, (2 * fw * oh + fh) / (2 * fh));
  }
  if (mode == ScaleMode::Sharp)
    f.factor = int32_t(std::max<int64_t>(1, std::max((w + fw - 1) / fw, (h + fh - 1) / fh)));
  f.w = int32_t(w);
  f.h = int32_t(h);
  f.x = int32_t((ow - w) / 2);
  f.y = int32_t((oh - h) / 2);
  return f;
}
