// PNG output through libpng.
#include "platform/Png.h"

#include <png.h>

#include <cstdio>
#include <memory>
#include <vector>

bool WritePng(const Surface& surface, const std::string& path) {
  std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path.c_str(), "wb"), std::fclose);
  if (!f) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, f.get());
  const int w = surface.Width(), h = surface.Height();
  png_set_IHDR(png, info, w, h, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  std::vector<png_byte> row(size_t(w) * 3);
  for (int y = 0; y < h; ++y) {
    const uint32_t* p = surface.Row(y);
    for (int x = 0; x < w; ++x) {
      row[x * 3] = png_byte(p[x] >> 16);
      row[x * 3 + 1] = png_byte(p[x] >> 8);
      row[x * 3 + 2] = png_byte(p[x]);
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fflush(f.get()) == 0;
}
