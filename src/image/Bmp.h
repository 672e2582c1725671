// Reading and writing the Windows bitmap format (a BMP file, or a packed DIB without its header).
//
// File layout, integers little-endian:
//   BITMAPFILEHEADER (14 bytes): "BM", file size (4), reserved (4), offset of the pixel rows (4)
//   info header: BITMAPCOREHEADER (12 bytes: size, width 2, height 2, planes 2, bit count 2) or
//     BITMAPINFOHEADER (40 bytes: size, width 4, height 4 (negative = rows top-down), planes 2,
//     bit count 2, compression 4, image size 4, resolution 2 x 4, colours used 4, important 4),
//     or a longer header (52, 56, 108 or 124 bytes) that starts like the 40-byte one and holds the
//     masks at offset 40
//   three DWORD masks (red, green, blue) after a 40-byte header with compression 3 (bit fields)
//   palette: 4-byte RGBQUAD entries (3-byte RGBTRIPLE after a core header)
//   pixel rows, each padded to a multiple of 4 bytes; run-length compressed for RLE8 (1) and
//     RLE4 (2)
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A decoded bitmap in the form a DIB section keeps it.
struct TBmpImage {
  int32_t Width = 0;
  int32_t Height = 0;     // always positive here
  bool TopDown = false;   // the file stored its rows top-down (negative height)
  uint16_t BitCount = 0;  // 1, 4, 8, 16, 24 or 32
  // The palette as read, in RGBQUAD order: each entry as the little-endian word of its four
  // bytes (blue, green, red, reserved), so entry & 0xFFFFFF is 0x00RRGGBB. Entries that a file
  // with 3-byte entries gives have reserved 0. May hold fewer than 2^BitCount entries; an index
  // past the end means black. Empty for most images of more than 8 bits.
  std::vector<uint32_t> Palette;
  // Channel masks of 16- and 32-bit pixels: those of the file when BitFields, otherwise the
  // defaults 5-5-5 (16 bits) and 8-8-8 (32 bits). For 24 bits: 0xFF0000, 0xFF00, 0xFF.
  uint32_t RedMask = 0, GreenMask = 0, BlueMask = 0;
  bool BitFields = false;  // compression was bit fields (3): written back with the masks
  // The pixel rows in the stored bit count, bottom-up (the bottom row first, as a DIB keeps
  // them), each RowBytes() long with the padding zeroed; RLE data is decompressed.
  std::vector<uint8_t> Bits;

  // ((BitCount x Width + 31) div 32) x 4.
  size_t RowBytes() const;
  // The bytes of row y, y = 0 being the top row. y must lie in [0, Height).
  uint8_t* Row(int32_t y);
  const uint8_t* Row(int32_t y) const;

  // The raw pixel value at (x, y), y = 0 the top row; 0 outside the image.
  // 1/4/8 bits: the index (leftmost pixel in the highest bits of a byte); 16: the word;
  // 24: the stored bytes blue, green, red as red + green x 256 + blue x 65536; 32: the word.
  uint32_t RawPixel(int32_t x, int32_t y) const;
  // The colour at (x, y) as 0x00RRGGBB (through the palette or the masks); 0 outside the image.
  uint32_t Color(int32_t x, int32_t y) const;
  // Writes all pixels as 0x00RRGGBB, top row first, Width per row, into out (resized).
  void ToRgb(std::vector<uint32_t>& out) const;

  // Makes a blank image (all bits 0) with the default masks and, for 8 bits or fewer, a black
  // palette of 2^bitCount entries. False with the reason when the size or bit count is not valid.
  bool Create(int32_t width, int32_t height, uint16_t bitCount, std::string& error);
};

// The largest image the reader accepts: each side and the pixel count (memory guard).
constexpr int32_t kBmpMaxSide = 16384;
constexpr int64_t kBmpMaxPixels = int64_t{1} << 26;

// Decodes a complete BMP file (with its 14-byte file header). On failure returns false with a
// one-line reason in error and leaves out in an unspecified state. Never reads past size bytes.
// An image of more than maxPixels pixels is refused before its rows are made.
bool DecodeBmp(const uint8_t* data, size_t size, TBmpImage& out, std::string& error,
               int64_t maxPixels = kBmpMaxPixels);
bool DecodeBmp(const std::string& bytes, TBmpImage& out, std::string& error,
               int64_t maxPixels = kBmpMaxPixels);
// Decodes a packed DIB: info header, masks, palette and rows with no file header (the rows
// follow the palette directly).
bool DecodePackedDib(const uint8_t* data, size_t size, TBmpImage& out, std::string& error);

// Encodes the image as a BMP file: BITMAPFILEHEADER, BITMAPINFOHEADER (40 bytes, bottom-up,
// compression 0, or 3 followed by the three masks when BitFields), the palette (its entries as
// they stand, colours used = their count) and the rows. The image must be consistent (as made by
// Create or DecodeBmp).
std::string EncodeBmp(const TBmpImage& image);
