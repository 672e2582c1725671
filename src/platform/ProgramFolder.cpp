// The running executable's folder, from the kernel's link to it.
#include "platform/ProgramFolder.h"

#include <filesystem>
#include <system_error>

std::string ProgramFolder() {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec || !exe.is_absolute()) return {};
  return exe.parent_path().string();
}
