// The program's own bitmap resources: the logo "VOR" and the large cup "CUP_BIG", 400 x 180 each,
// black being their transparent colour, and the window's icon. The data maker draws them at build
// time and the build compiles them into the program.
#pragma once
#include <cstdint>
#include <string>

// The bytes of the named resource as a complete BMP file, or null when there is none. Names
// compare ignoring ASCII letter case, as resource names do. The string lives as long as the
// program.
const std::string* FindBitmapResource(const std::string& name);

// The window's icon, the one the desktop's icons are drawn as: size x size pixels 0xAARRGGBB with
// straight (not premultiplied) alpha, rows top to bottom, living as long as the program.
struct IconResource {
  int size = 0;
  const uint32_t* pixels = nullptr;
};
IconResource WindowIconResource();
