// Sine and cosine by reduction to [-pi/4, pi/4] with pi/2 split in three parts, then their series;
// arc tangent by two half-angle steps to |t| < 0.2 and its series.
#include "base/PortableMath.h"

#include <cmath>
#include <cstdint>

namespace {

// pi/2 = kPio2a + kPio2b + kPio2c; the first two have 33 significant bits, so k times them is
// exact for |k| < 2^20.
constexpr double kPio2a = 0x1.921fb544p+0;
constexpr double kPio2b = 0x1.0b4611a6p-34;
constexpr double kPio2c = 0x1.3198a2e037073p-69;
constexpr double kTwoOverPi = 0x1.45f306dc9c883p-1;
constexpr double kPio2 = 0x1.921fb54442d18p+0;
constexpr double kTwoPi = 0x1.921fb54442d18p+2;

constexpr double Factorial(int n) {
  double f = 1;
  for (int i = 2; i <= n; ++i) f *= i;  // exact up to 18!
  return f;
}

// Series on |r| <= pi/4: the first omitted terms are below 1e-19.
double SinSeries(double r) {
  const double z = r * r;
  double p = 1.0 / Factorial(17);
  for (int n = 15; n >= 3; n -= 2) p = (n % 4 == 1 ? 1.0 : -1.0) / Factorial(n) + z * p;
  return r + r * z * p;
}

double CosSeries(double r) {
  const double z = r * r;
  double p = -1.0 / Factorial(18);
  for (int n = 16; n >= 4; n -= 2) p = (n % 4 == 0 ? 1.0 : -1.0) / Factorial(n) + z * p;
  return (1.0 - 0.5 * z) + z * z * p;
}

// x = k pi/2 + r with |r| <= about pi/4; quadrant = k mod 4.
double Reduce(double x, int& quadrant) {
  if (std::fabs(x) > 1e9) x = std::fmod(x, kTwoPi);  // exact, as fmod always is
  const double k = std::floor(x * kTwoOverPi + 0.5);
  quadrant = int(int64_t(k) & 3);
  return ((x - k * kPio2a) - k * kPio2b) - k * kPio2c;
}

}  // namespace

double PortableSin(double x) {
  if (!std::isfinite(x)) return x - x;
  int q;
  const double r = Reduce(x, q);
  switch (q) {
    case 0: return SinSeries(r);
    case 1: return CosSeries(r);
    case 2: return -SinSeries(r);
    default: return -CosSeries(r);
  }
}

double PortableCos(double x) {
  if (!std::isfinite(x)) return x - x;
  int q;
  const double r = Reduce(x, q);
  switch (q) {
    case 0: return CosSeries(r);
    case 1: return -SinSeries(r);
    case 2: return -CosSeries(r);
    default: return SinSeries(r);
  }
}

double PortableAtan(double x) {
  if (std::isnan(x)) return x;
  if (x < 0) return -PortableAtan(-x);
  if (x > 1) return kPio2 - PortableAtan(1 / x);
  // atan x = 2 atan(x / (1 + sqrt(1 + x^2))), twice: 0..1 -> 0..0.415 -> 0..0.199.
  double t = x;
  for (int i = 0; i < 2; ++i) t = t / (1 + std::sqrt(1 + t * t));
  const double z = t * t;
  double p = 1.0 / 25;
  for (int n = 23; n >= 3; n -= 2) p = (n % 4 == 1 ? 1.0 : -1.0) / n + z * p;
  return 4 * (t + t * z * p);
}

double PortableHypot(double x, double y) {
  return std::sqrt(x * x + y * y);
}
