// vor-assetgen: makes the game's data files with the game's own collection classes.
//   vor-assetgen --out DIR               back.ccg, targets.ccg, graph.ccg, font.ccg, wave.col
//   vor-assetgen --contact-sheet FILE    one PNG showing every picture, both font styles, the
//                                        logo and the cup
//   vor-assetgen --icons DIR NAME        the program's icon as DIR/SIZExSIZE/apps/NAME.png in the
//                                        sizes of a desktop's icon theme
// The output depends on nothing but this code, the installed font and the libraries: no clock,
// and every random choice comes from generators with fixed seeds.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "Assets.h"
#include "ContactSheet.h"
#include "Encode.h"
#include "assets/Collections.h"

namespace {

constexpr int kJpegQuality = 92;

bool Fail(const std::string& text) {
  std::fprintf(stderr, "vor-assetgen: %s\n", text.c_str());
  return false;
}

bool Add(TGraphCollection& ccg, uint8_t kind, const std::string& name, std::string bytes) {
  TMemoryStream stream(std::move(bytes));
  // The collection decodes every picture as the game will, so a file it refuses never ships.
  if (ccg.AddGraphic(kind, name, stream) < 0) return Fail("the picture " + name + " was refused");
  return true;
}

bool Save(TGraphCollection& ccg, const std::string& path) {
  ccg.FileName = path;
  if (!ccg.Save()) return Fail("cannot write " + path);
  return true;
}

bool WriteData(const std::string& dir) {
  {
    TGraphCollection ccg;
    const std::vector<Image> backs = MakeBackgrounds();
    for (size_t i = 0; i < backs.size(); ++i)
      if (!Add(ccg, gkJpeg, std::to_string(i), EncodeJpeg(backs[i], kJpegQuality))) return false;
    if (!Save(ccg, dir + "/back.ccg")) return false;
  }
  {
    TGraphCollection ccg;
    const std::vector<Image> targets = MakeTargets();
    for (size_t i = 0; i < targets.size(); ++i)
      if (!Add(ccg, gkBitmap, std::to_string(i), EncodeBmp24(targets[i]))) return false;
    if (!Save(ccg, dir + "/targets.ccg")) return false;
  }
  {
    TGraphCollection ccg;
    for (const NamedImage& p : MakePictures())
      if (!Add(ccg, gkBitmap, p.name, EncodeBmp24(p.img))) return false;
    if (!Save(ccg, dir + "/graph.ccg")) return false;
  }
  {
    std::vector<NamedImage> glyphs;
    std::string error;
    if (!MakeGlyphs(kFontPath, kFontPixelSize, glyphs, error)) return Fail(error);
    TGraphCollection ccg;
    for (const NamedImage& g : glyphs)
      if (!Add(ccg, gkBitmap, g.name, EncodeBmp24(g.img))) return false;
    if (!Save(ccg, dir + "/font.ccg")) return false;
  }
  {
    TMemoryBlocksCollection wave;
    const char* names[] = {"hit", "menu", "count", "miss", "warning"};
    const auto sounds = MakeSounds();
    for (size_t i = 0; i < sounds.size(); ++i)
      wave.AddBlock(names[i], EncodeWaveBlock(sounds[i], kSampleRate));
    wave.FileName = dir + "/wave.col";
    if (!wave.Save()) return Fail("cannot write " + wave.FileName);
  }
  return true;
}

bool WriteIcons(const std::string& dir, const std::string& name) {
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    const std::string sized = std::to_string(size) + "x" + std::to_string(size);
    const std::string folder = dir + "/" + sized + "/apps";
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (!WriteIcon(size, folder + "/" + name + ".png"))
      return Fail("cannot write " + folder + "/" + name + ".png");
  }
  return true;
}

int Usage() {
  std::fprintf(stderr,
               "usage: vor-assetgen --out DIR | --contact-sheet FILE.png | --icons DIR NAME\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  const std::string option = argv[1], target = argv[2];
  if ((option == "--icons") != (argc == 4)) return Usage();
  bool ok;
  if (option == "--icons") {
    ok = WriteIcons(target, argv[3]);
  } else if (option == "--out") {
    ok = WriteData(target);
  } else if (option == "--contact-sheet") {
    std::string error;
    ok = WriteContactSheet(target, error) || Fail(error);
  } else {
    return Usage();
  }
  cairo_debug_reset_static_data();
  return ok ? 0 : 1;
}
