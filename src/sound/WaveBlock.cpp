// The stored form of one sound.
#include "sound/WaveBlock.h"

namespace {

uint32_t Get(std::string_view b, size_t pos, size_t size) {
  uint32_t v = 0;
  for (size_t i = 0; i < size; ++i)
    if (pos + i < b.size()) v |= uint32_t(uint8_t(b[pos + i])) << (8 * i);
  return v;
}

void Put(std::string& b, uint32_t v, size_t size) {
  for (size_t i = 0; i < size; ++i) b += char(uint8_t(v >> (8 * i)));
}

}  // namespace

TWaveFormat ReadWaveFormat(std::string_view b) {
  TWaveFormat f;
  f.wFormatTag = uint16_t(Get(b, 0, 2));
  f.nChannels = uint16_t(Get(b, 2, 2));
  f.nSamplesPerSec = Get(b, 4, 4);
  f.nAvgBytesPerSec = Get(b, 8, 4);
  f.nBlockAlign = uint16_t(Get(b, 12, 2));
  f.wBitsPerSample = uint16_t(Get(b, 14, 2));
  f.cbSize = uint16_t(Get(b, 16, 2));
  return f;
}

std::string WriteWaveFormat(const TWaveFormat& f) {
  std::string b;
  Put(b, f.wFormatTag, 2);
  Put(b, f.nChannels, 2);
  Put(b, f.nSamplesPerSec, 4);
  Put(b, f.nAvgBytesPerSec, 4);
  Put(b, f.nBlockAlign, 2);
  Put(b, f.wBitsPerSample, 2);
  Put(b, f.cbSize, 2);
  return b;
}

bool ParseWaveBlock(std::string_view block, TWaveBlockView& out) {
  if (block.size() < kWaveBlockHeader) return false;
  const uint32_t n = Get(block, 0, 4);
  if (n > block.size() - kWaveBlockHeader) return false;
  out.Format = ReadWaveFormat(block.substr(4, kWaveFormatBytes));
  out.Samples = reinterpret_cast<const uint8_t*>(block.data()) + kWaveBlockHeader;
  out.SampleBytes = n;
  return true;
}

std::string MakeWaveBlock(const TWaveFormat& format, std::string_view samples) {
  std::string b;
  b.reserve(kWaveBlockHeader + samples.size());
  Put(b, uint32_t(samples.size()), 4);
  TWaveFormat stored = format;
  stored.cbSize = 0;  // the extra bytes are not kept, so the record must not announce them
  b += WriteWaveFormat(stored);
  b += samples;
  return b;
}
