// The scenario compiler. (Being built.)
#include "gameplay/ScenarioCompiler.h"

bool CompileScenario(const std::string&, const std::string&) { return false; }
