// Fuzzes loading a stored sprite sheet: any bytes must be taken or refused without reading out of
// bounds; a sheet that was taken draws every slot clipped, saves, and reloads to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "assets/MemoryStream.h"
#include "display/SpriteSurface.h"
#include "platform/Display.h"
#include "platform/System.h"

namespace {
struct Fixture {
  std::unique_ptr<System> system = System::Create(true, false);
  Display display{*system, 64 * 1024};
  Surface screen{800, 600};
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Fixture f;
  TDXBaseSurface sheet;
  sheet.SystemMemory = size > 0 && (data[size - 1] & 1);
  TMemoryStream stream(std::string(reinterpret_cast<const char*>(data), size));
  const bool ok = sheet.LoadFromStream(f.display, stream);
  if (ok != Succeeded(sheet.LastResult)) abort();
  if (!ok) return 0;
  if (stream.Size() != size_t(sheet.HeaderSize() + sheet.PixelBytes)) abort();
  sheet.Draw(f.screen, 400, 300, 0, daCenter, daCenter);  // with the block's own clip settings
  sheet.ClipEnabled = true;
  sheet.ClipRect = {0, 0, 800, 600};
  for (int32_t i = 0; i < sheet.Capacity; ++i) {
    sheet.Draw(f.screen, 790, 595, i, daCenter, daCenter);
    sheet.DrawShadedRotated(f.display, f.screen, i, 5, 5, 450, 0.5f);
  }
  TMemoryStream saved;
  sheet.SaveToStream(saved);
  TDXBaseSurface again;
  if (!again.LoadFromStream(f.display, saved)) abort();
  TMemoryStream resaved;
  again.SaveToStream(resaved);
  if (resaved.Bytes() != saved.Bytes()) abort();
  return 0;
}
