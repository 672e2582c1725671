// The per-frame drawing work (keyed sprite copies, the screen fill, a screen of background tiles)
// and one rotation, each beside the same work done by SDL on equal surfaces and by memcpy/memset.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

#include "display/PixelRoutines.h"
#include "display/SpriteSurface.h"
#include "platform/Display.h"
#include "platform/System.h"

namespace {

constexpr int kScreenW = 800, kScreenH = 600;

struct World {
  std::unique_ptr<System> system = System::Create(true, false);
  Display display{*system, 256 * 1024};
};
World& TheWorld() {
  static World w;
  return w;
}

// A 39 x 39 disc on black, about a quarter of it transparent, as a target frame.
void PaintDisc(uint32_t* pixels, int pitchPixels, int size) {
  const int r = size / 2;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const int dx = x - r, dy = y - r;
      pixels[y * pitchPixels + x] =
          dx * dx + dy * dy <= r * r ? 0x00C08040u + uint32_t(x * 3 + y) : 0;
    }
}

void PaintNoise(uint32_t* pixels, size_t count) {
  uint32_t v = 12345;
  for (size_t i = 0; i < count; ++i) pixels[i] = (v = v * 1664525u + 1013904223u) & 0xFFFFFF;
}

SDL_Surface* SdlSurface(int w, int h) {
  return SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_RGB888);
}
SDL_Surface* SdlCopyOf(const Surface& s) {
  SDL_Surface* out = SdlSurface(s.Width(), s.Height());
  for (int y = 0; y < s.Height(); ++y)
    std::memcpy(static_cast<uint8_t*>(out->pixels) + y * out->pitch, s.Row(y),
                size_t(s.Width()) * 4);
  return out;
}

// --- A colour-keyed 39 x 39 sprite copy ---

SurfacePtr Disc() {
  auto s = std::make_shared<Surface>(39, 39);
  PaintDisc(s->Data(), 39, 39);
  s->SetColorKey(0, 0);
  return s;
}

