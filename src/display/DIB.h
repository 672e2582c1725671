// Device-independent images: pixels kept in their own bit count (1, 4, 8, 16, 24 or 32) with a
// palette or channel masks, so that raw pixel values can be read back one by one (the font builder
// tests glyph pixels this way). Reads and writes the Windows bitmap format.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "assets/FileUtils.h"
#include "image/Bmp.h"
#include "image/Picture.h"
#include "platform/Surface.h"

class TMemoryStream;

// A TDIB copy shares its image with the original; the first change makes a private copy.
class TDIB : public TGraphic {
 public:
  TDIB();  // the empty image: 0 x 0, bit count 0
  TDIB(const TDIB& other) = default;
  TDIB& operator=(const TDIB& other) = default;

  int32_t Width() const override { return image_->Width; }
  int32_t Height() const override { return image_->Height; }
  bool Empty() const { return image_->Width <= 0 || image_->Height <= 0; }
  // 1, 4, 8, 16, 24 or 32; 0 for the empty image.
  int32_t BitCount() const { return image_->BitCount; }
  // The channel masks with their counts and shifts (all zero for 8 bits or fewer).
  TPixelFormat PixelFormat() const;
  // Palette entry i in RGBQUAD order (blue lowest); 0 past the image's colour table.
  uint32_t PaletteEntry(int32_t index) const;
  void SetPaletteEntry(int32_t index, uint32_t rgbQuad);
  // The image as the bitmap reader and writer keep it (rows bottom-up).
  const TBmpImage& Image() const { return *image_; }

  // Takes the picture of another graphic. From a TDIB: shares its image. From a bitmap: the same
  // size, bit count and palette, masks 5-5-5 or 5-6-5 at 16 bits (the bitmap's own when they are
  // one of these) and 8-8-8 at 32 bits, with the bitmap's pixels. From any other graphic: a 24-bit
  // image of its size, black, with the graphic drawn at (0, 0). From null: the empty image.
  void Assign(const TGraphic* graphic);
  void Assign(const TGraphic& graphic) { Assign(&graphic); }

  // A new black image. Fails, keeping the old image, with "Bitcount in invalid (N)" for an
  // unsupported bit count, "PixelFormat in invalid" for masks that do not fit it (16 bits: only
  // 5-5-5 and 5-6-5; 24 bits: only 8-8-8; 32 bits: three disjoint runs of bits) and "DIB cannot be
  // made" for a size beyond the bitmap limits. A width or height of 0 or less makes the empty
  // image. Masks of 0 take the default format of the bit count.
  bool Create(int32_t width, int32_t height, int32_t bitCount, uint32_t redMask = 0,
              uint32_t greenMask = 0, uint32_t blueMask = 0);

  // The raw value at (x, y), y = 0 the top row; 0 outside the image. 1 and 4 bits: the index (the
  // leftmost pixel in the highest bits of a byte); 8: the byte; 16: the word; 24: the stored bytes
  // blue, green, red as red + green x 256 + blue x 65536; 32: the stored word.
  uint32_t Pixels(int32_t x, int32_t y) const;
  // Writes a raw value (as Pixels reads it); nothing outside the image.
  void SetPixels(int32_t x, int32_t y, uint32_t value);
  // The colour at (x, y) as 0x00RRGGBB; 0 outside the image.
  uint32_t Colors(int32_t x, int32_t y) const;
  // Paints (x, y) with the colour 0x00RRGGBB: the nearest palette entry at 8 bits or fewer, the
  // masks' precision otherwise. Nothing outside the image.
  void SetColors(int32_t x, int32_t y, uint32_t color);

  // Drawing on the image: a rectangle of colour, and a graphic at (x, y), both cut to the image.
  void FillRect(const TRect& rect, uint32_t color);
  void DrawGraphic(const TGraphic& graphic, int32_t x, int32_t y);

  // Draws the image's colours with the top-left corner at (x, y), cut to the target.
  void Draw(Surface& target, int32_t x, int32_t y) const override;

  // Reads a bitmap file from the stream's position (to its end). On malformed data returns false
  // with LastError "DIB is invalid" and keeps the old image.
  bool LoadFromStream(TMemoryStream& stream);
  bool LoadFromBytes(const std::string& bytes);
  // Writes the image as a bitmap file at the stream's position (40-byte header, the masks after it
  // when the image has bit fields, the palette, the rows). The empty image writes nothing.
  void SaveToStream(TMemoryStream& stream) const;
  std::string SaveToBytes() const;

  // Why the last failing call failed.
  const std::string& LastError() const { return error_; }

 private:
  TBmpImage& Mutable();

  std::shared_ptr<TBmpImage> image_;
  std::string error_;
};
