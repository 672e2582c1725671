// Fuzz target: any bytes as a level text file, linted. Every finding names a line of the file, and
// parsing with a report reads the level exactly as parsing without one.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "authoring/AuthorTools.h"
#include "game/GameUnit.h"
#include "gameplay/LevelReport.h"
#include "gameplay/ScenarioCompiler.h"
#include "base/Random.h"
#include "platform/System.h"

namespace {

System& Sys() {
  static std::unique_ptr<System> system = System::Create(true, false);
  return *system;
}

void Check(bool ok) {
  if (!ok) std::abort();
}

class Listener : public TLevelReport {
 public:
  void KeyRead(const std::string&, int32_t) override {}
  void ValueChanged(int32_t, const std::string&) override {}
  void FormatError(int32_t, const std::string&) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TLevelLint lint(Sys());
  static TGame plain(Sys()), reported(Sys());
  const std::string text(reinterpret_cast<const char*>(data), size);
  const size_t lines = TextLines(text).size();
  for (const TLintFinding& f : lint.CheckLevelFile(text))
    Check(f.line >= 1 && size_t(f.line) <= std::max<size_t>(lines, 1) && !f.message.empty());

  const std::string stored = CompileLevelText(text);
  Listener listener;
  GameRandom().Seed(size);
  const bool a = plain.ParseLevel(stored);
  GameRandom().Seed(size);
  const bool b = reported.ParseLevel(stored, &listener);
  Check(a == b && plain.LevelName == reported.LevelName &&
        plain.BackgroundIndex == reported.BackgroundIndex && plain.NightOn == reported.NightOn &&
        plain.TimeCounter == reported.TimeCounter);
  for (int i = 1; i <= kTargetSlots; ++i) {
    const TTargetRec &p = plain.Targets[i], &r = reported.Targets[i];
    Check(p.VISIBLE == r.VISIBLE && p.NEEDHIT == r.NEEDHIT && p.X == r.X && p.Y == r.Y &&
          p.TYPE == r.TYPE && p.PICTUREINDEX == r.PICTUREINDEX && p.GOTYPE == r.GOTYPE);
    for (int k = 0; k < kPathPoints; ++k)
      Check(p.COORDARRAY[k].x == r.COORDARRAY[k].x && p.COORDARRAY[k].y == r.COORDARRAY[k].y &&
            p.COORDARRAY[k].n == r.COORDARRAY[k].n);
  }
  for (int i = 1; i <= kMagnetSlots; ++i)
    Check(plain.Magnets[i].VISIBLE == reported.Magnets[i].VISIBLE &&
          plain.Magnets[i].X == reported.Magnets[i].X &&
          plain.Magnets[i].SIZE == reported.Magnets[i].SIZE);
  return 0;
}
