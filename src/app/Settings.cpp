// Reading and writing "vor.ini".
#include "app/Settings.h"

#include <cctype>
#include <cstdio>
#include <fstream>

#include "assets/FileUtils.h"
#include "platform/UserDirs.h"

namespace {

constexpr size_t kMaxSettingsBytes = 64 * 1024;

std::string Trim(const std::string& s) {
  const size_t b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(" \t\r") - b + 1);
}

bool ValidKey(const std::string& k) {
  if (k.empty()) return false;
  for (unsigned char c : k)
    if (!std::isalnum(c) && c != '_' && c != '-' && c != '.') return false;
  return true;
}

}  // namespace

bool ParseSettings(const std::string& text, Settings& out, std::string& error) {
  out = {};
  if (text.size() > kMaxSettingsBytes) {
    error = "larger than 64 KB";
    return false;
  }
  if (text.find('\0') != std::string::npos) {
    error = "holds a zero byte";
    return false;
  }
  size_t pos = 0;
  for (int lineNo = 1; pos < text.size(); ++lineNo) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    const std::string line = Trim(text.substr(pos, end - pos));
    pos = end + 1;
    if (line.empty() || line[0] == '#' || line[0] == ';') continue;
    const size_t eq = line.find('=');
    const std::string key = eq == std::string::npos ? line : Trim(line.substr(0, eq));
    if (eq == std::string::npos || !ValidKey(key)) {
      error = "line " + std::to_string(lineNo) + " is not key=value";
      return false;
    }
    const std::string value = Trim(line.substr(eq + 1));
    if (key == "fullscreen") {
      if (value != "0" && value != "1") {
        error = "line " + std::to_string(lineNo) + ": fullscreen is 0 or 1, not '" + value + "'";
        return false;
      }
      out.fullscreen = value == "1";
    } else {
      out.others.emplace_back(key, value);
    }
  }
  return true;
}

std::string FormatSettings(const Settings& settings) {
  std::string text = "# Vor settings\n";
  if (settings.fullscreen)
    text += std::string("fullscreen=") + (*settings.fullscreen ? "1" : "0") + "\n";
  for (const auto& [k, v] : settings.others) text += k + "=" + v + "\n";
  return text;
}

std::string SettingsPath() {
  const std::string dir = UserDirPath(UserDir::Config);
  return dir.empty() ? dir : dir + "/vor.ini";
}

Settings LoadSettings(const std::string& path) {
  Settings s;
  std::ifstream in(path, std::ios::binary);
  if (path.empty() || !in) return s;
  // One byte past the limit is enough to know the file is too large.
  std::string text(kMaxSettingsBytes + 1, '\0'), error;
  in.read(text.data(), std::streamsize(text.size()));
  text.resize(size_t(in.gcount()));
  if (!ParseSettings(text, s, error)) {
    std::fprintf(stderr, "vor: ignoring the damaged settings file %s: %s\n", path.c_str(),
                 error.c_str());
    s = {};
  }
  return s;
}

bool SaveSettings(const std::string& path, const Settings& settings) {
  std::string error;
  const size_t slash = path.rfind('/');
  if (path.empty() || slash == std::string::npos) {
    std::fprintf(stderr, "vor: cannot save the settings: no folder for them (HOME is not set)\n");
    return false;
  }
  if (!MakeUserDir(path.substr(0, slash), error)) {
    std::fprintf(stderr, "vor: cannot save the settings: %s\n", error.c_str());
    return false;
  }
  if (!WriteFileAtomically(path, FormatSettings(settings))) {
    std::fprintf(stderr, "vor: cannot write the settings file %s\n", path.c_str());
    return false;
  }
  return true;
}
