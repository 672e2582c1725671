// Making the System: the installed window backend's, else the headless one.
#include <cstdio>

#include "platform/Backend.h"

namespace {

WindowBackend& Installed() {
  static WindowBackend backend;
  return backend;
}

}  // namespace

void SetWindowBackend(const WindowBackend& backend) { Installed() = backend; }

std::unique_ptr<System> System::Create(const Config& config) {
  if (Installed().create) return Installed().create(config);
  if (config.headless) return CreateHeadlessSystem(config);
  std::fprintf(stderr, "vor: this program shows no window: run it with --headless\n");
  return nullptr;
}

std::unique_ptr<AudioDevice> OpenMachineAudio() {
  return Installed().openMachineAudio ? Installed().openMachineAudio() : nullptr;
}
