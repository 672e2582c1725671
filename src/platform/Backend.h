// Which backends a program is linked with. The game and its tools make their System through
// System::Create, which makes a headless one unless a window backend is installed. A program that
// can show a window calls InstallWindowBackend at its start; the one backend library the build
// links defines it (src/platform/sdl natively, src/platform/web on a page, src/platform/headless's
// NoWindow.cpp for programs that never show anything), so the choice is the build's alone.
#pragma once
#include <memory>

#include "platform/Audio.h"
#include "platform/System.h"

struct WindowBackend {
  // Makes the system for a configuration, the headless one included where the backend wraps it.
  std::unique_ptr<System> (*create)(const System::Config& config) = nullptr;
  // The machine's sound device, or null when none can be opened.
  std::unique_ptr<AudioDevice> (*openMachineAudio)() = nullptr;
};

void InstallWindowBackend();
void SetWindowBackend(const WindowBackend& backend);

// The system with no window (ticks back to back, drawing into real surfaces).
std::unique_ptr<System> CreateHeadlessSystem(const System::Config& config);
// The installed backend's sound device; null when there is none or it cannot be opened.
std::unique_ptr<AudioDevice> OpenMachineAudio();
