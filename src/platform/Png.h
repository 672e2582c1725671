// Writing a surface as a PNG file (screenshots, contact sheets).
#pragma once
#include <string>

#include "platform/Surface.h"

bool WritePng(const Surface& surface, const std::string& path);
