// The five sound effects, synthesized: envelopes over oscillators and filtered noise, then
// normalized to a peak of their own and faded in and out so that no effect starts or ends with a
// click.
#include <algorithm>
#include <cmath>

#include "Assets.h"

namespace {

constexpr double kRate = kSampleRate;

std::vector<double> Buffer(double seconds) {
  return std::vector<double>(size_t(seconds * kRate));
}
double T(size_t i) {
  return double(i) / kRate;
}

// A one-pole low-pass filter.
struct LowPass {
  double a, y = 0;
  explicit LowPass(double cutoff) : a(1 - std::exp(-2 * M_PI * cutoff / kRate)) {}
  double operator()(double x) { return y += a * (x - y); }
};

std::vector<int16_t> Finish(std::vector<double> s, double peak, double fadeIn, double fadeOut) {
  double m = 0;
  for (double v : s) m = std::max(m, std::fabs(v));
  const double k = m > 0 ? peak / m : 0;
  const size_t in = size_t(fadeIn * kRate), out = size_t(fadeOut * kRate);
  std::vector<int16_t> pcm(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    double g = k;
    if (i < in) g *= 0.5 - 0.5 * std::cos(M_PI * double(i) / in);
    const size_t left = s.size() - 1 - i;
    if (left < out) g *= 0.5 - 0.5 * std::cos(M_PI * double(left) / out);
    pcm[i] = int16_t(std::lround(std::clamp(s[i] * g, -1.0, 1.0) * 32767.0));
  }
  return pcm;
}

// A bright hit: a sharp crack and a ringing, slightly inharmonic metal "ting". The count-up
// usually cuts it after one frame, so the first 25 ms carry the character.
std::vector<int16_t> Hit() {
  auto s = Buffer(0.32);
  Rng rng(700);
  LowPass lp(6000);
  const double partials[][3] = {{1760, 1.0, 0.09},
                                {2645, 0.6, 0.07},
                                {3980, 0.45, 0.05},
                                {5230, 0.3, 0.035},
                                {880, 0.35, 0.05}};
  for (size_t i = 0; i < s.size(); ++i) {
    const double t = T(i);
    double v = 0;
    for (auto& p : partials) v += p[1] * std::sin(2 * M_PI * p[0] * t) * std::exp(-t / p[2]);
    // The crack: a burst of bright noise in the first milliseconds.
    const double n = rng.Range(-1, 1);
    v += 1.6 * (n - lp(n)) * std::exp(-t / 0.004);
    // A body thump under it.
    v += 0.8 * std::sin(2 * M_PI * (180 - 60 * t) * t) * std::exp(-t / 0.025);
    s[i] = v;
  }
  return Finish(s, 0.9, 0.0008, 0.02);
}

// A soft menu blip: a rising sine with a touch of its octave.
std::vector<int16_t> Blip() {
  auto s = Buffer(0.11);
  double phase = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    const double t = T(i);
    const double f = 620 + 380 * std::min(1.0, t / 0.05);
    phase += 2 * M_PI * f / kRate;
    const double env = std::min(1.0, t / 0.006) * std::exp(-t / 0.045);
    s[i] = env * (std::sin(phase) + 0.18 * std::sin(2 * phase));
  }
  return Finish(s, 0.55, 0.002, 0.03);
}

// A counter's tick: a tiny, dry, high click that dies well within one 25 ms frame, so that
// restarting it every frame is heard as a rattle of separate ticks, not as a tone.
std::vector<int16_t> Tick() {
  auto s = Buffer(0.014);
  Rng rng(702);
  LowPass lp(3000);
  for (size_t i = 0; i < s.size(); ++i) {
    const double t = T(i);
    const double n = rng.Range(-1, 1);
    s[i] = std::sin(2 * M_PI * 3150 * t) * std::exp(-t / 0.0022) +
           0.45 * std::sin(2 * M_PI * 1570 * t) * std::exp(-t / 0.003) +
           0.5 * (n - lp(n)) * std::exp(-t / 0.0008);
  }
  return Finish(s, 0.42, 0.0003, 0.004);
}

// A dull miss: the bullet thumps into earth: a falling sine and muffled noise, with enough of it
// above 200 Hz to be heard on small speakers.
std::vector<int16_t> Miss() {
  auto s = Buffer(0.34);
  Rng rng(703);
  LowPass lp1(900), lp2(900), lp3(220);
  double phase = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    const double t = T(i);
    const double f = 80 + 190 * std::exp(-t / 0.045);
    phase += 2 * M_PI * f / kRate;
    const double n = lp2(lp1(rng.Range(-1, 1)));
    const double rumble = lp3(rng.Range(-1, 1));
    s[i] = std::sin(phase) * std::exp(-t / 0.08) + 3.0 * n * std::exp(-t / 0.035) +
           1.6 * rumble * std::exp(-t / 0.11);
  }
  return Finish(s, 0.85, 0.0015, 0.06);
}

// A short warning beep. Its pitch is a whole multiple of the 40 frames a second, so that when the
// game restarts it every frame the wave is cut near a zero crossing.
std::vector<int16_t> Beep() {
  auto s = Buffer(0.085);
  for (size_t i = 0; i < s.size(); ++i) {
    const double t = T(i);
    const double ph = 2 * M_PI * 1200 * t;
    s[i] = std::sin(ph) + 0.25 * std::sin(3 * ph) + 0.1 * std::sin(5 * ph);
  }
  return Finish(s, 0.5, 0.002, 0.012);
}

}  // namespace

std::vector<std::vector<int16_t>> MakeSounds() {
  return {Hit(), Blip(), Tick(), Miss(), Beep()};
}
