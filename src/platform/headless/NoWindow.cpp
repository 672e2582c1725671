// The backend of programs that never show a window (a verifier, a server): nothing to install,
// System::Create makes headless systems and there is no machine sound.
#include "platform/Backend.h"

void InstallWindowBackend() {}
