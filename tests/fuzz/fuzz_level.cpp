// Fuzz target: any bytes as a level text, parsed on the game object. The first byte picks the
// difficulty. Every value ends inside its range.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "game/GameUnit.h"
#include "platform/System.h"

namespace {

TGame& Game() {
  static std::unique_ptr<System> system = System::Create(true, false);
  static TGame game(*system);
  return game;
}

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  TGame& g = Game();
  g.Difficulty = data[0] % 3;
  g.LoadFailure = 0;
  const bool ok = g.ParseLevel(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
  Check(ok == (g.LoadFailure == 0));
  Check(g.LevelName.size() <= 128);
  Check(g.BackgroundIndex >= 0 && g.BackgroundIndex < g.BackgroundCount());
  Check(g.BackgroundType <= 4);
  for (int i = 1; i <= kTargetSlots; ++i) {
    const TTargetRec& t = g.Targets[i];
    Check(t.VISIBLE <= 1 && t.NEEDHIT <= 1 && t.ISBONUS <= 3 && t.BONUSNUMBER <= 8);
    Check(t.TYPE <= 7 && t.SIZE <= 2 && t.GOTYPE <= 2 && t.PathIndex == -1);
    Check(t.PICTUREINDEX >= 0 && t.PICTUREINDEX < g.TargetPictureCount());
    if (g.Difficulty == 1 && ok) Check(t.SIZE == 0);
    if (g.Difficulty == 2 && ok) Check(t.SIZE == 2);
  }
  for (int i = 1; i <= kMagnetSlots; ++i)
    Check(g.Magnets[i].VISIBLE <= 1 && g.Magnets[i].SIZE <= 2);
  return 0;
}
