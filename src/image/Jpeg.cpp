// JPEG pictures through libjpeg, from memory. What libjpeg refuses (its error exit) is refused;
// what it decodes with a warning (stray bytes before a marker, a misplaced restart marker, data
// that ends early) is shown as libjpeg decodes it.
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

#include "image/Picture.h"

namespace {

// A progressive file may hold any number of scans, each a pass over the whole image; real
// files use about ten.
constexpr int kMaxScans = 256;
// libjpeg's own working memory (a progressive image keeps all its coefficients); beyond it
// libjpeg stops with an error, as it has no backing store.
constexpr long kMaxDecoderMemory = 128L << 20;

struct TJpegError {
  jpeg_error_mgr pub;
  jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void FailExit(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<TJpegError*>(cinfo->err);
  cinfo->err->format_message(cinfo, err->message);
  longjmp(err->jump, 1);
}

// Warnings and traces are dropped: libjpeg goes on with what it could read.
void OnMessage(j_common_ptr, int) {}

void OnProgress(j_common_ptr cinfo) {
  auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
  if (d->is_decompressor && d->input_scan_number > kMaxScans) {
    auto* err = reinterpret_cast<TJpegError*>(cinfo->err);
    std::snprintf(err->message, sizeof err->message, "too many scans");
    longjmp(err->jump, 1);
  }
}

// Adobe writes CMYK inverted; others rarely write CMYK at all.
uint32_t CmykToRgb(const uint8_t* p, bool inverted) {
  uint32_t c = p[0], m = p[1], y = p[2], k = p[3];
  if (!inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
  uint32_t r = c * k / 255, g = m * k / 255, b = y * k / 255;
  return (r << 16) | (g << 8) | b;
}

// Everything that lives across the jump is owned by the caller, so nothing here needs unwinding.
bool Decode(const std::string& bytes, int64_t maxPixels, jpeg_decompress_struct& cinfo,
            TJpegError& err, std::vector<uint32_t>& pixels, std::vector<uint8_t>& row,
            int32_t& width, int32_t& height, std::string& error) {
  jpeg_progress_mgr progress{};
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = FailExit;
  err.pub.emit_message = OnMessage;
  progress.progress_monitor = OnProgress;
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    error = std::string("JPEG is invalid: ") + err.message;
    return false;
  }
  jpeg_create_decompress(&cinfo);
  cinfo.mem->max_memory_to_use = kMaxDecoderMemory;
  cinfo.progress = &progress;
  jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.data()),
               static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&cinfo, TRUE);
  const int64_t w = cinfo.image_width, h = cinfo.image_height;
  if (w <= 0 || h <= 0 || w > kBmpMaxSide || h > kBmpMaxSide || w * h > maxPixels) {
    jpeg_destroy_decompress(&cinfo);
    error = "JPEG is too large (" + std::to_string(w) + " x " + std::to_string(h) + ")";
    return false;
  }
  const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  const bool inverted = cinfo.saw_Adobe_marker;
  cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRX;
  jpeg_start_decompress(&cinfo);
  pixels.resize(static_cast<size_t>(w * h));
  if (cmyk) row.resize(static_cast<size_t>(w) * 4);
  while (cinfo.output_scanline < cinfo.output_height) {
    uint32_t* dst = pixels.data() + static_cast<size_t>(cinfo.output_scanline) * w;
    JSAMPROW line = cmyk ? row.data() : reinterpret_cast<JSAMPROW>(dst);
    jpeg_read_scanlines(&cinfo, &line, 1);
    if (cmyk) {
      for (int64_t x = 0; x < w; ++x) dst[x] = CmykToRgb(row.data() + x * 4, inverted);
    } else {
      for (int64_t x = 0; x < w; ++x) dst[x] &= 0xFFFFFF;  // BGRX leaves its X byte set
    }
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  width = static_cast<int32_t>(w);
  height = static_cast<int32_t>(h);
  return true;
}

}  // namespace

std::unique_ptr<TGraphic> LoadJpegGraphic(const std::string& bytes, std::string& error,
                                          int64_t maxPixels) {
  jpeg_decompress_struct cinfo{};
  TJpegError err{};
  std::vector<uint32_t> pixels;
  std::vector<uint8_t> row;
  int32_t w = 0, h = 0;
  if (!Decode(bytes, maxPixels, cinfo, err, pixels, row, w, h, error)) return nullptr;
  return std::make_unique<TRasterGraphic>(w, h, std::move(pixels));
}
