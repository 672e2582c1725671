// Scenario files and the pieces of the level text format that need no game object.
#include "gameplay/ScenarioFile.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "base/Bytes.h"
#include "assets/Collections.h"
#include "base/TextCase.h"
#include "base/TextNumbers.h"
#include "base/Random.h"

bool SplitScenario(const std::string& file, std::vector<std::string>& levels) {
  levels.clear();
  if (file.size() < kScenarioHeaderSize) return false;
  const int32_t stored = ReadInt32At(file, 0);
  if (stored <= 0) return true;
  const int32_t count = std::min(stored, kMaxScenarioLevels);
  const int64_t bodySize = int64_t(file.size() - kScenarioHeaderSize);
  auto entry = [&](int32_t i) {
    return int64_t(ReadInt32At(file, kScenarioCountSize + 4 * (i - 1)));
  };
  std::vector<std::string> texts;
  texts.reserve(size_t(count));
  for (int32_t i = 1; i <= count; ++i) {
    const int64_t start = entry(i);
    // The last stored level runs to the end; a level cut off at 100 ends where the next begins.
    const int64_t end = i < stored ? entry(i + 1) : bodySize;
    if (start < 0 || end < start || end > bodySize) return false;
    texts.emplace_back(file, kScenarioHeaderSize + size_t(start), size_t(end - start));
  }
  levels = std::move(texts);
  return true;
}

std::string JoinScenario(const std::vector<std::string>& levels) {
  std::string table, body;
  for (const std::string& text : levels) {
    table += IntToBytes(int32_t(body.size()));
    body += text;
  }
  table.resize(kScenarioTableSize, '\0');
  std::string count = IntToBytes(int32_t(levels.size()));
  count.resize(kScenarioCountSize, '\0');
  return count + table + body;
}

void SplitLevelText(const std::string& text, TIndexCollection& keys) {
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t end = std::min(text.find('\r', pos), text.size());
    const std::string line = text.substr(pos, end - pos);
    const size_t eq = line.find('=');
    if (eq != std::string::npos) {
      std::string key = line.substr(0, eq);
      for (char& c : key)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
      keys.AddValue(key, line.substr(eq + 1));
    }
    pos = end + 1;
  }
}

void ParsePathPoints(std::string_view value, TPathPoint (&points)[kPathPoints],
                     const std::function<void(const std::string&)>& note) {
  size_t pos = 0;
  for (int p = 0; p < kPathPoints; ++p) {
    const size_t colon = std::min(value.find(':', pos), value.size());
    std::string_view point = value.substr(pos, colon - pos);
    if (note) {
      const size_t given =
          point.empty() ? 0 : size_t(std::count(point.begin(), point.end(), ',')) + 1;
      const std::string where = "point " + std::to_string(p);
      if (given < 3)
        note(where + " has " + std::to_string(given) +
             " of its 3 numbers x,y,n; the missing ones are 0");
      else if (given > 3)
        note(where + " has " + std::to_string(given) +
             " numbers; only the first 3 (x,y,n) are read");
    }
    int32_t* fields[3] = {&points[p].x, &points[p].y, &points[p].n};
    for (int32_t* field : fields) {
      const size_t comma = std::min(point.find(','), point.size());
      const std::string_view number = point.substr(0, comma);
      if (!TryParseTextInt(number, *field)) {
        *field = 0;
        if (note && !number.empty())
          note("'" + std::string(number) + "' in point " + std::to_string(p) +
               " is not an integer and reads as 0");
      }
      point.remove_prefix(std::min(comma + 1, point.size()));
    }
    if (colon >= value.size()) return;
    pos = colon + 1;
  }
  if (note) {
    const size_t more = size_t(std::count(value.begin() + pos, value.end(), ':')) + 1;
    note("points after the 20th (point 19) are ignored (" + std::to_string(more) + " of them)");
  }
}

int32_t RandomPictureIndex(int32_t count) {
  return count <= 1 ? 0 : 1 + GameRandom().Int(count - 1);
}

std::string RecordsFileName(const std::string& scenarioFile) {
  std::string name = scenarioFile.substr(scenarioFile.find_last_of('/') + 1);
  name = name.substr(0, name.find('.'));
  return name + ".tbl";
}

std::vector<std::string> ListScenarioFiles(const std::vector<std::string>& dirs) {
  namespace fs = std::filesystem;
  std::vector<std::string> names;
  for (const std::string& dir : dirs) {
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
      std::error_code typeError;
      if (!it->is_regular_file(typeError)) continue;
      const std::string name = it->path().filename().string();
      if (name.size() >= 4 &&
          SameFileNameIgnoringCase(std::string_view(name).substr(name.size() - 4), ".lev"))
        names.push_back(name);
    }
  }
  auto lowered = [](std::string name) {
    for (char& c : name)
      if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return name;
  };
  std::sort(names.begin(), names.end(), [&](const std::string& a, const std::string& b) {
    const std::string la = lowered(a), lb = lowered(b);
    return la != lb ? la < lb : a < b;
  });
  names.erase(std::unique(names.begin(), names.end()), names.end());
  return names;
}
