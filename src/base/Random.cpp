// xoshiro128** seeded through splitmix64.
#include "base/Random.h"

#include <chrono>

namespace {
uint64_t SplitMix(uint64_t& x) {
  uint64_t z = (x += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}
uint32_t Rotl(uint32_t x, int k) {
  return (x << k) | (x >> (32 - k));
}
}  // namespace

void Random::Seed(uint64_t seed) {
  const uint64_t a = SplitMix(seed), b = SplitMix(seed);
  s_[0] = uint32_t(a);
  s_[1] = uint32_t(a >> 32);
  s_[2] = uint32_t(b);
  s_[3] = uint32_t(b >> 32);
  if ((s_[0] | s_[1] | s_[2] | s_[3]) == 0) s_[0] = 1;
}

uint32_t Random::Next() {
  const uint32_t result = Rotl(s_[1] * 5, 7) * 9;
  const uint32_t t = s_[1] << 9;
  s_[2] ^= s_[0];
  s_[3] ^= s_[1];
  s_[1] ^= s_[2];
  s_[0] ^= s_[3];
  s_[2] ^= t;
  s_[3] = Rotl(s_[3], 11);
  return result;
}

int32_t Random::Int(int32_t n) {
  if (n <= 0) return 0;
  return static_cast<int32_t>((uint64_t(Next()) * uint64_t(n)) >> 32);
}

double Random::Real() {
  return double(Next()) * (1.0 / 4294967296.0);
}

uint64_t Random::ClockSeed() {
  return static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
         static_cast<uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
}

Random& GameRandom() {
  static Random r;
  return r;
}
