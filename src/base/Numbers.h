// The game's number conversions: Round is to the nearest integer with halves to even, Trunc cuts
// toward zero; both saturate to the int32 range instead of overflowing.
#pragma once
#include <cmath>
#include <cstdint>
#include <limits>

inline int32_t SaturateToInt(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0) return std::numeric_limits<int32_t>::max();
  if (v <= -2147483648.0) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(v);
}

// Halves go to the even neighbour (the default rounding mode of the FPU).
inline int32_t Round(double v) {
  return SaturateToInt(std::nearbyint(v));
}
inline int32_t Trunc(double v) {
  return SaturateToInt(std::trunc(v));
}
