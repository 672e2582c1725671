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
  // The system would read a name only up to its first zero byte.
  if (line.find('\0') != std::string::npos) return false;
  path = ResolveFileName(line);
  std::error_code ec;
  return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

bool NamesNoFile(const std::string& line) {
  return line.find_first_not_of(" \t") == std::string::npos;
}

std::string PrintableName(const std::string& name, size_t shown) {
  std::string out;
  for (size_t i = 0; i < name.size() && i < shown; ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (c < 0x20 || c == 0x7F) {
      static constexpr char kHex[] = "0123456789abcdef";
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += char(c);
    }
  }
  if (name.size() > shown) out += "...";
  return out;
}

std::string CompileLevelText(const std::string& text) {
  std::string kept;
  for (const std::string& line : TextLines(text))
    if (line.find('=') != std::string::npos) kept += line + '\r';
  return kept;
}

namespace {

// Whether the two names are one file (a hard link or the same path).
bool SameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  return std::filesystem::equivalent(a, b, ec) && !ec;
}

}  // namespace

bool CompileScenario(const std::string& listFile, const std::string& outFile) {
  const std::string heading = "Compilation error of file " + listFile;
  // Read quietly: a failure is told once, by the compiler's own message.
  std::string list;
  if (!ReadFileQuietly(ResolveFileName(listFile), list)) {
    ShowFileMessage(heading);
    return false;
  }
  const std::string out = WritableFileName(outFile);
  if (SameFile(ResolveFileName(listFile), out)) {
    ShowFileMessage(heading + ": it is also the file to write");
    return false;
  }
  // Every level the list names must be read: a scenario that silently lacks one is worse than
  // none, and a list given in the output's place (the arguments swapped) names no level file.
  constexpr int kNamedFailures = 10;
  int failures = 0;
  std::vector<std::string> levels;
  const std::vector<std::string> lines = TextLines(list);
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (NamesNoFile(line)) continue;
    std::string name, text;
    const char* why = nullptr;
    if (!ListedLevelFile(line, name))
      why = line.find('\0') != std::string::npos ? "is no file name (it holds a zero byte)"
            : FileExists(line)                   ? "is not a regular file"
                                                 : "does not exist";
    else if (SameFile(name, out))
      why = "is also the file to write";
    else if (!ReadFileQuietly(name, text))
      why = "cannot be read";
    if (why) {
      if (++failures <= kNamedFailures)
        ShowFileMessage(heading + ": line " + std::to_string(i + 1) + " names the level file '" +
                        PrintableName(line) + "', which " + why);
      continue;
    }
    levels.push_back(CompileLevelText(text));
  }
  if (failures > kNamedFailures)
    ShowFileMessage(heading + ": " + std::to_string(failures - kNamedFailures) +
                    " more level files cannot be read");
  if (failures > 0) return false;
  if (levels.empty()) {
    ShowFileMessage(heading + ": it names no level file");
    return false;
  }
  return WriteStringToFile(outFile, JoinScenario(levels));
}
