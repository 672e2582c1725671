// Device-independent images over the bitmap reader's image form, shared copy-on-write.
#include "display/DIB.h"

#include <algorithm>
#include <bit>
#include <vector>

#include "assets/MemoryStream.h"

namespace {

const std::shared_ptr<TBmpImage>& EmptyImage() {
  static const auto empty = std::make_shared<TBmpImage>();
  return empty;
}

// One run of set bits, or nothing.
bool SingleRun(uint32_t mask) {
  if (mask == 0) return false;
  const uint32_t low = mask >> std::countr_zero(mask);
  return (low & (low + 1)) == 0;
}

bool MasksFit(int32_t bitCount, uint32_t r, uint32_t g, uint32_t b) {
  switch (bitCount) {
    case 16: return b == 0x001F && ((r == 0x7C00 && g == 0x03E0) || (r == 0xF800 && g == 0x07E0));
    case 24: return r == 0xFF0000 && g == 0x00FF00 && b == 0x0000FF;
    case 32:
      return SingleRun(r) && SingleRun(g) && SingleRun(b) && (r & g) == 0 && (r & b) == 0 &&
             (g & b) == 0;
    default: return true;
  }
}

// An 8-bit channel value placed into a mask, keeping the mask's precision.
uint32_t PackChannel(uint32_t value8, uint32_t mask) {
  if (mask == 0) return 0;
  const int shift = std::countr_zero(mask);
  const int bits = std::popcount(mask);
  const uint32_t v = bits >= 8 ? value8 << (bits - 8) : value8 >> (8 - bits);
  return (v << shift) & mask;
}

void PutRaw(TBmpImage& img, int32_t x, int32_t y, uint32_t value) {
  uint8_t* row = img.Row(y);
  switch (img.BitCount) {
    case 1: {
      const uint8_t bit = uint8_t(0x80 >> (x & 7));
      row[x >> 3] = (value & 1) ? uint8_t(row[x >> 3] | bit) : uint8_t(row[x >> 3] & ~bit);
      break;
    }
    case 4: {
      uint8_t& b = row[x >> 1];
      b = (x & 1) ? uint8_t((b & 0xF0) | (value & 0x0F))
                  : uint8_t((b & 0x0F) | ((value & 0x0F) << 4));
      break;
    }
    case 8: row[x] = uint8_t(value); break;
    case 16:
      row[x * 2] = uint8_t(value);
      row[x * 2 + 1] = uint8_t(value >> 8);
      break;
    case 24: {
      uint8_t* p = row + size_t(x) * 3;
      p[0] = uint8_t(value >> 16);  // blue
      p[1] = uint8_t(value >> 8);   // green
      p[2] = uint8_t(value);        // red
      break;
    }
    case 32: {
      uint8_t* p = row + size_t(x) * 4;
      for (int i = 0; i < 4; ++i) p[i] = uint8_t(value >> (8 * i));
      break;
    }
    default: break;
  }
}

// The raw value that shows the colour 0x00RRGGBB best in this image.
uint32_t RawFor(const TBmpImage& img, uint32_t color) {
  const int32_t r = (color >> 16) & 0xFF, g = (color >> 8) & 0xFF, b = color & 0xFF;
  if (img.BitCount <= 8) {
    const size_t entries = std::min(img.Palette.size(), size_t{1} << img.BitCount);
    uint32_t best = 0;
    int32_t bestDistance = INT32_MAX;
    for (size_t i = 0; i < entries; ++i) {
      const uint32_t e = img.Palette[i];
      const int32_t dr = int32_t((e >> 16) & 0xFF) - r, dg = int32_t((e >> 8) & 0xFF) - g,
                    db = int32_t(e & 0xFF) - b;
      const int32_t d = dr * dr + dg * dg + db * db;
      if (d < bestDistance) bestDistance = d, best = uint32_t(i);
      if (d == 0) break;
    }
    return best;
  }
  if (img.BitCount == 24) return uint32_t(r) | (uint32_t(g) << 8) | (uint32_t(b) << 16);
  return PackChannel(uint32_t(r), img.RedMask) | PackChannel(uint32_t(g), img.GreenMask) |
         PackChannel(uint32_t(b), img.BlueMask);
}

bool InImage(const TBmpImage& img, int32_t x, int32_t y) {
  return x >= 0 && y >= 0 && x < img.Width && y < img.Height && !img.Bits.empty();
}

}  // namespace

