// PNG output through libpng, encoded in memory so that a file error is the file writer's alone.
#include "image/Png.h"

#include <png.h>

#include <new>
#include <vector>

#include "platform/OutputFile.h"

namespace {

void AppendBytes(png_structp png, png_bytep data, png_size_t size) {
  auto* out = static_cast<std::string*>(png_get_io_ptr(png));
  try {
    out->append(reinterpret_cast<const char*>(data), size);
  } catch (const std::bad_alloc&) {
    png_error(png, "out of memory");
  }
}

void NoFlush(png_structp) {}

// The caller reports failures in its own words; libpng's go nowhere.
[[noreturn]] void JumpOnError(png_structp png, png_const_charp) {
  png_longjmp(png, 1);
}
void IgnoreWarning(png_structp, png_const_charp) {}

}  // namespace

bool EncodePng(const Surface& surface, std::string& bytes) {
  bytes.clear();
  const int w = surface.Width(), h = surface.Height();
  // Everything that needs freeing exists before setjmp: libpng's errors jump back past any object
  // made after it.
  std::vector<png_byte> row(size_t(w) * 3);
  png_structp png =
      png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, JumpOnError, IgnoreWarning);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    bytes.clear();
    return false;
  }
  png_set_write_fn(png, &bytes, AppendBytes, NoFlush);
  png_set_IHDR(png, info, w, h, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
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
  return true;
}

bool WritePng(const Surface& surface, const std::string& path, std::string& reason) {
  std::string bytes;
  if (!EncodePng(surface, bytes)) {
    reason = "the picture cannot be encoded";
    return false;
  }
  return WriteWholeFile(path, bytes, reason);
}
