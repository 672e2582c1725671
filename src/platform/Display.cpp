// The display's flip chain, surface placement in the simulated video memory, and surface loss.
#include "platform/Display.h"

#include <algorithm>

#include "platform/System.h"

bool VideoMemoryPool::Take(uint64_t bytes) {
  std::lock_guard lock(mutex_);
  if (bytes > free_) return false;
  free_ -= bytes;
  return true;
}

void VideoMemoryPool::Give(uint64_t bytes) {
  std::lock_guard lock(mutex_);
  free_ = std::min(total_, free_ + bytes);
}

uint64_t VideoMemoryPool::Free() const {
  std::lock_guard lock(mutex_);
  return free_;
}

Display::Display(System& system, uint32_t freeVideoKB)
    : system_(system), pool_(std::make_shared<VideoMemoryPool>(uint64_t(freeVideoKB) * 1024)) {}

Display::~Display() = default;

bool Display::SetDisplayMode(int32_t width, int32_t bitsPerPixel, int32_t height) {
  if (width != Width || height != Height || bitsPerPixel != BitsPerPixel) return false;
  return system_.OpenWindow(width, height);
}

bool Display::CreateFlipChain() {
  // The flip chain is not taken from video memory: the window's own buffers stand for it. The
  // frame is drawn and shown from one surface, so showing it copies nothing: every state draws
  // its whole frame before it is shown, and one that draws nothing shows the last frame again.
  back_ = SurfacePtr(new Surface(Width, Height, nullptr));
  primary_ = back_;
  std::lock_guard lock(mutex_);
  surfaces_.push_back(back_);
  return true;
}

HRESULT Display::CreateSurface(int32_t width, int32_t height, bool systemMemory, SurfacePtr& out) {
  out.reset();
  if (width <= 0 || height <= 0 || width > 16384 || height > 16384) return DDERR_INVALIDPARAMS;
  std::shared_ptr<VideoMemoryPool> pool;
  if (!systemMemory) {
    if (!pool_->Take(uint64_t(width) * height * 4)) return DDERR_OUTOFVIDEOMEMORY;
    pool = pool_;
  }
  out = SurfacePtr(new Surface(width, height, std::move(pool)));
  std::lock_guard lock(mutex_);
  std::erase_if(surfaces_, [](const std::weak_ptr<Surface>& w) { return w.expired(); });
  surfaces_.push_back(out);
  return DD_OK;
}

HRESULT Display::Flip() {
  if (!back_) return DDERR_GENERIC;
  if (back_->IsLost()) return DDERR_SURFACELOST;
  system_.Present(*back_);
  return DD_OK;
}

void Display::QueryVideoMemory(uint64_t& total, uint64_t& free) const {
  total = pool_->Total();
  free = pool_->Free();
}

void Display::LoseSurfaces() {
  std::lock_guard lock(mutex_);
  for (auto& w : surfaces_)
    if (auto s = w.lock()) s->Lose();
}
