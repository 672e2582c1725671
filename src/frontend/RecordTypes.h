// One result row of a table of records: 36 bytes, the same in memory and in the ".tbl" file.
//
//   offset size field
//   0      1    used (0 empty, written as 1)
//   1      1    name length 0..10
//   2      10   name, cp1251
//   12     4    score         16 4 targets      20 4 medals      24 4 levels reached
//   28     1    won           29 1 difficulty   30 2 padding     32 4 misses
#pragma once
#include <cstdint>

#pragma pack(push, 1)
struct TRecordRow {
  uint8_t used = 0;
  uint8_t nameLength = 0;
  char name[10] = {};
  int32_t score = 0;
  int32_t targets = 0;
  int32_t medals = 0;
  int32_t levels = 0;
  uint8_t won = 0;
  uint8_t difficulty = 0;
  uint8_t padding[2] = {};
  int32_t misses = 0;
};
#pragma pack(pop)
static_assert(sizeof(TRecordRow) == 36);

constexpr int kRecordRows = 10;
