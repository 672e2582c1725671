// SHA-256 (FIPS 180-4) of bytes in memory, fed in pieces; the identities of scenarios, data and
// replays.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

class Sha256 {
 public:
  Sha256();
  void Add(std::string_view bytes);
  // The digest of everything added; the object must not be fed after it.
  std::array<uint8_t, 32> Finish();
  // The digest as 64 lower-case hexadecimal digits.
  std::string FinishHex();

 private:
  void Block(const uint8_t* p);
  uint32_t h_[8];
  uint8_t buffer_[64];
  size_t used_ = 0;
  uint64_t length_ = 0;
};

// The digest of bytes as 64 lower-case hexadecimal digits.
std::string Sha256Hex(std::string_view bytes);