void KeyedSprite_Vor(benchmark::State& state) {
  Surface dest(kScreenW, kScreenH);
  auto disc = Disc();
  for (auto _ : state) {
    benchmark::DoNotOptimize(dest.BltFast(380, 280, *disc, nullptr, true));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(KeyedSprite_Vor);

// The whole drawing path of a sheet: slot lookup, alignment, clipping, keyed copy.
void KeyedSprite_VorSheetDraw(benchmark::State& state) {
  Surface dest(kScreenW, kScreenH);
  auto disc = Disc();
  TDXBaseSurface sheet;
  sheet.Allocate(TheWorld().display, 39, 39, 190);
  for (int i = 0; i < 190; ++i) {
    int32_t slot = -1;
    (void)sheet.PutSurface(slot, "", *disc, false);
  }
  sheet.ClipEnabled = true;
  sheet.SetUseColorKey(true);
  for (auto _ : state) {
    sheet.Draw(dest, 400, 300, 77, daCenter, daCenter);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(KeyedSprite_VorSheetDraw);

void KeyedSprite_Sdl(benchmark::State& state, bool rle) {
  SDL_Surface* dest = SdlSurface(kScreenW, kScreenH);
  SDL_Surface* disc = SdlCopyOf(*Disc());
  SDL_SetColorKey(disc, SDL_TRUE, 0);
  if (rle) SDL_SetSurfaceRLE(disc, 1);
  for (auto _ : state) {
    SDL_Rect at{380, 280, 39, 39};
    benchmark::DoNotOptimize(SDL_BlitSurface(disc, nullptr, dest, &at));
    benchmark::ClobberMemory();
  }
  SDL_FreeSurface(disc);
  SDL_FreeSurface(dest);
}
BENCHMARK_CAPTURE(KeyedSprite_Sdl, plain, false);
BENCHMARK_CAPTURE(KeyedSprite_Sdl, rle, true);

void KeyedSprite_Memcpy(benchmark::State& state) {
  Surface dest(kScreenW, kScreenH);
  auto disc = Disc();
  for (auto _ : state) {
    for (int y = 0; y < 39; ++y) std::memcpy(dest.Row(280 + y) + 380, disc->Row(y), 39 * 4);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(KeyedSprite_Memcpy);

// --- An 800 x 600 colour fill ---

void Fill_Vor(benchmark::State& state) {
  Surface dest(kScreenW, kScreenH);
  for (auto _ : state) {
    FillRect(dest, {0, 0, kScreenW, kScreenH}, 0x000032);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * kScreenW * kScreenH * 4);
}
BENCHMARK(Fill_Vor);

void Fill_Sdl(benchmark::State& state) {
  SDL_Surface* dest = SdlSurface(kScreenW, kScreenH);
  for (auto _ : state) {
    benchmark::DoNotOptimize(SDL_FillRect(dest, nullptr, 0x000032));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * kScreenW * kScreenH * 4);
  SDL_FreeSurface(dest);
}
BENCHMARK(Fill_Sdl);

void Fill_Memset(benchmark::State& state) {
  std::vector<uint32_t> dest(kScreenW * kScreenH);
  for (auto _ : state) {
    std::memset(dest.data(), 0x32, dest.size() * 4);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * kScreenW * kScreenH * 4);
}
BENCHMARK(Fill_Memset);

// --- A screen of 256 x 256 background tiles (4 x 3, clipped at the right and bottom) ---

void Tiles_Vor(benchmark::State& state) {
  Surface dest(kScreenW, kScreenH);
  Surface tile(256, 256);
  PaintNoise(tile.Data(), 256 * 256);
  TDXBaseSurface sheet;
  sheet.Allocate(TheWorld().display, 256, 256, 4);
  for (int i = 0; i < 4; ++i) {
    int32_t slot = -1;
    (void)sheet.PutSurface(slot, "", tile, false);
  }
  sheet.ClipEnabled = true;
  for (auto _ : state) {
    for (int y = 0; y < kScreenH; y += 256)
      for (int x = 0; x < kScreenW; x += 256)
        sheet.Draw(dest, x, y, (x + y) / 256 % 4, daLeft, daTop);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * kScreenW * kScreenH * 4);
}
BENCHMARK(Tiles_Vor);

void Tiles_Sdl(benchmark::State& state) {
  SDL_Surface* dest = SdlSurface(kScreenW, kScreenH);
  Surface tile(256, 256);
  PaintNoise(tile.Data(), 256 * 256);
  SDL_Surface* tiles[4];
  for (auto& t : tiles) t = SdlCopyOf(tile);
  for (auto _ : state) {
    for (int y = 0; y < kScreenH; y += 256)
      for (int x = 0; x < kScreenW; x += 256) {
        SDL_Rect at{x, y, 256, 256};
        SDL_BlitSurface(tiles[(x + y) / 256 % 4], nullptr, dest, &at);
      }
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * kScreenW * kScreenH * 4);
  for (auto& t : tiles) SDL_FreeSurface(t);
  SDL_FreeSurface(dest);
}
BENCHMARK(Tiles_Sdl);

void Tiles_Memcpy(benchmark::State& state) {
  std::vector<uint32_t> src(kScreenW * kScreenH), dest(kScreenW * kScreenH);
  PaintNoise(src.data(), src.size());
  for (auto _ : state) {
    std::memcpy(dest.data(), src.data(), dest.size() * 4);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * kScreenW * kScreenH * 4);
}
BENCHMARK(Tiles_Memcpy);

// --- One rotation of 100 x 100 (10 degrees), beside a plain copy of the same pixels ---

void Rotate100_Vor(benchmark::State& state) {
  Surface src(100, 100);
  PaintNoise(src.Data(), 100 * 100);
  for (auto _ : state) {
    SurfacePtr out;
    int32_t h = 0, w = 0;
    benchmark::DoNotOptimize(
        RotateSurface(TheWorld().display, src, {0, 0, 100, 100}, 0, 100, h, w, out));
  }
}
BENCHMARK(Rotate100_Vor);

// As rotated drawing does it: into a kept work surface, no allocation.
void Rotate100_VorInto(benchmark::State& state) {
  Surface src(100, 100);
  PaintNoise(src.Data(), 100 * 100);
  const TRotation t = RotationFor(100, 100, 100);
  Surface work(t.NewWidth, t.NewHeight);
  for (auto _ : state) {
    benchmark::DoNotOptimize(RotateInto(src, {0, 0, 100, 100}, 0, t, work));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(Rotate100_VorInto);

void Rotate100_SdlCopy(benchmark::State& state) {
  Surface src(100, 100);
  PaintNoise(src.Data(), 100 * 100);
  SDL_Surface* s = SdlCopyOf(src);
  SDL_Surface* d = SdlSurface(100, 100);
  for (auto _ : state) {
    benchmark::DoNotOptimize(SDL_BlitSurface(s, nullptr, d, nullptr));
    benchmark::ClobberMemory();
  }
  SDL_FreeSurface(s);
  SDL_FreeSurface(d);
}
BENCHMARK(Rotate100_SdlCopy);

void Rotate100_Memcpy(benchmark::State& state) {
  std::vector<uint32_t> src(100 * 100), dest(100 * 100);
  PaintNoise(src.data(), src.size());
  for (auto _ : state) {
    std::memcpy(dest.data(), src.data(), dest.size() * 4);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(Rotate100_Memcpy);

}  // namespace
