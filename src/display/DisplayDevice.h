// Setting up the display and the error log "err.txt".
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "platform/Display.h"

class System;

// Makes the display for the window in the 800 x 600 x 32 mode; false, with no message, for any
// other mode or when the window cannot be opened. (The display object itself cannot fail: the
// video system is started with the program, which ends earlier when it cannot be.)
bool CreateDisplay(std::unique_ptr<Display>& out, System& system, uint32_t freeVideoKB,
                   int32_t width, int32_t bitsPerPixel, int32_t height);
bool CreateFlipChain(Display& display, SurfacePtr& primary, SurfacePtr& backBuffer);
// Total and free video memory in KB.
void QueryVideoMemory(const Display& display, uint32_t& totalKB, uint32_t& freeKB);

// Appends text and CR LF to "err.txt" in the folder the game writes into (WritableFileName: the
// current folder, or the player's folder of an installed game). Never throws; a log that cannot
// be written is skipped, and the result is false (errno tells why).
bool LogError(const std::string& text);
