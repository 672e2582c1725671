// Operations whose subsystems are still being built. Each one moves to its subsystem's folder, with
// its full rules, when that subsystem is written; until then they keep the game running: loading
// goes straight to the main menu and the screens are plain.
#include <algorithm>
#include <filesystem>

#include "app/GameUnit.h"
#include "assets/FileUtils.h"
#include "platform/System.h"
