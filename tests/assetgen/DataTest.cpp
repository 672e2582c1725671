// The data the build makes in build/data: read back with the game's own classes and checked for
// what the game relies on (names, counts, sizes, formats), made again to prove it never varies,
// and the scenarios parsed level by level against the rules every level must keep.
#include <gtest/gtest.h>

#include <unistd.h>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>

#include "authoring/AuthorTools.h"
#include "game/GameUnit.h"
#include "base/Bytes.h"
#include "assets/Collections.h"
#include "assets/FileUtils.h"
#include "gameplay/ScenarioFile.h"
#include "image/Bmp.h"
#include "base/Cp1251.h"
#include "base/Random.h"
#include "platform/Resources.h"
#include "platform/System.h"

namespace fs = std::filesystem;

namespace {

// Where the build puts the data and its tools (set by the build).
const std::string kDataDir = VOR_DATA_DIR;

std::string DataFile(const std::string& name) {
  return kDataDir + "/" + name;
}

std::string ReadAll(const std::string& path) {
  std::string bytes;
  EXPECT_TRUE(ReadFileQuietly(path, bytes)) << path;
  return bytes;
}

struct Ccg {
  TGraphCollection c;
  explicit Ccg(const std::string& name) {
    c.FileName = DataFile(name);
    EXPECT_TRUE(c.Load()) << name;
  }
  int32_t W(int32_t i) const { return c.GetGraphic(i)->Width(); }
  int32_t H(int32_t i) const { return c.GetGraphic(i)->Height(); }
};

TEST(Data, BackgroundsAreJpegTilesOfModerateSize) {
  Ccg back("back.ccg");
  ASSERT_GE(back.c.Count(), 20);
  int32_t w, h;
  back.c.GetMaxSize(w, h);
  // Every sheet is stored uncompressed in graph.dat, frames at the largest size.
  EXPECT_LE(int64_t(w) * h * 4 * back.c.Count(), 16 * 1024 * 1024);
  for (int32_t i = 0; i < back.c.Count(); ++i) {
    EXPECT_EQ(back.c.GetKind(i), gkJpeg) << i;
    EXPECT_GE(back.W(i), 128) << i;
    EXPECT_LE(back.W(i), 400) << i;
    EXPECT_GE(back.H(i), 128) << i;
    EXPECT_LE(back.H(i), 400) << i;
  }
}

TEST(Data, BackgroundsAreSeamless) {
  Ccg back("back.ccg");
  for (int32_t i = 0; i < back.c.Count(); ++i) {
    const int32_t w = back.W(i), h = back.H(i);
    Surface s(w, h);
    back.c.GetGraphic(i)->Draw(s, 0, 0);
    // Across a seam the picture changes no more than between two neighbouring rows or columns
    // inside it.
    auto diff = [&](int x0, int y0, int x1, int y1) {
      const uint32_t a = s.Row(y0)[x0], b = s.Row(y1)[x1];
      int d = 0;
      for (int k = 0; k < 24; k += 8) d += std::abs(int((a >> k) & 255) - int((b >> k) & 255));
      return d;
    };
    double seamX = 0, innerX = 0, seamY = 0, innerY = 0;
    for (int y = 0; y < h; ++y) {
      seamX += diff(w - 1, y, 0, y);
      for (int x = 0; x + 1 < w; ++x) innerX += diff(x, y, x + 1, y) / double(w - 1);
    }
    for (int x = 0; x < w; ++x) {
      seamY += diff(x, h - 1, x, 0);
      for (int y = 0; y + 1 < h; ++y) innerY += diff(x, y, x, y + 1) / double(h - 1);
    }
    EXPECT_LT(seamX / h, innerX / h * 2.5 + 12) << "background " << i << " left/right";
    EXPECT_LT(seamY / w, innerY / w * 2.5 + 12) << "background " << i << " top/bottom";
  }
}

TEST(Data, TargetPicturesAreBitmapsAroundTheDisc) {
  Ccg targets("targets.ccg");
  ASSERT_GE(targets.c.Count(), 16);
  for (int32_t i = 0; i < targets.c.Count(); ++i) {
    EXPECT_EQ(targets.c.GetKind(i), gkBitmap) << i;
    EXPECT_GE(targets.W(i), 40) << i;
    EXPECT_LE(targets.W(i), 110) << i;
    EXPECT_GE(targets.H(i), 40) << i;
    EXPECT_LE(targets.H(i), 110) << i;
    // The picture reaches its bottom-centre point, where the disc is drawn.
    Surface s(targets.W(i), targets.H(i));
    targets.c.GetGraphic(i)->Draw(s, 0, 0);
    int near = 0;
    for (int y = s.Height() - 20; y < s.Height(); ++y)
      for (int x = s.Width() / 2 - 20; x < s.Width() / 2 + 20; ++x)
        if (x >= 0 && x < s.Width() && y >= 0 && s.Row(y)[x] != 0) ++near;
    EXPECT_GT(near, 5) << "picture " << i << " does not hold its disc";
  }
}

TEST(Data, NamedPicturesFitTheirPlaces) {
  Ccg graph("graph.ccg");
  const char* names[] = {"sight", "sight1", "shot1", "shot2",    "shot3",  "shot4",  "shot5",
                         "shot6", "light",  "frost", "3bullets", "target", "2500",   "cup",
                         "medal", "men",    "child", "skull",    "clock",  "magnet", "mirror",
                         "right", "left",   "up",    "down"};
  ASSERT_EQ(graph.c.Count(), int32_t(std::size(names)));
  const std::set<std::string> icons = {"light",  "frost", "3bullets", "target", "2500",  "cup",
                                       "sight1", "men",   "child",    "skull",  "clock", "magnet",
                                       "mirror", "right", "left",     "up",     "down",  "medal"};
  for (int32_t i = 0; i < graph.c.Count(); ++i) {
    const std::string name = names[i];
    EXPECT_EQ(graph.c.GetGraphicName(i), name);
    EXPECT_EQ(graph.c.GetKind(i), gkBitmap) << name;
    if (icons.count(name)) {
      // Bonus icons: the bar 34 pixels below an icon's top, the next icon 40 pixels lower.
      EXPECT_LE(graph.H(i), 34) << name;
      EXPECT_LE(graph.W(i), 38) << name;
    }
  }
  const int32_t magnet = graph.c.FindGraphic("magnet");
  // Turned about its centre it stays inside the smallest magnet frame.
  EXPECT_LE(std::hypot(graph.W(magnet), graph.H(magnet)), 50.0);
}

TEST(Data, GlyphsShareOneHeightAndFitEveryScreen) {
  Ccg font("font.ccg");
  std::map<int, std::pair<int, int>> glyphs;
  for (int32_t i = 0; i < font.c.Count(); ++i) {
    const int code = std::stoi(font.c.GetGraphicName(i));
    EXPECT_EQ(std::to_string(code), font.c.GetGraphicName(i));
    glyphs[code] = {font.W(i), font.H(i)};
  }
  for (int code = 33; code <= 255; ++code) {
    if (code == 127 || code == 152) {  // no printable character in cp1251
      EXPECT_FALSE(glyphs.count(code)) << code;
      continue;
    }
    ASSERT_TRUE(glyphs.count(code)) << code;
    EXPECT_GE(glyphs[code].first, 1) << code;
    EXPECT_EQ(glyphs[code].second, glyphs['W'].second) << code;
  }
  // Style 1 is a pixel wider and higher (its shadow); a space is 10 pixels.
  auto width = [&](const std::string& text) {
    int w = 0;
    for (unsigned char ch : text) w += ch == ' ' ? 10 : glyphs[ch].first + 1;
    return w;
  };
  const int h = glyphs['W'].second + 1;
  EXPECT_LE(200 + 9 * (h + 5), 560) << "nine menu lines above the credits line";
  EXPECT_LE(135 + 10 * (h + 5), 600) << "ten rows of records";
  EXPECT_GE(h + 5, 32) << "a record row as high as its difficulty icon";
  EXPECT_LE(246 + width("Background brightness: 100%"), 800);
  EXPECT_LE(246 + width("Game difficulty: normal"), 800);
  EXPECT_LE(50 + width("LEVEL: 33"), 265) << "the HUD's level field";
  EXPECT_LE(265 + width("BULLETS: 10"), 525) << "the HUD's bullets field";
  EXPECT_LE(525 + width("SCORE: 1234567"), 800);
  EXPECT_LE(25 + width(Cp("Константин")), 250) << "a long name in the table of records";
  EXPECT_LE(250 + width("Targets: ") + width("123"), 550) << "statistics";
}

TEST(Data, SoundsAreFivePcmEffectsWithoutClicks) {
  TMemoryBlocksCollection wave;
  wave.FileName = DataFile("wave.col");
  ASSERT_TRUE(wave.Load());
  ASSERT_EQ(wave.Count(), 5);
  for (int32_t i = 0; i < wave.Count(); ++i) {
    const std::string& b = wave.GetBlock(i)->Bytes();
    ASSERT_GE(b.size(), 22u);
    auto u16 = [&](size_t at) { return uint16_t(uint8_t(b[at]) | uint8_t(b[at + 1]) << 8); };
    const uint32_t n = uint32_t(ReadInt32At(b, 0));
    EXPECT_EQ(n + 22, b.size()) << i;
    EXPECT_EQ(u16(4), 1) << "PCM";
    EXPECT_EQ(u16(6), 1) << "mono";
    EXPECT_EQ(uint32_t(ReadInt32At(b, 8)), 22050u);
    EXPECT_EQ(uint32_t(ReadInt32At(b, 12)), 44100u);
    EXPECT_EQ(u16(16), 2);
    EXPECT_EQ(u16(18), 16);
    EXPECT_EQ(u16(20), 0);
    const size_t count = n / 2;
    ASSERT_GT(count, 100u);
    auto sample = [&](size_t k) { return int16_t(u16(22 + 2 * k)); };
    int peak = 0;
    for (size_t k = 0; k < count; ++k) peak = std::max(peak, std::abs(int(sample(k))));
    EXPECT_GT(peak, 32767 / 3) << "effect " << i << " is normalized";
    EXPECT_LE(std::abs(int(sample(0))), 200) << "effect " << i << " starts softly";
    EXPECT_LE(std::abs(int(sample(count - 1))), 200) << "effect " << i << " ends softly";
  }
  // The counting tick restarts every frame (25 ms): it must be over well before that.
  EXPECT_LT(wave.GetBlock(2)->Size() - 22, size_t(22050 * 2 * 20 / 1000));
}

TEST(Data, ResourcesAreLogoCupAndIcon) {
  for (const char* name : {"VOR", "CUP_BIG", "vor"}) {
    const std::string* bmp = FindBitmapResource(name);
    ASSERT_NE(bmp, nullptr) << name;
    TBmpImage img;
    std::string error;
    ASSERT_TRUE(DecodeBmp(*bmp, img, error)) << error;
    EXPECT_EQ(img.Width, 400);
    EXPECT_EQ(img.Height, 180);
    // Black around the picture is the transparent colour; the picture itself is not black.
    EXPECT_EQ(img.Color(0, 0), 0u);
    EXPECT_EQ(img.Color(399, 179), 0u);
    EXPECT_NE(img.Color(200, 90), 0u);
  }
  EXPECT_EQ(FindBitmapResource("LOGO"), nullptr);

  // The window's icon: the bull's-eye, opaque in the middle, on transparency.
  const IconResource icon = WindowIconResource();
  ASSERT_EQ(icon.size, 64);
  ASSERT_NE(icon.pixels, nullptr);
  const auto at = [&](int x, int y) { return icon.pixels[size_t(y) * 64 + size_t(x)]; };
  for (const uint32_t corner : {at(0, 0), at(63, 0), at(0, 63), at(63, 63)})
    EXPECT_EQ(corner, 0u) << std::hex << corner;
  EXPECT_EQ(at(31, 31) >> 24, 255u);
  EXPECT_NE(at(31, 31) & 0xFFFFFF, 0u);
}

TEST(Data, MakingTheDataAgainGivesTheSameBytes) {
  const fs::path dir = fs::temp_directory_path() / ("vor-assetgen-" + std::to_string(getpid()));
  fs::create_directories(dir);
  const std::string command = std::string(VOR_ASSETGEN) + " --out " + dir.string();
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  for (const char* name : {"back.ccg", "targets.ccg", "graph.ccg", "font.ccg", "wave.col"}) {
    const std::string a = ReadAll(DataFile(name)), b = ReadAll((dir / name).string());
    EXPECT_FALSE(a.empty()) << name;
    EXPECT_TRUE(a == b) << name << " differs between two runs";
  }
  const std::string resources = (dir / "Resources.cpp").string();
  const std::string resgen = std::string(VOR_RESGEN) + " " + resources;
  ASSERT_EQ(std::system(resgen.c_str()), 0) << resgen;
  EXPECT_TRUE(ReadAll(resources) == ReadAll(VOR_RESOURCES_CPP));
  fs::remove_all(dir);
}

// --- Scenarios ---

TEST(Data, ShippedCountsAreTheCollections) {
  // The level parser and the authors' lint count with these before any sheet is loaded.
  EXPECT_EQ(Ccg("back.ccg").c.Count(), kShippedBackgrounds);
  EXPECT_EQ(Ccg("targets.ccg").c.Count(), kShippedTargetPictures);
}

class Scenarios : public ::testing::Test {
 protected:
  void SetUp() override {
    system_ = System::Create(true, false);
    game_ = std::make_unique<TGame>(*system_);
    GameRandom().Seed(3);
  }

