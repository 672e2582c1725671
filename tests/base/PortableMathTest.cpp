#include "base/PortableMath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>

namespace {

int64_t UlpsApart(double a, double b) {
  int64_t x, y;
  std::memcpy(&x, &a, 8);
  std::memcpy(&y, &b, 8);
  if (x < 0) x = std::numeric_limits<int64_t>::min() - x;
  if (y < 0) y = std::numeric_limits<int64_t>::min() - y;
  return x > y ? x - y : y - x;
}

// Replays depend on these bits: a change of method that moves any of them breaks every recorded
// game, so it must be deliberate.
TEST(PortableMath, GivesTheseBitsOnEveryMachine) {
  struct Case {
    double x, sin, cos, atan;
  } cases[] = {
      {0x1p-1, 0x1.eaee8744b05fp-2, 0x1.c1528065b7d5p-1, 0x1.dac670561bb4ep-2},
      {0x1p+0, 0x1.aed548f090ceep-1, 0x1.14a280fb5068cp-1, 0x1.921fb54442d19p-1},
      {0x1.4p+1, 0x1.326af0dcfcabp-1, -0x1.9a2f7ef858b7dp-1, 0x1.30b6d796a4da8p+0},
      {-0x1.8p+1, -0x1.210386db6d55bp-3, -0x1.fae04be85e5d2p-1, -0x1.3fc176b7a856p+0},
      {0x1.9p+6, -0x1.03425b78c4db8p-1, 0x1.b981dbf665fdfp-1, 0x1.8f905eb2def21p+0},
      {0x1.7d784p+26, 0x1.dcffca76939dcp-1, -0x1.741b3822340e6p-2, 0x1.921fb5194fb3cp+0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.x);
    EXPECT_EQ(PortableSin(c.x), c.sin);
    EXPECT_EQ(PortableCos(c.x), c.cos);
    EXPECT_EQ(PortableAtan(c.x), c.atan);
  }
}

TEST(PortableMath, StaysWithinAFewUnitsOfTheLastPlace) {
  int64_t worst = 0;
  for (int i = -20000; i <= 20000; ++i) {
    const double x = i * 0.0371;  // many turns, both signs
    worst = std::max({worst, UlpsApart(PortableSin(x), std::sin(x)),
                      UlpsApart(PortableCos(x), std::cos(x)),
                      UlpsApart(PortableAtan(x * 0.1), std::atan(x * 0.1))});
  }
  EXPECT_LE(worst, 4);
  // Near a zero the relative error would show: sin(pi) is pi's own rounding error.
  EXPECT_NEAR(PortableSin(std::numbers::pi), 1.2246467991473532e-16, 1e-31);
  EXPECT_NEAR(PortableCos(std::numbers::pi / 2), 6.123233995736766e-17, 1e-31);
}

TEST(PortableMath, EdgesOfTheDomain) {
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_TRUE(std::isnan(PortableSin(inf)));
  EXPECT_TRUE(std::isnan(PortableCos(-inf)));
  EXPECT_TRUE(std::isnan(PortableSin(std::nan(""))));
  EXPECT_TRUE(std::isnan(PortableAtan(std::nan(""))));
  EXPECT_EQ(PortableAtan(inf), std::numbers::pi / 2);
  EXPECT_EQ(PortableAtan(-inf), -std::numbers::pi / 2);
  EXPECT_EQ(PortableSin(0.0), 0.0);
  EXPECT_EQ(PortableCos(0.0), 1.0);
  EXPECT_EQ(PortableAtan(0.0), 0.0);
  // Far arguments stay finite and in range.
  for (double x : {1e12, -3e15, 1e300}) {
    EXPECT_LE(std::fabs(PortableSin(x)), 1.0);
    EXPECT_LE(std::fabs(PortableCos(x)), 1.0);
  }
  EXPECT_EQ(PortableHypot(3, 4), 5);
}

}  // namespace
