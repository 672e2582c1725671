// XDG base directories of the player, resolved from the environment.
#include "platform/UserDirs.h"

#include <unistd.h>

#include <sys/stat.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "platform/InputFile.h"

namespace {

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

bool Absolute(const std::string& p) {
  return !p.empty() && p[0] == '/';
}

// The variable when it names an absolute folder, else HOME + fallback; empty when neither exists.
std::string Base(const char* variable, const char* fallback) {
  std::string v = Env(variable);
  if (Absolute(v)) return v;
  const std::string home = Env("HOME");
  if (!Absolute(home)) return {};
  return home + "/" + fallback;
}

// The XDG_PICTURES_DIR line of user-dirs.dirs: XDG_PICTURES_DIR="$HOME/Bilder".
std::string PicturesFromUserDirsFile(const std::string& configBase, const std::string& home) {
  std::string text, reason;
  if (ReadRegularFile(configBase + "/user-dirs.dirs", kMaxTextFileBytes, text, reason) !=
      ReadOutcome::Ok)
    return {};
  std::istringstream in(text);
  std::string line;
  const std::string key = "XDG_PICTURES_DIR=";
  while (std::getline(in, line)) {
    if (line.compare(0, key.size(), key) != 0) continue;
    std::string value = line.substr(key.size());
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
      value = value.substr(1, value.size() - 2);
    if (value.compare(0, 5, "$HOME") == 0) {
      if (!Absolute(home)) return {};
      value = home + value.substr(5);
    }
    return Absolute(value) ? value : std::string();
  }
  return {};
}

}  // namespace

std::string UserDirPath(UserDir kind) {
  std::string base;
  switch (kind) {
    case UserDir::Data: base = Base("XDG_DATA_HOME", ".local/share"); break;
    case UserDir::Cache: base = Base("XDG_CACHE_HOME", ".cache"); break;
    case UserDir::Config: base = Base("XDG_CONFIG_HOME", ".config"); break;
    case UserDir::Pictures: {
      const std::string v = Env("XDG_PICTURES_DIR");
      if (Absolute(v)) return v;
      const std::string home = Env("HOME");
      const std::string config = Base("XDG_CONFIG_HOME", ".config");
      if (!config.empty()) {
        const std::string named = PicturesFromUserDirsFile(config, home);
        if (!named.empty()) return named;
      }
      return Absolute(home) ? home + "/Pictures" : std::string();
    }
  }
  return base.empty() ? base : base + "/vor";
}

std::string NoUserDirReason() {
  const std::string home = Env("HOME");
  if (home.empty()) return "HOME is not set";
  return "HOME is the relative path \"" + home + "\"; it must be absolute";
}

bool MakeUserDir(const std::string& path, std::string& error) {
  if (path.empty()) {
    error = "no folder for the player's files (" + NoUserDirReason() + ")";
    errno = ENOENT;
    return false;
  }
  // Each parent in turn; one that exists already is fine, whatever made it.
  for (size_t pos = 1; pos <= path.size(); ++pos) {
    if (pos != path.size() && path[pos] != '/') continue;
    const std::string part = path.substr(0, pos);
    if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
      const int saved = errno;
      error = "cannot make the folder " + part + ": " + std::strerror(saved);
      errno = saved;
      return false;
    }
  }
  struct stat st {};
  const int statError = ::stat(path.c_str(), &st) != 0 ? errno : 0;
  if (statError || !S_ISDIR(st.st_mode)) {
    // A file, or a link to one, where the folder should be: "Not a directory".
    const int saved = statError ? statError : ENOTDIR;
    error = "cannot use the folder " + path + ": " + std::strerror(saved);
    errno = saved;
    return false;
  }
  if (::access(path.c_str(), W_OK | X_OK) != 0) {
    const int saved = errno;
    error = "cannot write into the folder " + path + ": " + std::strerror(saved);
    errno = saved;
    return false;
  }
  return true;
}
