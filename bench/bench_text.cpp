// Text drawing as a frame does it: a 40-character line of the font, a centred block of lines
// (the message box), and one frame of the burst effect with its particles.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "assets/Collections.h"
#include "assets/MemoryStream.h"
#include "display/Letters.h"
#include "image/Bmp.h"
#include "platform/Display.h"
#include "platform/System.h"

namespace {

// A 1-bit glyph of 11 x 16 with a pattern that depends on its code, about half of it ink.
std::string GlyphBmp(int code) {
  TBmpImage img;
  std::string error;
  img.Create(11, 16, 1, error);
  img.Palette[1] = 0xFFFFFF;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 11; ++x)
      if ((x * 7 + y * 3 + code) % 5 < 3) img.Row(y)[x >> 3] |= uint8_t(0x80 >> (x & 7));
  return EncodeBmp(img);
}

struct World {
  std::unique_ptr<System> system = System::Create(true, false);
  Display display{*system, 256 * 1024};
  TLettersCollection font;
  Surface screen{800, 600};

  World() {
    TGraphCollection glyphs;
    for (int code = 33; code < 256; ++code) {
      TMemoryStream s(GlyphBmp(code));
      glyphs.AddGraphic(gkBitmap, std::to_string(code), s);
    }
    font.Allocate(display, 13, 18, 2 * glyphs.Count());
    font.ClipEnabled = true;
    font.SetUseColorKey(true);
    font.AddFontStyle(display, glyphs, TLetterStyle{1, 0xFFFFFF, 0}, 0);
    font.AddFontStyle(display, glyphs, TLetterStyle{3, 0xFF0000, 0x800000}, 1);
  }
};
World& TheWorld() {
  static World w;
  return w;
}

const std::string kLine = "Score 12345 &1Level 7&0 of 20, bullets 9!";  // 40 characters shown

void BM_DrawLine40(benchmark::State& state) {
  World& w = TheWorld();
  for (auto _ : state) {
    w.font.DrawLine(w.screen, 400, 300, kLine, daCenter, daCenter);
    benchmark::DoNotOptimize(w.screen.Data());
  }
  state.SetItemsProcessed(state.iterations() * 40);
}
BENCHMARK(BM_DrawLine40);

void BM_DrawTextBlock(benchmark::State& state) {
  World& w = TheWorld();
  const std::string text = kLine + "\r\n" + kLine + "\r\n" + kLine;
  for (auto _ : state) {
    w.font.DrawText(w.screen, 400, 300, text, daCenter, daCenter, 5);
    benchmark::DoNotOptimize(w.screen.Data());
  }
}
BENCHMARK(BM_DrawTextBlock);

void BM_DrawBoomFrame(benchmark::State& state) {
  World& w = TheWorld();
  w.font.StartBoom("WWWWWWWWWWWWWWWWWWWW", 0, 0, 0);  // fade 0: the particles stay
  for (auto _ : state) {
    w.font.DrawBoom(w.screen, 300, 270, TRect{0, 0, 800, 600});
    benchmark::DoNotOptimize(w.screen.Data());
  }
}
BENCHMARK(BM_DrawBoomFrame);

}  // namespace