  // The first value of key in a level text, as the parser would find it.
  static bool Raw(const std::string& text, const std::string& key, std::string& value) {
    size_t pos = 0;
    while (pos < text.size()) {
      size_t end = text.find('\r', pos);
      if (end == std::string::npos) end = text.size();
      const std::string line = text.substr(pos, end - pos);
      const size_t eq = line.find('=');
      if (eq != std::string::npos && line.substr(0, eq) == key) {
        value = line.substr(eq + 1);
        return true;
      }
      pos = end + 1;
    }
    return false;
  }

  // Parses every level of the scenario and checks the rules each level must keep.
  void CheckScenario(const std::string& file, size_t minLevels, size_t maxLevels) {
    ASSERT_TRUE(game_->LoadScenarioFile(DataFile(file))) << file;
    const size_t count = game_->LevelTexts.size();
    EXPECT_GE(count, minLevels);
    EXPECT_LE(count, maxLevels);
    Ccg back("back.ccg"), targets("targets.ccg");
    for (size_t n = 0; n < count; ++n) {
      const std::string& text = game_->LevelTexts[n];
      const std::string where = file + " level " + std::to_string(n + 1);
      ASSERT_TRUE(game_->ParseLevel(text)) << where;
      EXPECT_FALSE(game_->LevelName.empty()) << where;
      std::string v;
      if (!game_->UniformBackground) {
        ASSERT_TRUE(Raw(text, "BACKGROUNDINDEX", v)) << where;
        EXPECT_LT(std::stoi(v), back.c.Count()) << where;
      }
      std::vector<TSightReach::Circle> cores;
      for (int i = 1; i <= kMagnetSlots; ++i) {
        const TMagnetRec& m = game_->Magnets[i];
        if (m.VISIBLE)
          cores.push_back({double(m.X), double(m.Y),
                           0.8 * (m.SIZE == 0   ? 50
                                  : m.SIZE == 1 ? 38
                                                : 25)});
      }
      const TSightReach reach(cores);
      int required = 0;
      for (int i = 1; i <= kTargetSlots; ++i) {
        const TTargetRec& t = game_->Targets[i];
        if (!t.VISIBLE) continue;
        if (t.NEEDHIT && t.TYPE != 6) ++required;
        std::string key = "T";
        key += std::to_string(i) + "_PICTUREINDEX";
        if (Raw(text, key, v)) {
          EXPECT_LT(std::stoi(v), targets.c.Count()) << where;
        }
        std::vector<std::pair<int, int>> points = {{t.X, t.Y}};
        if (t.GOTYPE != 0)
          for (int k = 0; k < kPathPoints && (k == 0 || t.COORDARRAY[k].n != 0); ++k)
            points.push_back({t.COORDARRAY[k].x, t.COORDARRAY[k].y});
        bool reachable = false;
        for (auto [x, y] : points) {
          EXPECT_TRUE(x >= 10 && x <= 790 && y >= 10 && y <= 590)
              << where << " target " << i << " at " << x << "," << y;
          reachable = reachable || reach.Reaches(x, y);
        }
        if (t.NEEDHIT && t.TYPE != 6) {
          EXPECT_TRUE(reachable) << where << " target " << i;
        }
        kinds_.insert(t.TYPE);
        motions_.insert(t.GOTYPE);
        if (t.ISBONUS) {
          bonusKinds_.insert(t.ISBONUS);
          bonuses_.insert(t.BONUSNUMBER);
        }
      }
      EXPECT_GE(required, 1) << where << " has no target to hit";
      for (int i = 1; i <= kMagnetSlots; ++i) {
        const TMagnetRec& m = game_->Magnets[i];
        if (!m.VISIBLE) continue;
        const double core = 0.8 * (m.SIZE == 0 ? 50 : m.SIZE == 1 ? 38 : 25);
        EXPECT_GT(std::hypot(m.X - 15.0, m.Y - 560.0), core + 1) << where << " magnet " << i;
        magnetSizes_.insert(m.SIZE);
      }
      backgroundTypes_.insert(game_->UniformBackground ? 5 : game_->BackgroundType);
      conditions_["night"] += game_->NightOn;
      conditions_["wind"] += game_->WindOn;
      conditions_["mirror"] += game_->MirrorOn;
      conditions_["time"] += game_->TimeLimitOn;
      conditions_["push"] += game_->MagnetOn;
    }
  }

