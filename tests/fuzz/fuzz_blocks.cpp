// Fuzzes the block collection loader: any bytes must load without reading out of bounds; a load
// that succeeds accounts for every byte (a cut block is the rest of the file), and what was read
// saves and reloads unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "assets/Collections.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  TMemoryBlocksCollection b;
  const bool ok = b.LoadFromBytes(bytes);
  const std::string image = b.SaveToBytes();
  if (ok ? image.size() != bytes.size() : image.size() > bytes.size()) abort();
  for (int32_t i = 0; i < b.Count(); ++i) (void)b.IndexOf(b.Strings(i));
  TMemoryBlocksCollection again;
  if (!again.LoadFromBytes(image) || again.SaveToBytes() != image) abort();
  return 0;
}
