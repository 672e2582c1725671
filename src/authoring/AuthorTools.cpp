// The authors' commands from the command line, and the level arguments they share.
#include "authoring/AuthorTools.h"

#include <charconv>
#include <cstdio>
#include <cstring>

#include "assets/FileUtils.h"
#include "base/TextCase.h"
#include "gameplay/ScenarioCompiler.h"
#include "gameplay/ScenarioFile.h"
#include "platform/System.h"

namespace {

bool IsScenarioName(std::string_view name) {
  return name.size() >= 4 && SameFileNameIgnoringCase(name.substr(name.size() - 4), ".lev");
}

template <typename T>
bool ParseCount(const std::string& s, T& out) {
  const char* end = s.data() + s.size();
  auto [p, ec] = std::from_chars(s.data(), end, out);
  return !s.empty() && ec == std::errc() && p == end;
}

int Fail(const std::string& command, const std::string& why) {
  std::fprintf(stderr, "vor %s: %s\n", command.c_str(), why.c_str());
  return 1;
}

int Lint(const std::vector<std::string>& args) {
  bool quiet = false, options = true;
  std::vector<std::string> files;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (options && a == "--") {
      options = false;
    } else if (options && a == "--quiet") {
      quiet = true;
    } else if (options && a.rfind("--", 0) == 0) {
      return Fail("lint", "unknown option " + a + "\nusage: vor lint [--quiet] FILE...");
    } else {
      files.push_back(a);
    }
  }
  if (files.empty()) return Fail("lint", "no file to check\nusage: vor lint [--quiet] FILE...");
  const std::unique_ptr<System> system = System::Create(true, false);
  if (!system) return Fail("lint", "cannot start");
  std::string out;
  const int status = LintFiles(*system, files, quiet, out);
  std::fwrite(out.data(), 1, out.size(), stderr);
  return status;
}

int Preview(const std::vector<std::string>& args) {
  constexpr const char* kUsage =
      "\nusage: vor preview [--tick N] [--paths] [--seed N] LEVEL OUT.png";
  TPreviewOptions options;
  std::vector<std::string> files;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool numbered = a == "--tick" || a == "--seed";
    if (numbered && i + 1 >= args.size()) return Fail("preview", a + " needs a number" + kUsage);
    if (a == "--tick") {
      if (!ParseCount(args[++i], options.ticks) || options.ticks < 0 ||
          options.ticks > kMaxPreviewTicks)
        return Fail("preview", "--tick needs a count of ticks from 0 to " +
                                   std::to_string(kMaxPreviewTicks) +
                                   " (an hour of play at 40 ticks a second), not '" + args[i] +
                                   "'");
    } else if (a == "--seed") {
      if (!ParseCount(args[++i], options.seed))
        return Fail("preview", "--seed needs a number, not '" + args[i] + "'");
    } else if (a == "--paths") {
      options.paths = true;
    } else if (a.rfind("--", 0) == 0) {
      return Fail("preview", "unknown option " + a + kUsage);
    } else {
      files.push_back(a);
    }
  }
  if (files.size() != 2) return Fail("preview", std::string("needs LEVEL and OUT.png") + kUsage);
  TLevelSource source;
  std::string error;
  if (!ParseLevelSource(files[0], source, error) || !PreviewLevel(source, options, files[1], error))
    return Fail("preview", error);
  return 0;
}

}  // namespace

bool IsAuthorCommand(const char* word) {
  return word && (std::strcmp(word, "lint") == 0 || std::strcmp(word, "preview") == 0);
}

int RunAuthorCommand(const std::vector<std::string>& args) {
  if (!args.empty() && args[0] == "lint") return Lint(args);
  if (!args.empty() && args[0] == "preview") return Preview(args);
  return Fail(args.empty() ? "" : args[0], "unknown command");
}

bool ParseLevelSource(const std::string& argument, TLevelSource& out, std::string& error) {
  out = TLevelSource{};
  const size_t colon = argument.rfind(':');
  if (colon != std::string::npos && IsScenarioName(std::string_view(argument).substr(0, colon))) {
    int32_t n = 0;
    if (!ParseCount(argument.substr(colon + 1), n) || n < 1) {
      error = "'" + argument + "': a level number from 1 must follow the ':'";
      return false;
    }
    out.file = argument.substr(0, colon);
    out.level = n;
    return true;
  }
  if (IsScenarioName(argument)) {
    error = argument + " is a scenario: name one of its levels, as " + argument + ":1";
    return false;
  }
  out.file = argument;
  return true;
}

bool ReadLevelSource(const TLevelSource& source, std::vector<std::string>& levels, int& first,
                     std::string& error) {
  std::string bytes;
  if (!ReadFileQuietly(ResolveFileName(source.file), bytes)) {
    error = "cannot read " + source.file;
    return false;
  }
  if (source.level == 0) {
    levels = {CompileLevelText(bytes)};
    first = 1;
    return true;
  }
  std::vector<std::string> texts;
  if (!SplitScenario(bytes, texts)) {
    error = source.file + " is not a scenario file";
    return false;
  }
  if (source.level > int32_t(texts.size())) {
    error = source.file + " holds " + std::to_string(texts.size()) + " levels; there is no level " +
            std::to_string(source.level);
    return false;
  }
  levels = std::move(texts);
  first = source.level;
  return true;
}
