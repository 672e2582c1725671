// Writing a surface as a PNG file (screenshots, contact sheets).
#pragma once
#include <string>

#include "platform/Surface.h"

// The surface as the bytes of an RGB PNG file; false (bytes cleared) when encoding fails.
[[nodiscard]] bool EncodePng(const Surface& surface, std::string& bytes);
// Writes the surface to path in place; on failure reason says why.
[[nodiscard]] bool WritePng(const Surface& surface, const std::string& path, std::string& reason);
