// Fuzzes the ".ccg" parser: any bytes must load without reading out of bounds, and what loaded
// must write back as records that load to the same entries.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "assets/Collections.h"
#include "assets/FileUtils.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool quiet = [] {
    SetAssetLogHandler([](const std::string&) {});
    return true;
  }();
  (void)quiet;
  TGraphCollection g;
  g.LoadFromBytes(std::string(reinterpret_cast<const char*>(data), size));
  std::string image;
  for (int32_t i = 0; i < g.Count(); ++i) {
    if (!g.GetGraphic(i) || g.GetGraphic(i)->Width() < 0 || g.GetGraphic(i)->Height() < 0) abort();
    image += TGraphCollection::FormatRecord(g.GetKind(i), g.GetTag(i), g.GetGraphicName(i),
                                            g.GetGraphicData(i));
  }
  int32_t w, h;
  g.GetMaxSize(w, h);
  TGraphCollection again;
  again.LoadFromBytes(image);
  if (again.Count() != g.Count()) abort();
  for (int32_t i = 0; i < g.Count(); ++i)
    if (again.Strings(i) != g.Strings(i)) abort();
  return 0;
}
