// Pad buttons and axes by their script names.
#include "platform/Pad.h"

#include <iterator>

namespace {

constexpr const char* kButtonNames[] = {
    "a",    "b",      "x",      "y",       "start",        "back",
    "dpup", "dpdown", "dpleft", "dpright", "leftshoulder", "rightshoulder"};
constexpr const char* kAxisNames[] = {"leftx", "lefty", "rightx", "righty"};
static_assert(std::size(kButtonNames) == size_t(PadButton::Count));
static_assert(std::size(kAxisNames) == size_t(PadAxis::Count));

}  // namespace

std::string PadButtonName(PadButton b) {
  return size_t(b) < size_t(PadButton::Count) ? kButtonNames[size_t(b)] : "";
}

std::optional<PadButton> PadButtonFromName(const std::string& name) {
  for (size_t i = 0; i < std::size(kButtonNames); ++i)
    if (name == kButtonNames[i]) return PadButton(i);
  return std::nullopt;
}

std::string PadAxisName(PadAxis a) {
  return size_t(a) < size_t(PadAxis::Count) ? kAxisNames[size_t(a)] : "";
}

std::optional<PadAxis> PadAxisFromName(const std::string& name) {
  for (size_t i = 0; i < std::size(kAxisNames); ++i)
    if (name == kAxisNames[i]) return PadAxis(i);
  return std::nullopt;
}
