// Decoded pictures of the three kinds a graphics collection holds: Windows metafile or enhanced
// metafile (kind 0), Windows bitmap file (kind 1) and JPEG file (kind 2). Each gives its size and
// draws itself at a point of a surface.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "image/Bmp.h"
#include "platform/Surface.h"

enum TGraphicKind : uint8_t { gkMetafile = 0, gkBitmap = 1, gkJpeg = 2 };

class TGraphic {
 public:
  virtual ~TGraphic() = default;
  virtual int32_t Width() const = 0;
  virtual int32_t Height() const = 0;
  // Draws the picture with its top-left corner at (x, y), cut to the surface.
  virtual void Draw(Surface& target, int32_t x, int32_t y) const = 0;
};

// Reads a picture of the kind from the bytes of its complete file. Returns null with a one-line
// reason in error when the data cannot be read (malformed, truncated, unsupported) or the
// picture would have more than maxPixels pixels (checked before its pixels are made).
std::unique_ptr<TGraphic> LoadGraphic(uint8_t kind, const std::string& bytes, std::string& error,
                                      int64_t maxPixels = kBmpMaxPixels);

// A picture held as pixels 0x00RRGGBB, top row first (JPEG and metafile pictures end as one).
class TRasterGraphic : public TGraphic {
 public:
  TRasterGraphic(int32_t width, int32_t height, std::vector<uint32_t> pixels)
      : width_(width), height_(height), pixels_(std::move(pixels)) {}
  int32_t Width() const override { return width_; }
  int32_t Height() const override { return height_; }
  void Draw(Surface& target, int32_t x, int32_t y) const override;
  const std::vector<uint32_t>& Pixels() const { return pixels_; }

 private:
  int32_t width_, height_;
  std::vector<uint32_t> pixels_;
};

// A bitmap picture: keeps the decoded file (bit count, palette, raw rows) for those that need
// more than its colours.
class TBitmapGraphic : public TGraphic {
 public:
  explicit TBitmapGraphic(TBmpImage image) : image_(std::move(image)) {}
  int32_t Width() const override { return image_.Width; }
  int32_t Height() const override { return image_.Height; }
  void Draw(Surface& target, int32_t x, int32_t y) const override;
  const TBmpImage& Image() const { return image_; }

 private:
  TBmpImage image_;
};

// The decoders of each kind (LoadGraphic picks one); null with a one-line reason on failure.
// Each refuses pictures of more than kBmpMaxSide a side or maxPixels pixels.
std::unique_ptr<TGraphic> LoadBitmapGraphic(const std::string& bytes, std::string& error,
                                            int64_t maxPixels = kBmpMaxPixels);
std::unique_ptr<TGraphic> LoadJpegGraphic(const std::string& bytes, std::string& error,
                                          int64_t maxPixels = kBmpMaxPixels);
// Windows metafile (placeable or plain) or enhanced metafile, drawn onto black in its own frame:
// the size comes from the frame at 96 pixels per inch, and what is drawn keeps its place in it.
// Rendering keeps two copies of the pixels, so it takes at most kMaxMetafilePixels.
constexpr int64_t kMaxMetafilePixels = int64_t{1} << 24;
std::unique_ptr<TGraphic> LoadMetafileGraphic(const std::string& bytes, std::string& error,
                                              int64_t maxPixels = kMaxMetafilePixels);
// The enhanced-metafile half of LoadMetafileGraphic, for data that starts with its header.
bool IsEnhancedMetafile(const std::string& bytes);
std::unique_ptr<TGraphic> LoadEnhancedMetafileGraphic(const std::string& bytes, std::string& error,
                                                      int64_t maxPixels);
