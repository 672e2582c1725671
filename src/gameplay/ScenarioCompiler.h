// Builds a scenario file from a list of level text files (the "compile" command).
#pragma once
#include <string>

// listFile names one level file per line; the scenario is written to outFile.
bool CompileScenario(const std::string& listFile, const std::string& outFile);
