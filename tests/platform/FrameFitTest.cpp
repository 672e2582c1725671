// The frame's place and whole factor on an output, from the table the page's twin is checked
// against too.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/sdl/FrameFit.h"

TEST(FrameFitTest, FollowsTheSharedTable) {
  // The table the page's twin (web/scale.js) is tested against too.
  std::ifstream in(VOR_TEST_CASES "/frame_fit_cases.txt");
  ASSERT_TRUE(in) << "cannot read frame_fit_cases.txt";
  int cases = 0;
  std::string line;
  for (int lineNo = 1; std::getline(in, line); ++lineNo) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    std::string mode;
    int32_t ow, oh, fw, fh;
    FrameFit want;
    ASSERT_TRUE(words >> mode >> ow >> oh >> fw >> fh >> want.factor >> want.x >> want.y >>
                want.w >> want.h)
        << "line " << lineNo;
    ASSERT_TRUE(mode == "sharp" || mode == "integer") << "line " << lineNo;
    const FrameFit got =
        FitFrame(ow, oh, fw, fh, mode == "sharp" ? ScaleMode::Sharp : ScaleMode::Integer);
    EXPECT_EQ((std::array{got.factor, got.x, got.y, got.w, got.h}),
              (std::array{want.factor, want.x, want.y, want.w, want.h}))
        << "line " << lineNo << ": " << line;
    ++cases;
  }
  EXPECT_GT(cases, 0);
}

// Whatever the output, the frame stays inside it, keeps its shape to a pixel, and the factor
// enlarges it to at least the size shown (sharp) or exactly to it (integer).
TEST(FrameFitTest, StaysInsideAndKeepsTheShape) {
  for (int32_t ow = 1; ow < 3000; ow += 37) {
    for (int32_t oh = 1; oh < 3000; oh += 41) {
      for (ScaleMode mode : {ScaleMode::Sharp, ScaleMode::Integer}) {
        const FrameFit f = FitFrame(ow, oh, 800, 600, mode);
        SCOPED_TRACE(std::to_string(ow) + " x " + std::to_string(oh));
        ASSERT_GE(f.x, 0);
        ASSERT_GE(f.y, 0);
        ASSERT_LE(f.x + f.w, ow);
        ASSERT_LE(f.y + f.h, oh);
        ASSERT_LE(std::abs(f.w * 600 - f.h * 800), 800);
        ASSERT_GE(f.factor * 800, f.w);
        ASSERT_GE(f.factor * 600, f.h);
        if (mode == ScaleMode::Sharp) {
          ASSERT_TRUE(f.w == ow || f.h == oh);
          // The smallest whole factor: one less would not reach the size shown.
          if (f.factor > 1) {
            ASSERT_TRUE((f.factor - 1) * 800 < f.w || (f.factor - 1) * 600 < f.h);
          }
        } else if (ow >= 800 && oh >= 600) {
          ASSERT_EQ(f.w, f.factor * 800);
          ASSERT_TRUE((f.factor + 1) * 800 > ow || (f.factor + 1) * 600 > oh);
        }
      }
    }
  }
}
