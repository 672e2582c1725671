// Display set-up and the error log.
#include "display/DisplayDevice.h"

#include <cerrno>
#include <cstdio>

#include "assets/FileUtils.h"
#include "platform/System.h"

bool CreateDisplay(std::unique_ptr<Display>& out, System& system, uint32_t freeVideoKB,
                   int32_t width, int32_t bitsPerPixel, int32_t height) {
  out = std::make_unique<Display>(system, freeVideoKB);
  return out->SetDisplayMode(width, bitsPerPixel, height);
}

bool CreateFlipChain(Display& display, SurfacePtr& primary, SurfacePtr& backBuffer) {
  if (!display.CreateFlipChain()) return false;
  primary = display.Primary();
  backBuffer = display.BackBuffer();
  return primary && backBuffer;
}

void QueryVideoMemory(const Display& display, uint32_t& totalKB, uint32_t& freeKB) {
  uint64_t total = 0, free = 0;
  display.QueryVideoMemory(total, free);
  totalKB = static_cast<uint32_t>(total >> 10);
  freeKB = static_cast<uint32_t>(free >> 10);
}

bool LogError(const std::string& text) {
  FILE* f = std::fopen(WritableFileName("err.txt").c_str(), "ab");
  if (!f) return false;
  const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size() &&
                       std::fwrite("\r\n", 1, 2, f) == 2;
  const int error = errno;
  if (std::fclose(f) != 0) return false;
  errno = error;
  return written;
}
