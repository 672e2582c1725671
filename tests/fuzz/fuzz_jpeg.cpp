// JPEG files of any content: decoded (or refused with a reason) and drawn.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "image/Picture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string error;
  auto g = LoadGraphic(gkJpeg, std::string(reinterpret_cast<const char*>(data), size), error);
  if (!g) {
    if (error.empty()) abort();
    return 0;
  }
  if (g->Width() <= 0 || g->Height() <= 0) abort();
  Surface target(32, 32);
  g->Draw(target, 0, 0);
  return 0;
}
