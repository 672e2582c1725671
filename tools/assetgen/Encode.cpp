// Writers of bitmap, JPEG and wave data.
#include "Encode.h"

#include <cstdio>
#include <cstdlib>
// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

namespace {
void Put16(std::string& s, uint32_t v) {
  s.push_back(char(v & 255));
  s.push_back(char((v >> 8) & 255));
}
void Put32(std::string& s, uint32_t v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}
}  // namespace

std::string EncodeBmp24(const Image& img) {
  const uint32_t rowBytes = (uint32_t(img.w) * 3 + 3) & ~3u;
  const uint32_t dataBytes = rowBytes * uint32_t(img.h);
  std::string s;
  s.reserve(54 + dataBytes);
  s += "BM";
  Put32(s, 54 + dataBytes);
  Put32(s, 0);
  Put32(s, 54);
  Put32(s, 40);
  Put32(s, uint32_t(img.w));
  Put32(s, uint32_t(img.h));
  Put16(s, 1);
  Put16(s, 24);
  Put32(s, 0);
  Put32(s, dataBytes);
  Put32(s, 2835);  // 72 dpi
  Put32(s, 2835);
  Put32(s, 0);
  Put32(s, 0);
  for (int y = img.h - 1; y >= 0; --y) {
    for (int x = 0; x < img.w; ++x) {
      const uint32_t p = img.at(x, y);
      s.push_back(char(p & 255));
      s.push_back(char((p >> 8) & 255));
      s.push_back(char((p >> 16) & 255));
    }
    for (uint32_t k = uint32_t(img.w) * 3; k < rowBytes; ++k) s.push_back('\0');
  }
  return s;
}

std::string EncodeJpeg(const Image& img, int quality) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  unsigned char* out = nullptr;
  unsigned long outSize = 0;
  jpeg_mem_dest(&cinfo, &out, &outSize);
  cinfo.image_width = JDIMENSION(img.w);
  cinfo.image_height = JDIMENSION(img.h);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  cinfo.dct_method = JDCT_ISLOW;
  // Full-resolution chroma: the textures have fine coloured detail.
  for (int c = 0; c < 3; ++c)
    cinfo.comp_info[c].h_samp_factor = cinfo.comp_info[c].v_samp_factor = 1;
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<unsigned char> row(size_t(img.w) * 3);
  while (cinfo.next_scanline < cinfo.image_height) {
    const int y = int(cinfo.next_scanline);
    for (int x = 0; x < img.w; ++x) {
      const uint32_t p = img.at(x, y);
      row[x * 3] = (p >> 16) & 255;
      row[x * 3 + 1] = (p >> 8) & 255;
      row[x * 3 + 2] = p & 255;
    }
    JSAMPROW rp = row.data();
    jpeg_write_scanlines(&cinfo, &rp, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::string s(reinterpret_cast<char*>(out), outSize);
  free(out);
  return s;
}

std::string EncodeWaveBlock(const std::vector<int16_t>& samples, int rate) {
  std::string s;
  const uint32_t n = uint32_t(samples.size() * 2);
  Put32(s, n);
  Put16(s, 1);  // PCM
  Put16(s, 1);  // mono
  Put32(s, uint32_t(rate));
  Put32(s, uint32_t(rate) * 2);
  Put16(s, 2);
  Put16(s, 16);
  Put16(s, 0);
  for (int16_t v : samples) Put16(s, uint16_t(v));
  return s;
}
