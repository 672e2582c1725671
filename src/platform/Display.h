// The display: the flip chain (primary and back buffer), off-screen surfaces placed in a simulated
// video memory or in system memory, and the loss and restore of surfaces.
#pragma once
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/Surface.h"

class System;

// Video memory as the display reports it; surfaces placed in it count against it.
class VideoMemoryPool {
 public:
  explicit VideoMemoryPool(uint64_t totalBytes) : total_(totalBytes), free_(totalBytes) {}
  bool Take(uint64_t bytes);
  void Give(uint64_t bytes);
  uint64_t Total() const { return total_; }
  uint64_t Free() const;

 private:
  mutable std::mutex mutex_;
  uint64_t total_, free_;
};

class Display {
 public:
  static constexpr int32_t Width = 800;
  static constexpr int32_t Height = 600;
  static constexpr int32_t BitsPerPixel = 32;

  // freeVideoKB: the free video memory the display reports (all of it free at start).
  Display(System& system, uint32_t freeVideoKB);
  ~Display();

  // Opens the 800 x 600 x 32 mode; false when the window cannot be made.
  bool SetDisplayMode(int32_t width, int32_t bitsPerPixel, int32_t height);
  // Makes the flip chain: the back buffer, drawn into and shown as it is, and the primary surface,
  // which is the same surface (the frame last shown once the back buffer is flipped).
  bool CreateFlipChain();
  SurfacePtr Primary() const { return primary_; }
  SurfacePtr BackBuffer() const { return back_; }

  // An off-screen surface; in video memory unless systemMemory, failing with
  // DDERR_OUTOFVIDEOMEMORY when it does not fit. Safe to call from the loading thread.
  [[nodiscard]] HRESULT CreateSurface(int32_t width, int32_t height, bool systemMemory,
                                      SurfacePtr& out);

  // Shows the back buffer, without copying it; DDERR_SURFACELOST while the flip chain is lost.
  HRESULT Flip();
  // Total and free video memory in bytes.
  void QueryVideoMemory(uint64_t& total, uint64_t& free) const;

  // Every surface of the display loses its contents (the window lost its device, or a script).
  void LoseSurfaces();
  // The last frame shown by Flip (for screenshots, between a flip and the next drawing).
  const Surface& Shown() const { return *primary_; }

 private:
  System& system_;
  std::shared_ptr<VideoMemoryPool> pool_;
  SurfacePtr primary_, back_;
  mutable std::mutex mutex_;
  std::vector<std::weak_ptr<Surface>> surfaces_;
};
