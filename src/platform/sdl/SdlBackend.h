// The window backend on SDL: a window with its input and the machine's sound device. Programs
// reach it only through InstallWindowBackend (platform/Backend.h); these are its own parts.
#pragma once
#include <cstdint>
#include <memory>

#include "platform/System.h"

// The window's keys: the game's DirectInput code of an SDL scancode, 0 when the key has none.
uint8_t KeyFromScancode(int scancode);
// The machine's sound device (SDL's audio, whichever driver it picks or SDL_AUDIODRIVER names);
// null when none can be opened.
std::unique_ptr<AudioDevice> OpenSdlAudio();
// The window system (not yet opened); the web backend wraps it.
std::unique_ptr<System> CreateSdlSystem(const System::Config& config);