TDIB::TDIB() : image_(EmptyImage()) {}

TBmpImage& TDIB::Mutable() {
  if (image_.use_count() > 1) image_ = std::make_shared<TBmpImage>(*image_);
  return *image_;
}

TPixelFormat TDIB::PixelFormat() const {
  if (image_->BitCount <= 8) return TPixelFormat{};
  return PixelFormatFromMasks(image_->RedMask, image_->GreenMask, image_->BlueMask);
}

uint32_t TDIB::PaletteEntry(int32_t index) const {
  if (index < 0 || size_t(index) >= image_->Palette.size()) return 0;
  return image_->Palette[size_t(index)];
}

void TDIB::SetPaletteEntry(int32_t index, uint32_t rgbQuad) {
  if (index < 0 || size_t(index) >= image_->Palette.size()) return;
  Mutable().Palette[size_t(index)] = rgbQuad;
}

bool TDIB::Create(int32_t width, int32_t height, int32_t bitCount, uint32_t redMask,
                  uint32_t greenMask, uint32_t blueMask) {
  if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 &&
      bitCount != 32) {
    error_ = "Bitcount in invalid (" + std::to_string(bitCount) + ")";
    return false;
  }
  const bool custom = redMask != 0 || greenMask != 0 || blueMask != 0;
  if (custom && !MasksFit(bitCount, redMask, greenMask, blueMask)) {
    error_ = "PixelFormat in invalid";
    return false;
  }
  if (width <= 0 || height <= 0) {
    image_ = EmptyImage();
    return true;
  }
  auto img = std::make_shared<TBmpImage>();
  std::string reason;
  if (!img->Create(width, height, uint16_t(bitCount), reason)) {
    error_ = "DIB cannot be made";
    return false;
  }
  if (custom && bitCount > 8) {
    img->BitFields =
        redMask != img->RedMask || greenMask != img->GreenMask || blueMask != img->BlueMask;
    img->RedMask = redMask, img->GreenMask = greenMask, img->BlueMask = blueMask;
  }
  image_ = std::move(img);
  return true;
}

void TDIB::Assign(const TGraphic* graphic) {
  if (graphic == nullptr || graphic->Width() <= 0 || graphic->Height() <= 0) {
    image_ = EmptyImage();
    return;
  }
  if (const auto* dib = dynamic_cast<const TDIB*>(graphic)) {
    image_ = dib->image_;
    return;
  }
  if (const auto* bitmap = dynamic_cast<const TBitmapGraphic*>(graphic)) {
    const TBmpImage& src = bitmap->Image();
    uint32_t r = 0, g = 0, b = 0;
    bool sameFormat = true;
    if (src.BitCount == 16) {
      r = src.RedMask, g = src.GreenMask, b = src.BlueMask;
      if (!MasksFit(16, r, g, b)) r = 0x7C00, g = 0x03E0, b = 0x001F, sameFormat = false;
    } else if (src.BitCount == 32) {
      r = 0xFF0000, g = 0x00FF00, b = 0x0000FF;
      sameFormat = src.RedMask == r && src.GreenMask == g && src.BlueMask == b;
    }
    if (!Create(src.Width, src.Height, src.BitCount, r, g, b)) {
      image_ = EmptyImage();
      return;
    }
    TBmpImage& img = Mutable();
    if (src.BitCount <= 8)
      for (size_t i = 0; i < img.Palette.size() && i < src.Palette.size(); ++i)
        img.Palette[i] = src.Palette[i];
    if (sameFormat && src.Bits.size() == img.Bits.size())
      img.Bits = src.Bits;
    else
      DrawGraphic(*graphic, 0, 0);
    return;
  }
  if (!Create(graphic->Width(), graphic->Height(), 24)) {
    image_ = EmptyImage();
    return;
  }
  DrawGraphic(*graphic, 0, 0);
}