  std::unique_ptr<System> system_;
  std::unique_ptr<TGame> game_;
  std::set<int> kinds_, motions_, magnetSizes_, backgroundTypes_, bonusKinds_, bonuses_;
  std::map<std::string, int> conditions_;
};

TEST_F(Scenarios, MainRisesThroughEveryFeature) {
  CheckScenario("main.lev", 30, 100);
  EXPECT_EQ(kinds_, (std::set<int>{0, 1, 2, 3, 4, 5, 6, 7}));
  EXPECT_EQ(motions_, (std::set<int>{0, 1, 2}));
  EXPECT_EQ(magnetSizes_, (std::set<int>{0, 1, 2}));
  EXPECT_EQ(backgroundTypes_, (std::set<int>{0, 1, 2, 3, 4, 5}));  // 5: a uniform colour
  EXPECT_EQ(bonusKinds_, (std::set<int>{1, 2, 3}));
  EXPECT_EQ(bonuses_, (std::set<int>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
  for (const char* c : {"night", "wind", "mirror", "time", "push"})
    EXPECT_GT(conditions_[c], 0) << c;
}

TEST_F(Scenarios, TrainingIsShort) {
  CheckScenario("training.lev", 5, 6);
}

// Lint finds nothing in the shipped scenarios, neither compiled nor in their level texts.
TEST(LevelTexts, ShippedScenariosLintClean) {
  const auto system = System::Create(true, false);
  std::string out;
  EXPECT_EQ(LintFiles(*system, {DataFile("main.lev"), DataFile("training.lev")}, false, out), 0);
  EXPECT_EQ(out, "vor lint: 0 errors, 0 warnings\n");
  TLevelLint lint(*system);
  for (const char* scenario : {"main", "training"}) {
    const fs::path root = VOR_LEVELS_DIR;
    for (const auto& entry : fs::directory_iterator(root / scenario)) {
      for (const TLintFinding& f : lint.CheckLevelFile(ReadAll(entry.path().string())))
        ADD_FAILURE() << FormatFinding(entry.path().string() + ":", f);
    }
  }
}

TEST(LevelTexts, EveryTextIsListedAndCommentsHoldNoEqualsSign) {
  const fs::path root = VOR_LEVELS_DIR;
  for (const char* scenario : {"main", "training"}) {
    std::string list = ReadAll((root / (std::string(scenario) + ".list")).string());
    std::set<std::string> listed;
    size_t pos = 0;
    while (pos < list.size()) {
      size_t end = list.find('\n', pos);
      if (end == std::string::npos) end = list.size();
      if (end > pos) listed.insert(list.substr(pos, end - pos));
      pos = end + 1;
    }
    for (const auto& entry : fs::directory_iterator(root / scenario)) {
      const std::string rel = std::string(scenario) + "/" + entry.path().filename().string();
      EXPECT_TRUE(listed.count(rel)) << rel << " is not in the list";
      const std::string text = ReadAll(entry.path().string());
      size_t p = 0;
      while (p < text.size()) {
        size_t e = text.find('\n', p);
        if (e == std::string::npos) e = text.size();
        const std::string line = text.substr(p, e - p);
        if (!line.empty() && line[0] == '#') {
          EXPECT_EQ(line.find('='), std::string::npos) << rel;
        }
        p = e + 1;
      }
    }
  }
}

}  // namespace
