// One sound of "wave.col", ready to go into a device buffer. Integers little-endian:
//
//   offset size field
//   0      4    N, number of sample bytes (unsigned)
//   4      18   wave format: tag 16, channels 16, samples/s 32, average bytes/s 32,
//               block align 16, bits per sample 16, extra-format size 16
//   22     N    sample data, played unchanged
//
// Bytes after the N samples are ignored. Extra format bytes are never stored.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Audio.h"

constexpr size_t kWaveFormatBytes = 18;
constexpr size_t kWaveBlockHeader = 4 + kWaveFormatBytes;

// The format record as stored (18 bytes, little-endian); missing bytes read as 0.
TWaveFormat ReadWaveFormat(std::string_view bytes);
std::string WriteWaveFormat(const TWaveFormat& format);

// A view into a parsed block; valid while the block's bytes live.
struct TWaveBlockView {
  TWaveFormat Format;
  const uint8_t* Samples = nullptr;
  uint32_t SampleBytes = 0;
};

// False for a block shorter than its header or whose N runs past its end.
[[nodiscard]] bool ParseWaveBlock(std::string_view block, TWaveBlockView& out);
std::string MakeWaveBlock(const TWaveFormat& format, std::string_view samples);
