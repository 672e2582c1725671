// The scenario compiler: level text files named in a list become one scenario file.
#include "gameplay/ScenarioCompiler.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "assets/FileUtils.h"
#include "gameplay/ScenarioFile.h"

std::vector<std::string> TextLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(pos, end - pos));
    if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n')
      ++end;
    pos = end + 1;
  }
  return lines;
}

bool ListedLevelFile(const std::string& line, std::string& path) {
  path = ResolveFileName(line);
  std::error_code ec;
  return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

std::string CompileLevelText(const std::string& text) {
  std::string kept;
  for (const std::string& line : TextLines(text))
    if (line.find('=') != std::string::npos) kept += line + '\r';
  return kept;
}

bool CompileScenario(const std::string& listFile, const std::string& outFile) {
  auto fail = [&]() {
    ShowFileMessage("Compilation error of file " + listFile);
    return false;
  };
  // Read quietly: a failure is told once, by the compiler's own message.
  std::string list;
  if (!ReadFileQuietly(ResolveFileName(listFile), list)) return fail();
  std::vector<std::string> levels;
  for (const std::string& line : TextLines(list)) {
    std::string name;
    // A level named in the list but missing is left out.
    if (!ListedLevelFile(line, name)) continue;
    std::string text;
    if (!ReadFileQuietly(name, text)) return fail();
    levels.push_back(CompileLevelText(text));
  }
  return WriteStringToFile(outFile, JoinScenario(levels));
}
