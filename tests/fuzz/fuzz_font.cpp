// Stored font blocks of any content: a refused block leaves the font empty with a failure
// result; an accepted one measures, draws and runs its effects inside the target, and saves to a
// block that loads and saves again byte for byte.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "assets/MemoryStream.h"
#include "display/Letters.h"
#include "platform/Display.h"
#include "platform/System.h"

namespace {

Display& TheDisplay() {
  static std::unique_ptr<System> system = System::Create(true, false);
  static Display display(*system, 64 * 1024);
  return display;
}

// Every character once, with markup, spaces and line breaks between.
const std::string& AllCharacters() {
  static const std::string text = [] {
    std::string t = "A&1B &&C&9 &x\r\n";
    for (int c = 1; c < 256; ++c) t.push_back(char(c));
    return t;
  }();
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Display& display = TheDisplay();
  TLettersCollection font;
  TMemoryStream stream(reinterpret_cast<const char*>(data), size);
  if (!font.LoadFromStream(display, stream)) {
    if (!Failed(font.LastResult)) abort();
    for (int32_t v : font.GlyphIndex)
      if (v != -1) abort();
    return 0;
  }
  const std::string& text = AllCharacters();
  Surface target(64, 48);
  (void)font.TextWidth(text);
  (void)font.TextHeight(text, 3);
  font.DrawText(target, 32, 24, text, daCenter, daCenter, 2);
  font.StartBoom(text.substr(0, 12), 40, 0.5f, 0);
  for (int i = 0; i < 8; ++i) font.DrawBoom(target, -3, 40, TRect{-100, -100, 100, 100});
  font.StartJump(text, -15, 15, true);
  font.DrawJump(target, 0, 20);
  font.SetGoLine(text, 10, -200, 40);
  for (int i = 0; i < 3; ++i) font.DrawGoLine(target, 0, 0);

  TMemoryStream saved;
  font.SaveToStream(saved);
  if (saved.Size() != size) abort();
  TLettersCollection again;
  if (!again.LoadFromStream(display, saved)) abort();
  TMemoryStream resaved;
  again.SaveToStream(resaved);
  if (resaved.Bytes() != saved.Bytes()) abort();
  return 0;
}
