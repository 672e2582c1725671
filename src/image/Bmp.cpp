// The one reader and writer of the Windows bitmap format.
#include "image/Bmp.h"

#include <bit>
#include <cstring>

#include "base/LittleEndian.h"

namespace {

constexpr uint32_t kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitFields = 3;

void Put16(std::string& s, uint32_t v) {
  s.push_back(static_cast<char>(v & 0xFF));
  s.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void Put32(std::string& s, uint32_t v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}

bool ValidBitCount(uint32_t bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

bool SizeError(int64_t width, int64_t height, std::string& error,
               int64_t maxPixels = kBmpMaxPixels) {
  if (width <= 0 || height <= 0) {
    error = "bitmap has an empty size";
    return true;
  }
  if (width > kBmpMaxSide || height > kBmpMaxSide || width * height > maxPixels) {
    error = "bitmap is too large (" + std::to_string(width) + " x " + std::to_string(height) + ")";
    return true;
  }
  return false;
}

void DefaultMasks(TBmpImage& img) {
  img.RedMask = img.GreenMask = img.BlueMask = 0;
  if (img.BitCount == 16) {
    img.RedMask = 0x7C00, img.GreenMask = 0x03E0, img.BlueMask = 0x001F;
  } else if (img.BitCount == 24 || img.BitCount == 32) {
    img.RedMask = 0xFF0000, img.GreenMask = 0x00FF00, img.BlueMask = 0x0000FF;
  }
}

// A mask must be one run of set bits (or empty) within the pixel's width.
bool MaskUsable(uint32_t mask, uint16_t bitCount) {
  if (mask == 0) return true;
  if (bitCount < 32 && (mask >> bitCount) != 0) return false;
  uint32_t shifted = mask >> std::countr_zero(mask);
  return (shifted & (shifted + 1)) == 0;
}

// The channel scaled to 0..255; narrow channels repeat their bits so that full stays full.
uint32_t Channel(uint32_t pixel, uint32_t mask) {
  if (mask == 0) return 0;
  int shift = std::countr_zero(mask);
  int width = std::popcount(mask);
  uint32_t v = (pixel & mask) >> shift;
  if (width >= 8) return v >> (width - 8);
  uint32_t out = 0;
  int filled = 0;
  while (filled < 8) {
    out = (out << width) | v;
    filled += width;
  }
  return out >> (filled - 8);
}

// Decompresses RLE8 or RLE4 data into the bottom-up rows. Every run, delta and absolute block
// must stay inside the image; the data must end with the end-of-bitmap code, or run out exactly
// after the last row's end-of-line.
bool DecodeRle(const uint8_t* p, size_t n, bool four, TBmpImage& img, std::string& error) {
  const size_t rowBytes = img.RowBytes();
  int64_t x = 0, y = 0;  // y counts rows from the bottom
  size_t i = 0;
  auto put = [&](uint32_t index) {
    uint8_t* row = img.Bits.data() + static_cast<size_t>(y) * rowBytes;
    if (four) {
      uint8_t& b = row[x >> 1];
      b = (x & 1) ? static_cast<uint8_t>((b & 0xF0) | (index & 0x0F))
                  : static_cast<uint8_t>((b & 0x0F) | ((index & 0x0F) << 4));
    } else {
      row[x] = static_cast<uint8_t>(index);
    }
    ++x;
  };
  auto fits = [&](int64_t count) {
    if (y >= img.Height || x + count > img.Width) {
      error = "bitmap run-length data run past the row";
      return false;
    }
    return true;
  };
  while (true) {
    if (i >= n) {
      if (y >= img.Height && x == 0) return true;
      error = "bitmap run-length data is truncated";
      return false;
    }
    if (i + 2 > n) {
      error = "bitmap run-length data is truncated";
      return false;
    }
    uint32_t count = p[i], value = p[i + 1];
    i += 2;
    if (count > 0) {
      if (!fits(count)) return false;
      for (uint32_t k = 0; k < count; ++k) put(four ? ((k & 1) ? value : value >> 4) : value);
      continue;
    }
    if (value == 0) {  // end of line
      x = 0;
      ++y;
    } else if (value == 1) {  // end of bitmap
      return true;
    } else if (value == 2) {  // delta: move right and up
      if (i + 2 > n) {
        error = "bitmap run-length data is truncated";
        return false;
      }
      x += p[i];
      y += p[i + 1];
      i += 2;
      if (x > img.Width || y > img.Height || (y == img.Height && x > 0)) {
        error = "bitmap run-length delta leaves the image";
        return false;
      }
    } else {  // absolute block of 'value' pixels, padded to a whole word
      size_t bytes = four ? (value + 1) / 2 : value;
      size_t padded = (bytes + 1) & ~size_t{1};
      if (i + bytes > n) {
        error = "bitmap run-length data is truncated";
        return false;
      }
      if (!fits(value)) return false;
      for (uint32_t k = 0; k < value; ++k) {
        uint8_t b = p[i + (four ? k / 2 : k)];
        put(four ? ((k & 1) ? b : b >> 4) : b);
      }
      i += padded <= n - i ? padded : n - i;
    }
  }
}

// The fields of an info header that decoding needs.
struct InfoHeader {
  uint32_t size = 0;
  int64_t width = 0, height = 0;
  uint32_t bitCount = 0, compression = kBiRgb, colorsUsed = 0, imageSize = 0;
  // Bytes of a palette entry: 3 after the short (12-byte) header, else 4.
  size_t entrySize = 4;
};

// Reads the info header at data[0..size) and checks its size, bit count and dimensions; img
// takes the bit count, the dimensions and the row order.
bool ReadInfoHeader(const uint8_t* data, size_t size, InfoHeader& h, TBmpImage& img,
                    std::string& error, int64_t maxPixels) {
  if (size < 4) {
    error = "bitmap header is truncated";
    return false;
  }
  h.size = Le32(data);
  if (h.size != 12 && h.size != 40 && h.size != 52 && h.size != 56 && h.size != 108 &&
      h.size != 124) {
    error = "bitmap header has an unknown size " + std::to_string(h.size);
    return false;
  }
  if (size < h.size) {
    error = "bitmap header is truncated";
    return false;
  }
  if (h.size == 12) {
    h.width = Le16(data + 4);
    h.height = Le16(data + 6);
    h.bitCount = Le16(data + 10);
    h.entrySize = 3;
  } else {
    h.width = static_cast<int32_t>(Le32(data + 4));
    h.height = static_cast<int32_t>(Le32(data + 8));
    h.bitCount = Le16(data + 14);
    h.compression = Le32(data + 16);
    h.imageSize = Le32(data + 20);
    h.colorsUsed = Le32(data + 32);
  }
  if (!ValidBitCount(h.bitCount) || (h.size == 12 && (h.bitCount == 16 || h.bitCount == 32))) {
    error = "bitmap has an unsupported bit count " + std::to_string(h.bitCount);
    return false;
  }
  img.BitCount = static_cast<uint16_t>(h.bitCount);
  int64_t height = h.height;
  if (height < 0) {
    img.TopDown = true;
    height = -height;
  }
  if (SizeError(h.width, height, error, maxPixels)) return false;
  img.Width = static_cast<int32_t>(h.width);
  img.Height = static_cast<int32_t>(height);
  return true;
}

bool IsRle(const InfoHeader& h) {
  return h.compression == kBiRle8 || h.compression == kBiRle4;
}

// Whether the compression is one the decoder knows and fits the bit count and row order.
bool CheckCompression(const InfoHeader& h, const TBmpImage& img, std::string& error) {
  if (h.compression == kBiRle8 && h.bitCount != 8) {
    error = "bitmap RLE8 compression needs 8 bits per pixel";
    return false;
  }
  if (h.compression == kBiRle4 && h.bitCount != 4) {
    error = "bitmap RLE4 compression needs 4 bits per pixel";
    return false;
  }
  if (h.compression == kBiBitFields && h.bitCount != 16 && h.bitCount != 32) {
    error = "bitmap bit fields need 16 or 32 bits per pixel";
    return false;
  }
  if (h.compression > kBiBitFields) {
    error = "bitmap compression " + std::to_string(h.compression) + " is not supported";
    return false;
  }
  if (IsRle(h) && img.TopDown) {
    error = "bitmap with run-length data cannot be top-down";
    return false;
  }
  return true;
}

// The colour masks: the default ones, or with bit fields those of the longer headers or of the
// 12 bytes after the header (pos moves past them).
bool ReadMasks(const uint8_t* data, size_t size, const InfoHeader& h, size_t& pos, TBmpImage& img,
               std::string& error) {
  DefaultMasks(img);
  if (h.compression != kBiBitFields) return true;
  const uint8_t* m;
  if (h.size >= 52) {
    m = data + 40;  // the masks are part of the longer headers
  } else {
    if (size - pos < 12) {
      error = "bitmap masks are truncated";
      return false;
    }
    m = data + pos;
    pos += 12;
  }
  img.RedMask = Le32(m), img.GreenMask = Le32(m + 4), img.BlueMask = Le32(m + 8);
  img.BitFields = true;
  if (!MaskUsable(img.RedMask, img.BitCount) || !MaskUsable(img.GreenMask, img.BitCount) ||
      !MaskUsable(img.BlueMask, img.BitCount)) {
    error = "bitmap has an unusable bit-field mask";
    return false;
  }
  return true;
}

// The palette at pos (pos moves past it): the colours the header counts, or all of a bit count
// up to 8.
bool ReadPalette(const uint8_t* data, size_t size, const InfoHeader& h, size_t& pos,
                 TBmpImage& img, std::string& error) {
  size_t entries = h.colorsUsed;
  if (entries == 0 && h.bitCount <= 8) entries = size_t{1} << h.bitCount;
  if (entries > 256) {
    error = "bitmap palette has too many colours (" + std::to_string(h.colorsUsed) + ")";
    return false;
  }
  if ((size - pos) / h.entrySize < entries) {
    error = "bitmap palette is truncated";
    return false;
  }
  img.Palette.resize(entries);
  for (size_t k = 0; k < entries; ++k, pos += h.entrySize) {
    const uint8_t* e = data + pos;
    img.Palette[k] = h.entrySize == 4 ? Le32(e) : (uint32_t{e[0]} | (e[1] << 8) | (e[2] << 16));
  }
  return true;
}

// The rows at data[pixelOffset..size), run-length coded or plain.
bool ReadRows(const uint8_t* data, size_t size, const InfoHeader& h, size_t pixelOffset,
              TBmpImage& img, std::string& error) {
  const size_t rowBytes = img.RowBytes();
  const size_t total = rowBytes * static_cast<size_t>(img.Height);
  const uint8_t* src = data + pixelOffset;
  const size_t avail = size - pixelOffset;
  if (IsRle(h)) {
    img.Bits.assign(total, 0);
    size_t n = (h.imageSize != 0 && h.imageSize < avail) ? h.imageSize : avail;
    return DecodeRle(src, n, h.compression == kBiRle4, img, error);
  }
  if (avail < total) {
    error = "bitmap pixel data is truncated";
    return false;
  }
  img.Bits.resize(total);
  for (int32_t r = 0; r < img.Height; ++r) {
    // Stored top-down: the file's first row is the image's top row, the last one of Bits.
    int32_t target = img.TopDown ? img.Height - 1 - r : r;
    std::memcpy(img.Bits.data() + static_cast<size_t>(target) * rowBytes, src + r * rowBytes,
                rowBytes);
  }
  return true;
}

// Decodes info header, masks, palette and rows found at data[0..size). pixelOffset is the offset
// of the rows from data, or 0 when they follow the palette.
bool DecodeInfo(const uint8_t* data, size_t size, size_t pixelOffset, TBmpImage& img,
                std::string& error, int64_t maxPixels = kBmpMaxPixels) {
  img = TBmpImage{};
  InfoHeader h;
  if (!ReadInfoHeader(data, size, h, img, error, maxPixels) || !CheckCompression(h, img, error))
    return false;
  size_t pos = h.size;
  if (!ReadMasks(data, size, h, pos, img, error) || !ReadPalette(data, size, h, pos, img, error))
    return false;
  if (pixelOffset == 0) pixelOffset = pos;
  if (pixelOffset < pos) {
    error = "bitmap pixel offset points into the header";
    return false;
  }
  if (pixelOffset > size) {
    error = "bitmap pixel offset lies past the end of the data";
    return false;
  }
  return ReadRows(data, size, h, pixelOffset, img, error);
}

}  // namespace

size_t TBmpImage::RowBytes() const {
  return ((static_cast<size_t>(BitCount) * static_cast<size_t>(Width) + 31) / 32) * 4;
}

uint8_t* TBmpImage::Row(int32_t y) {
  return Bits.data() + static_cast<size_t>(Height - 1 - y) * RowBytes();
}

const uint8_t* TBmpImage::Row(int32_t y) const {
  return Bits.data() + static_cast<size_t>(Height - 1 - y) * RowBytes();
}

uint32_t TBmpImage::RawPixel(int32_t x, int32_t y) const {
  if (x < 0 || y < 0 || x >= Width || y >= Height || Bits.empty()) return 0;
  const uint8_t* row = Row(y);
  switch (BitCount) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4: return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F;
    case 8: return row[x];
    case 16: return Le16(row + x * 2);
    case 24: {
      const uint8_t* p = row + static_cast<size_t>(x) * 3;
      return uint32_t{p[2]} | (uint32_t{p[1]} << 8) | (uint32_t{p[0]} << 16);
    }
    case 32: return Le32(row + static_cast<size_t>(x) * 4);
    default: return 0;
  }
}

uint32_t TBmpImage::Color(int32_t x, int32_t y) const {
  if (x < 0 || y < 0 || x >= Width || y >= Height || Bits.empty()) return 0;
  uint32_t raw = RawPixel(x, y);
  if (BitCount <= 8) return raw < Palette.size() ? Palette[raw] & 0xFFFFFF : 0;
  if (BitCount == 24) {
    // raw is red in the low byte; swap to 0x00RRGGBB.
    return ((raw & 0xFF) << 16) | (raw & 0xFF00) | ((raw >> 16) & 0xFF);
  }
  return (Channel(raw, RedMask) << 16) | (Channel(raw, GreenMask) << 8) | Channel(raw, BlueMask);
}

void TBmpImage::ToRgb(std::vector<uint32_t>& out) const {
  out.resize(static_cast<size_t>(Width) * static_cast<size_t>(Height));
  size_t k = 0;
  for (int32_t y = 0; y < Height; ++y)
    for (int32_t x = 0; x < Width; ++x) out[k++] = Color(x, y);
}

bool TBmpImage::Create(int32_t width, int32_t height, uint16_t bitCount, std::string& error) {
  if (!ValidBitCount(bitCount)) {
    error = "bitmap has an unsupported bit count " + std::to_string(bitCount);
    return false;
  }
  if (SizeError(width, height, error)) return false;
  *this = TBmpImage{};
  Width = width;
  Height = height;
  BitCount = bitCount;
  DefaultMasks(*this);
  if (bitCount <= 8) Palette.assign(size_t{1} << bitCount, 0);
  Bits.assign(RowBytes() * static_cast<size_t>(height), 0);
  return true;
}

bool DecodeBmp(const uint8_t* data, size_t size, TBmpImage& out, std::string& error,
               int64_t maxPixels) {
  if (size < 14 + 4) {
    error = "bitmap file header is truncated";
    return false;
  }
  if (data[0] != 'B' || data[1] != 'M') {
    error = "not a bitmap file (no BM signature)";
    return false;
  }
  uint32_t offset = Le32(data + 10);
  if (offset != 0 && offset < 14) {
    error = "bitmap pixel offset points into the header";
    return false;
  }
  if (offset > size) {
    error = "bitmap pixel offset lies past the end of the data";
    return false;
  }
  return DecodeInfo(data + 14, size - 14, offset == 0 ? 0 : offset - 14, out, error, maxPixels);
}

bool DecodeBmp(const std::string& bytes, TBmpImage& out, std::string& error, int64_t maxPixels) {
  return DecodeBmp(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), out, error,
                   maxPixels);
}

