// The game's one random generator (xoshiro128**), seeded once; the same seed gives the same
// numbers on every machine.
#pragma once
#include <array>
#include <cstdint>

class Random {
 public:
  explicit Random(uint64_t seed = 1) { Seed(seed); }
  void Seed(uint64_t seed);
  uint32_t Next();
  // Uniform integer in [0, n); 0 when n <= 0.
  int32_t Int(int32_t n);
  // Uniform real in [0, 1).
  double Real();
  // A seed taken from the clock.
  static uint64_t ClockSeed();
  // The whole state, so a run can go on from this point elsewhere (a replay). A state of all
  // zeros would give only zeros and is never taken.
  std::array<uint32_t, 4> State() const { return {s_[0], s_[1], s_[2], s_[3]}; }
  bool SetState(const std::array<uint32_t, 4>& s) {
    if (!(s[0] | s[1] | s[2] | s[3])) return false;
    for (int i = 0; i < 4; ++i) s_[i] = s[i];
    return true;
  }

 private:
  uint32_t s_[4];
};

// The generator the whole game draws from (the one global the rules make global).
Random& GameRandom();

// Puts the game's generator back as it was when the scope ends: work that draws numbers for itself
// (prepared pictures, an author's check) leaves the game's sequence untouched.
class KeepGameRandom {
 public:
  KeepGameRandom() : saved_(GameRandom()) {}
  ~KeepGameRandom() { GameRandom() = saved_; }
  KeepGameRandom(const KeepGameRandom&) = delete;
  KeepGameRandom& operator=(const KeepGameRandom&) = delete;

 private:
  Random saved_;
};