uint32_t TDIB::Pixels(int32_t x, int32_t y) const {
  return image_->RawPixel(x, y);
}

void TDIB::SetPixels(int32_t x, int32_t y, uint32_t value) {
  if (!InImage(*image_, x, y)) return;
  PutRaw(Mutable(), x, y, value);
}

uint32_t TDIB::Colors(int32_t x, int32_t y) const {
  return image_->Color(x, y);
}

void TDIB::SetColors(int32_t x, int32_t y, uint32_t color) {
  if (!InImage(*image_, x, y)) return;
  TBmpImage& img = Mutable();
  PutRaw(img, x, y, RawFor(img, color));
}

void TDIB::FillRect(const TRect& rect, uint32_t color) {
  if (Empty()) return;
  const int32_t left = std::max(rect.Left, 0), top = std::max(rect.Top, 0);
  const int32_t right = std::min(rect.Right, Width()), bottom = std::min(rect.Bottom, Height());
  if (left >= right || top >= bottom) return;
  TBmpImage& img = Mutable();
  const uint32_t raw = RawFor(img, color);
  for (int32_t y = top; y < bottom; ++y)
    for (int32_t x = left; x < right; ++x) PutRaw(img, x, y, raw);
}

void TDIB::DrawGraphic(const TGraphic& graphic, int32_t x, int32_t y) {
  if (Empty() || &graphic == this) return;
  // The graphic draws into a copy of our colours; only the pixels it changed are written back,
  // so a palette image keeps the indices of everything the graphic left alone.
  Surface canvas(Width(), Height());
  std::vector<uint32_t> before;
  image_->ToRgb(before);
  std::copy(before.begin(), before.end(), canvas.Data());
  graphic.Draw(canvas, x, y);
  const uint32_t* after = canvas.Data();
  TBmpImage* img = nullptr;
  for (int32_t row = 0; row < Height(); ++row)
    for (int32_t col = 0; col < Width(); ++col) {
      const size_t k = size_t(row) * size_t(Width()) + size_t(col);
      const uint32_t c = after[k] & 0xFFFFFF;
      if (c == before[k]) continue;
      if (img == nullptr) img = &Mutable();
      PutRaw(*img, col, row, RawFor(*img, c));
    }
}

void TDIB::Draw(Surface& target, int32_t x, int32_t y) const {
  const TBmpImage& img = *image_;
  const int32_t x0 = std::max(x, 0), y0 = std::max(y, 0);
  const int64_t x1 = std::min<int64_t>(int64_t{x} + img.Width, target.Width());
  const int64_t y1 = std::min<int64_t>(int64_t{y} + img.Height, target.Height());
  for (int32_t ty = y0; ty < y1; ++ty) {
    uint32_t* dst = target.Row(ty);
    for (int32_t tx = x0; tx < x1; ++tx) dst[tx] = img.Color(tx - x, ty - y);
  }
}

bool TDIB::LoadFromBytes(const std::string& bytes) {
  auto img = std::make_shared<TBmpImage>();
  std::string reason;
  if (!DecodeBmp(bytes, *img, reason)) {
    error_ = "DIB is invalid";
    return false;
  }
  img->TopDown = false;  // kept bottom-up from here on, as it is written back
  image_ = std::move(img);
  return true;
}

bool TDIB::LoadFromStream(TMemoryStream& stream) {
  if (!LoadFromBytes(stream.Rest())) return false;
  stream.Seek(stream.Size());
  return true;
}

std::string TDIB::SaveToBytes() const {
  return Empty() ? std::string() : EncodeBmp(*image_);
}

void TDIB::SaveToStream(TMemoryStream& stream) const {
  stream.Write(SaveToBytes());
}
