// Windows and enhanced metafiles of any content: drawn in their frame, or refused with a reason,
// and never taking more than the metafile limit of pixels.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "image/Picture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string error;
  auto g = LoadGraphic(gkMetafile, std::string(reinterpret_cast<const char*>(data), size), error);
  if (!g) {
    if (error.empty()) abort();
    return 0;
  }
  if (g->Width() <= 0 || g->Height() <= 0 || int64_t{g->Width()} * g->Height() > kMaxMetafilePixels)
    abort();
  Surface target(32, 32);
  g->Draw(target, 0, 0);
  return 0;
}
