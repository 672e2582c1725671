// The records of one level: ten target slots and ten magnet slots, numbered 1..10 as the level
// keys number them.
#pragma once
#include <cstdint>

struct TPathPoint {
  int32_t x = 0, y = 0, n = 0;
};

constexpr int kPathPoints = 20;
constexpr int kTargetSlots = 10;
constexpr int kMagnetSlots = 10;

struct TTargetRec {
  uint8_t VISIBLE = 0;
  uint8_t NEEDHIT = 0;
  uint8_t ISBONUS = 0;
  uint8_t BONUSNUMBER = 0;
  int32_t X = 0;
  int32_t Y = 0;
  uint8_t TYPE = 0;
  uint8_t SIZE = 0;
  int32_t PICTUREINDEX = 0;
  int32_t PHAZE1 = 0;
  int32_t PHAZE2 = 0;
  int32_t JumpCounter = 0;
  uint8_t GOTYPE = 0;
  int32_t PathIndex = -1;
  TPathPoint COORDARRAY[kPathPoints] = {};
  float GlideX = 0, GlideY = 0;
  float GlideStepX = 0, GlideStepY = 0;
};

// The point a path moves on to after point i: the next one, or 0 after point 19 or before a point
// whose frame count is 0.
constexpr int32_t NextPathPoint(const TTargetRec& t, int32_t i) {
  const int32_t next = i + 1;
  return next >= kPathPoints || t.COORDARRAY[next].n == 0 ? 0 : next;
}
// The last point the path visits before it heads for point 0 again.
constexpr int32_t LastPathPoint(const TTargetRec& t) {
  int32_t last = 0;
  while (NextPathPoint(t, last) != 0) ++last;
  return last;
}

struct TMagnetRec {
  uint8_t VISIBLE = 0;
  int32_t X = 0;
  int32_t Y = 0;
  uint8_t SIZE = 0;
  int32_t PHAZE1 = 0;
};

// A shot mark shows the shot animation where a shot went; frame -1 is a free slot.
struct TShotMark {
  int32_t x = 0, y = 0, frame = -1;
};

constexpr int kShotMarks = 10;
