// The native program's backend: a window on SDL, or none for headless runs; sound from the
// machine's device. (On a page the web backend wraps the window instead: src/platform/web/.)
#include "platform/Backend.h"
#include "platform/sdl/SdlBackend.h"

void InstallWindowBackend() {
  WindowBackend backend;
  backend.create = [](const System::Config& config) {
    return config.headless ? CreateHeadlessSystem(config) : CreateSdlSystem(config);
  };
  backend.openMachineAudio = OpenSdlAudio;
  SetWindowBackend(backend);
}
