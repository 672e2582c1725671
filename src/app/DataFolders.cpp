// Choosing the folders behind the game's bare file names.
#include "app/DataFolders.h"

#include <filesystem>

#include "platform/ProgramFolder.h"
#include "platform/UserDirs.h"

namespace {

// Any of these makes a folder one the game can start in: the collections it builds "graph.dat"
// from, or "graph.dat" itself.
constexpr const char* kDataFiles[] = {"graph.dat", "back.ccg", "targets.ccg", "graph.ccg",
                                      "font.ccg"};
// Where a build puts the data it makes, beside the program.
constexpr const char* kBuildDataFolder = "data";

bool HoldsData(const std::string& dir) {
  for (const char* name : kDataFiles)
    if (FileExists(dir + "/" + name)) return true;
  return false;
}

}  // namespace

std::string InstalledDataFolder() {
  const std::string program = ProgramFolder();
  if (program.empty()) return program;
  const std::string installed =
      (std::filesystem::path(program) / VOR_DATA_FROM_BIN).lexically_normal().string();
  // A program still in its build folder has the data the build made beside it.
  const std::string built = (std::filesystem::path(program) / kBuildDataFolder).string();
  return !HoldsData(installed) && HoldsData(built) ? built : installed;
}

TFileFolders ChooseFileFolders(const std::string& installedData) {
  if (HoldsData(".") || installedData.empty() || !HoldsData(installedData)) return {};
  return {installedData, UserDirPath(UserDir::Data), UserDirPath(UserDir::Cache)};
}
