// Where the running program lies, so that an installed game finds its data beside it wherever its
// prefix was moved.
#pragma once
#include <string>

// The folder of the running executable (absolute, links resolved); empty when it cannot be told.
std::string ProgramFolder();
