// Bitmap files of any content: decoded, every pixel read, encoded again and decoded the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "image/Bmp.h"
#include "image/Picture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TBmpImage img;
  std::string error;
  if (!DecodeBmp(data, size, img, error)) {
    if (error.empty()) abort();
    return 0;
  }
  if (img.Bits.size() != img.RowBytes() * static_cast<size_t>(img.Height)) abort();
  uint32_t sum = 0;
  for (int32_t y = 0; y < img.Height; ++y)
    for (int32_t x = 0; x < img.Width; ++x) sum += img.Color(x, y) + img.RawPixel(x, y);
  TBmpImage again;
  if (!DecodeBmp(EncodeBmp(img), again, error)) abort();
  if (again.Bits != img.Bits || again.Palette != img.Palette) abort();
  Surface target(64, 64);
  std::string bytes(reinterpret_cast<const char*>(data), size);
  if (auto g = LoadGraphic(gkBitmap, bytes, error)) g->Draw(target, -1, -1);
  return static_cast<int>(sum & 0);
}
