// Which folders lie behind the game's bare file names in a game run: the current folder when it
// holds the game's data (a build's data folder, or one the player filled), else the data installed
// beside the executable, with the player's own folders for everything the game writes.
#pragma once
#include <string>

#include "assets/FileUtils.h"

// The data folder of an installed game: the executable's folder joined with the path from the
// installed program to the installed data ("../share/vor" by default); for a program run from
// its build folder, where that holds no data, the folder "data" beside it that the build fills.
std::string InstalledDataFolder();

// All empty (the current folder for everything) when the current folder holds data files or
// installedData does not; else Data is installedData, Player the player's data folder (tables,
// "err.txt") and Cache the player's cache folder ("graph.dat"), from UserDirPath.
TFileFolders ChooseFileFolders(const std::string& installedData);
