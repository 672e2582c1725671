// The ".tbl" file of a table of records: 396 bytes, bytes past them ignored.
//
//   offset size
//   0      360  rows 1..10, each a TRecordRow (36 bytes), unused rows too
//   360    36   check row: the 32-bit sum S hidden among random filler
//
// S wraps around at 32 bits; for each row i = 1..10, divisions signed and truncating:
//   S += i * (score / 5) + i * (medals / 8) + levels / 2 - (2 * targets) / i + misses
// It covers neither the used flags, names, won flags nor difficulties.
// Places of S in the check row (every other bit is filler):
//   bits 24..31 byte 13;  16..23 byte 23;  8..15 byte 25;
//   bits 0..3 the high half of byte 16;  4..7 the low half of byte 17.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "frontend/RecordTypes.h"

constexpr size_t kRecordRowBytes = sizeof(TRecordRow);
constexpr size_t kRecordsFileBytes = (kRecordRows + 1) * kRecordRowBytes;
constexpr uint8_t kMaxNameLength = 10;

using TRecordRows = std::span<TRecordRow, kRecordRows>;
using TConstRecordRows = std::span<const TRecordRow, kRecordRows>;

uint32_t RecordsChecksum(TConstRecordRows rows);
// Writes the bits of sum into their places, leaving the filler bits as they are.
void PlaceChecksum(uint8_t (&checkRow)[kRecordRowBytes], uint32_t sum);
bool ChecksumMatches(const uint8_t (&checkRow)[kRecordRowBytes], uint32_t sum);

enum class TTableRead { Ok, Short, Corrupted };
// Reads the rows straight from bytes (a stored name length above 10 reads as 10) and checks the
// sum. On Short the rows are left untouched.
TTableRead ReadRecordsTable(std::string_view bytes, TRecordRows rows);
// The file's bytes, filler drawn from the game's generator.
std::string WriteRecordsTable(TConstRecordRows rows);