bool DecodePackedDib(const uint8_t* data, size_t size, TBmpImage& out, std::string& error) {
  return DecodeInfo(data, size, 0, out, error);
}

std::string EncodeBmp(const TBmpImage& image) {
  const bool masks = image.BitFields && (image.BitCount == 16 || image.BitCount == 32);
  const size_t rowBytes = image.RowBytes();
  const size_t bitsSize = rowBytes * static_cast<size_t>(image.Height);
  const size_t offset = 14 + 40 + (masks ? 12 : 0) + image.Palette.size() * 4;
  std::string s;
  s.reserve(offset + bitsSize);
  s += "BM";
  Put32(s, static_cast<uint32_t>(offset + bitsSize));
  Put32(s, 0);
  Put32(s, static_cast<uint32_t>(offset));
  Put32(s, 40);
  Put32(s, static_cast<uint32_t>(image.Width));
  Put32(s, static_cast<uint32_t>(image.Height));
  Put16(s, 1);
  Put16(s, image.BitCount);
  Put32(s, masks ? kBiBitFields : kBiRgb);
  Put32(s, static_cast<uint32_t>(bitsSize));
  Put32(s, 2835);  // 72 dots per inch
  Put32(s, 2835);
  Put32(s, static_cast<uint32_t>(image.Palette.size()));
  Put32(s, 0);
  if (masks) {
    Put32(s, image.RedMask);
    Put32(s, image.GreenMask);
    Put32(s, image.BlueMask);
  }
  for (uint32_t entry : image.Palette) Put32(s, entry);
  const size_t have = image.Bits.size() < bitsSize ? image.Bits.size() : bitsSize;
  s.append(reinterpret_cast<const char*>(image.Bits.data()), have);
  s.append(bitsSize - have, '\0');
  return s;
}
