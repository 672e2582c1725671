// Choosing the folders behind the game's bare file names.
#include "app/DataFolders.h"

#include <filesystem>

#include "game/GameUnit.h"
#include "platform/ProgramFolder.h"
#include "platform/UserDirs.h"

namespace {

// "graph.dat" itself, or any of the collections it is built from, makes a folder one the game can
// start in.
// Where a build puts the data it makes, beside the program.
constexpr const char* kBuildDataFolder = "data";

bool HoldsData(const std::string& dir) {
  if (FileExists(dir + "/" + kGraphDat)) return true;
  for (const char* name : kCollectionFiles)
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
