// Decoded pictures of the three kinds a graphics collection holds: Windows metafile (kind 0),
// Windows bitmap file (kind 1) and JPEG file (kind 2). Each gives its size and draws itself at a
// point of a surface.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

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
// reason in error when the data cannot be read (malformed, truncated, unsupported).
std::unique_ptr<TGraphic> LoadGraphic(uint8_t kind, const std::string& bytes, std::string& error);
