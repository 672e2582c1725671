// Loading pictures by kind, and drawing decoded pictures onto surfaces.
#include "image/Picture.h"

#include <algorithm>

namespace {

// The part of a w x h picture at (x, y) that falls on the target: source and target columns and
// rows. False when nothing does.
struct TClip {
  int32_t srcX, srcY, dstX, dstY, w, h;
};

bool ClipTo(const Surface& target, int32_t x, int32_t y, int32_t w, int32_t h, TClip& c) {
  int64_t left = std::max<int64_t>(x, 0), top = std::max<int64_t>(y, 0);
  int64_t right = std::min<int64_t>(int64_t{x} + w, target.Width());
  int64_t bottom = std::min<int64_t>(int64_t{y} + h, target.Height());
  if (left >= right || top >= bottom) return false;
  c.dstX = static_cast<int32_t>(left);
  c.dstY = static_cast<int32_t>(top);
  c.srcX = static_cast<int32_t>(left - x);
  c.srcY = static_cast<int32_t>(top - y);
  c.w = static_cast<int32_t>(right - left);
  c.h = static_cast<int32_t>(bottom - top);
  return true;
}

}  // namespace

void TRasterGraphic::Draw(Surface& target, int32_t x, int32_t y) const {
  TClip c;
  if (!ClipTo(target, x, y, width_, height_, c)) return;
  for (int32_t r = 0; r < c.h; ++r) {
    const uint32_t* src = pixels_.data() + static_cast<size_t>(c.srcY + r) * width_ + c.srcX;
    std::copy(src, src + c.w, target.Row(c.dstY + r) + c.dstX);
  }
}

void TBitmapGraphic::Draw(Surface& target, int32_t x, int32_t y) const {
  TClip c;
  if (!ClipTo(target, x, y, image_.Width, image_.Height, c)) return;
  for (int32_t r = 0; r < c.h; ++r) {
    uint32_t* dst = target.Row(c.dstY + r) + c.dstX;
    for (int32_t k = 0; k < c.w; ++k) dst[k] = image_.Color(c.srcX + k, c.srcY + r);
  }
}

std::unique_ptr<TGraphic> LoadBitmapGraphic(const std::string& bytes, std::string& error,
                                            int64_t maxPixels) {
  TBmpImage image;
  if (!DecodeBmp(bytes, image, error, maxPixels)) return nullptr;
  return std::make_unique<TBitmapGraphic>(std::move(image));
}

std::unique_ptr<TGraphic> LoadGraphic(uint8_t kind, const std::string& bytes, std::string& error,
                                      int64_t maxPixels) {
  switch (kind) {
    case gkMetafile:
      return LoadMetafileGraphic(bytes, error, std::min(maxPixels, kMaxMetafilePixels));
    case gkBitmap: return LoadBitmapGraphic(bytes, error, maxPixels);
    case gkJpeg: return LoadJpegGraphic(bytes, error, maxPixels);
    default: error = "unknown picture kind " + std::to_string(kind); return nullptr;
  }
}
