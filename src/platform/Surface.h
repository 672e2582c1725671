// A surface: 32-bit pixels 0x00RRGGBB in ordinary memory, pitch = width x 4, shared by reference
// count. Surfaces made by a Display can be lost (contents dropped) and restored.
#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "base/Result.h"
#include "platform/LargeMemory.h"

// A Windows-style rectangle: right and bottom are exclusive.
struct TRect {
  int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
  int32_t Width() const { return Right - Left; }
  int32_t Height() const { return Bottom - Top; }
  bool operator==(const TRect&) const = default;
};

class VideoMemoryPool;

class Surface {
 public:
  // A free-standing surface in system memory (tests, tools, decoded pictures).
  Surface(int32_t width, int32_t height);
  ~Surface();
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;

  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  int32_t Pitch() const { return width_ * 4; }
  bool InVideoMemory() const { return pool_ != nullptr; }

  // Gives the pixels and the pitch in bytes. Every successful Lock must be followed by one Unlock.
  // Fails with DDERR_SURFACELOST while the surface is lost.
  [[nodiscard]] HRESULT Lock(uint32_t*& pixels, int32_t& pitch);
  HRESULT Unlock();

  // Colour fill of a rectangle (the whole surface when rect is null); the rectangle must lie
  // inside the surface.
  HRESULT Fill(const TRect* rect, uint32_t color);
  // Copies srcRect of src (all of it when null) to (x, y); with useSrcKey pixels inside the source
  // colour key are skipped. No clipping: a rectangle that does not fit gives DDERR_INVALIDRECT.
  HRESULT BltFast(int32_t x, int32_t y, Surface& src, const TRect* srcRect, bool useSrcKey);
  // BltFast with the source colour key, but a pixel inside the key is written as fill instead of
  // skipped: the picture a fill of the rectangle with fill and a keyed BltFast give, in one pass.
  // Without a key, a plain BltFast.
  HRESULT BltFastFilled(int32_t x, int32_t y, Surface& src, const TRect* srcRect, uint32_t fill);
  // Copies srcRect of src into dstRect, scaled nearest-neighbour when the sizes differ.
  HRESULT Blt(const TRect* dstRect, Surface& src, const TRect* srcRect, bool useSrcKey);

  // Source colour key in pixel values (0x00RRGGBB), low and high bounds included.
  void SetColorKey(uint32_t low, uint32_t high);
  void ClearColorKey() { hasKey_ = false; }
  bool HasColorKey() const { return hasKey_; }
  uint32_t ColorKeyLow() const { return keyLow_; }
  uint32_t ColorKeyHigh() const { return keyHigh_; }

  bool IsLost() const { return lost_.load(std::memory_order_relaxed); }
  // Drops the contents; operations answer DDERR_SURFACELOST until Restore.
  void Lose();
  // Makes the surface usable again; the contents are black until redrawn.
  HRESULT Restore();

  // Direct access for code that already holds a valid surface (the pixel routines, tests).
  uint32_t* Row(int32_t y) { return Data() + static_cast<size_t>(y) * width_; }
  const uint32_t* Row(int32_t y) const { return Data() + static_cast<size_t>(y) * width_; }
  uint32_t* Data() { return static_cast<uint32_t*>(pixels_.data()); }
  const uint32_t* Data() const { return static_cast<const uint32_t*>(pixels_.data()); }

 private:
  friend class Display;
  Surface(int32_t width, int32_t height, std::shared_ptr<VideoMemoryPool> pool);
  // The checks of a BltFast: s receives the source rectangle; DD_OK when the copy may go ahead.
  HRESULT CheckCopy(int32_t x, int32_t y, const Surface& src, const TRect* srcRect, TRect& s) const;

  int32_t width_, height_;
  // Black as it comes: a sheet filled from a file or a work surface not yet drawn on costs no pass
  // over its pixels here.
  LargeMemory pixels_;
  std::shared_ptr<VideoMemoryPool> pool_;
  std::atomic<bool> lost_{false};
  bool hasKey_ = false;
  uint32_t keyLow_ = 0, keyHigh_ = 0;
};

using SurfacePtr = std::shared_ptr<Surface>;
