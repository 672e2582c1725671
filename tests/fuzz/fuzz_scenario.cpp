// Fuzz target: any bytes as a scenario file. The reader either refuses them or returns at most 100
// levels that lie inside the body.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "gameplay/ScenarioFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string file(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> levels;
  if (!SplitScenario(file, levels)) {
    if (!levels.empty()) std::abort();
    return 0;
  }
  size_t total = 0;
  for (const std::string& text : levels) total += text.size();
  if (levels.size() > size_t(kMaxScenarioLevels) || total > size - kScenarioHeaderSize)
    std::abort();
  // What the compiler writes reads back the same.
  std::vector<std::string> again;
  if (!SplitScenario(JoinScenario(levels), again) || again != levels) std::abort();
  return 0;
}
