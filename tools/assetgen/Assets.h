// The game's data, drawn and synthesized by code. Each maker returns its pictures in the order the
// game uses them.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "Art.h"

struct NamedImage {
  std::string name;
  Image img;
};

// Tileable backgrounds, 128 to 400 pixels a side.
std::vector<Image> MakeBackgrounds();
// Target pictures; the circle sits on each picture's bottom-centre point. Picture 0 is the plain
// stand.
std::vector<Image> MakeTargets();
// The named pictures: sight, shot animation, bonus, difficulty and condition icons.
std::vector<NamedImage> MakePictures();
// The logo "VOR" and the large cup, 400 x 180 each, on black (the colour key).
Image MakeLogo();
Image MakeCupBig();
// The program's icon, the logo's bull's-eye on transparency, size x size pixels, as a PNG file;
// false when it cannot be written.
bool WriteIcon(int size, const std::string& path);
// The same icon as size x size pixels 0xAARRGGBB, straight alpha (the window's icon).
std::vector<uint32_t> MakeIcon(int size);

// One picture per cp1251 character 33..255 (white on black, monochrome), named by decimal code.
// Every picture is its advance wide and the line's full height. False with a reason on failure.
bool MakeGlyphs(const std::string& fontPath, int pixelSize, std::vector<NamedImage>& glyphs,
                std::string& error);
extern const char* const kFontPath;
constexpr int kFontPixelSize = 22;

constexpr int kSampleRate = 22050;
// The five effects: hit, menu blip, counting tick, miss, warning beep.
std::vector<std::vector<int16_t>> MakeSounds();
