// Byte packing of integers inside strings.
#include "base/Bytes.h"

std::string IntToBytes(int32_t value) {
  const auto u = static_cast<uint32_t>(value);
  return std::string{char(u & 0xFF), char((u >> 8) & 0xFF), char((u >> 16) & 0xFF), char(u >> 24)};
}

int32_t BytesToInt(const std::string& text) {
  const std::string padded = std::string(4, '\0') + text;
  return ReadInt32At(padded, padded.size() - 4);
}

int32_t ReadInt32At(const std::string& s, size_t pos) {
  uint32_t u = 0;
  for (size_t i = 0; i < 4; ++i)
    if (pos + i < s.size()) u |= uint32_t(static_cast<unsigned char>(s[pos + i])) << (8 * i);
  return static_cast<int32_t>(u);
}

void PutInt32LE(uint8_t* p, int32_t value) {
  const auto u = static_cast<uint32_t>(value);
  p[0] = uint8_t(u);
  p[1] = uint8_t(u >> 8);
  p[2] = uint8_t(u >> 16);
  p[3] = uint8_t(u >> 24);
}

int32_t GetInt32LE(const uint8_t* p) {
  return static_cast<int32_t>(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 |
                              uint32_t(p[3]) << 24);
}
