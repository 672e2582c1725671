// Asset loading: building and reading "graph.dat", placement of the sheets by free video memory,
// failures, the night mask, restoring lost surfaces and the level's frames.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "game/GameUnit.h"
#include "assets/Collections.h"
#include "assets/FileUtils.h"
#include "display/Letters.h"
#include "display/SpriteSurface.h"
#include "image/Bmp.h"
#include "base/Random.h"
#include "platform/System.h"

namespace {

const std::vector<std::string> kBlocks = {"backgrounds", "targets_pict", "targets_circle",
                                          "picts",       "magnet_b",     "magnet_m",
                                          "magnet_s",    "letters"};

// A w x h bitmap file of one colour (0x00RRGGBB) with a black border.
std::string Bitmap(int w, int h, uint32_t colour) {
  TBmpImage image;
  std::string error;
  EXPECT_TRUE(image.Create(w, h, 32, error)) << error;
  for (int y = 0; y < h; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(image.Row(y));
    for (int x = 0; x < w; ++x) row[x] = x == 0 || y == 0 || x == w - 1 || y == h - 1 ? 0 : colour;
  }
  return EncodeBmp(image);
}

std::string Record(const std::string& name, int w, int h, uint32_t colour) {
  return TGraphCollection::FormatRecord(1, 0, name, Bitmap(w, h, colour));
}

class Loading : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (std::filesystem::temp_directory_path() / "vor-loading-XXXXXX").string();
    ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
    old_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_);
    system_ = System::Create(true, false);
  }
  void TearDown() override {
    game_.reset();
    SetFileFolders({});
    std::filesystem::current_path(old_);
    std::filesystem::remove_all(dir_);
  }

  static void Put(const std::string& name, const std::string& bytes) {
    std::ofstream(name, std::ios::binary) << bytes;
  }
  // The four graphics collections, small.
  static void Collections() {
    Put("back.ccg", Record("a", 64, 48, 0x336699) + Record("b", 32, 32, 0x996633));
    Put("targets.ccg", Record("t0", 20, 30, 0x00FF00) + Record("t1", 24, 24, 0x0000FF));
    std::string picts;
    const char* names[] = {"sight", "sight1", "magnet", "men", "clock", "medal"};
    for (int i = 0; i < 6; ++i) picts += Record(names[i], 12, 12, 0x101010 * uint32_t(i + 1));
    Put("graph.ccg", picts);
    Put("font.ccg", Record("65", 8, 12, 0xFFFFFF) + Record("66", 8, 12, 0xFFFFFF) +
                        Record("38", 8, 12, 0xFFFFFF));
  }
  TGame& Game(uint32_t videoKB = 64 * 1024) {
    game_ = std::make_unique<TGame>(*system_);
    game_->VideoMemoryKB = videoKB;
    EXPECT_TRUE(game_->InitDisplay());
    return *game_;
  }
  static std::string Get(const std::string& name) {
    std::ifstream f(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
  }
  static std::vector<std::string> BlockNames(const std::string& file = "graph.dat") {
    TMemoryBlocksCollection blocks;
    blocks.FileName = file;
    EXPECT_TRUE(blocks.Load());
    std::vector<std::string> names;
    for (int i = 0; i < blocks.Count(); ++i) names.push_back(blocks.Strings(i));
    return names;
  }
  static std::vector<uint8_t> Pixels(TDXBaseSurface& sheet) {
    const Surface& s = *sheet.Surface;
    const auto* p = reinterpret_cast<const uint8_t*>(s.Data());
    return std::vector<uint8_t>(p, p + size_t(s.Width()) * s.Height() * 4);
  }

  std::unique_ptr<System> system_;
  std::unique_ptr<TGame> game_;
  std::filesystem::path dir_, old_;
};

TEST_F(Loading, FirstStartBuildsGraphDatAndLaterStartsReadIt) {
  Collections();
  TGame& g = Game();
  ASSERT_TRUE(g.LoadGraphics());
  EXPECT_EQ(g.LoadFailure, 0);
  EXPECT_EQ(BlockNames(), kBlocks);
  EXPECT_EQ(g.Backgrounds->FrameCount, 2);
  EXPECT_EQ(g.Backgrounds->FindFrame("1"), 1);
  EXPECT_FALSE(g.Backgrounds->UseColorKey);
  EXPECT_EQ(g.TargetPictures->FrameCount, 2);
  EXPECT_EQ(g.TargetPictures->GetFrameName(0), "-1");
  EXPECT_GE(g.Pictures->FindFrame("magnet"), 0);
  EXPECT_GE(g.TargetCircles->FindFrame("25_15"), 0);
  EXPECT_EQ(g.MagnetSurfaces->Count(), 3);
  EXPECT_EQ(g.MagnetSurfaces->GetSurface(1)->FrameWidth, 76);
  EXPECT_EQ(g.TargetWork->Count(), 10);
  EXPECT_EQ(g.TargetWork->GetSurface(9)->FrameCount, 20);
  EXPECT_GT(g.Font->TextWidth("AB"), 0);
  // Fade and swing need 20 frames although there are two pictures.
  EXPECT_GE(g.BackgroundWork->Capacity, 20);
  const std::vector<uint8_t> letters = Pixels(*g.Font);
  const int32_t magnet = g.Pictures->FindFrame("magnet");

  // A later start reads "graph.dat" alone.
  for (const char* f : {"back.ccg", "targets.ccg", "graph.ccg", "font.ccg"})
    std::filesystem::remove(f);
  TGame& again = Game();
  ASSERT_TRUE(again.LoadGraphics());
  EXPECT_EQ(Pixels(*again.Font), letters);
  EXPECT_EQ(again.Pictures->FindFrame("magnet"), magnet);
}

TEST_F(Loading, AMissingOrDamagedInputFailsTheLoadingAndWritesNothing) {
  Collections();
  std::filesystem::remove("font.ccg");
  EXPECT_FALSE(Game().LoadGraphics());
  EXPECT_EQ(game_->LoadFailure, 1);
  EXPECT_FALSE(std::filesystem::exists("graph.dat"));
  EXPECT_EQ(game_->LoadFailureText,
            "graph.dat cannot be built: font.ccg cannot be read or holds no usable pictures");

  // A collection without pictures makes a sheet with no frames.
  Collections();
  Put("targets.ccg", "");
  EXPECT_FALSE(Game().LoadGraphics());
  EXPECT_FALSE(std::filesystem::exists("graph.dat"));

  Put("graph.dat", "not blocks");
  EXPECT_FALSE(Game().LoadGraphics());
  EXPECT_EQ(game_->LoadFailure, 1);
  EXPECT_EQ(game_->LoadFailureText, "graph.dat is damaged: its list of blocks cannot be read");
  EXPECT_NE(game_->LoadFailureHint.find("delete graph.dat"), std::string::npos);
}

TEST_F(Loading, AGraphDatLackingAnyBlockFails) {
  Collections();
  ASSERT_TRUE(Game().LoadGraphics());
  TMemoryBlocksCollection full;
  full.FileName = "graph.dat";
  ASSERT_TRUE(full.Load());
  const std::string complete = full.SaveToBytes();
  for (const std::string& lacking : kBlocks) {
    TMemoryBlocksCollection cut;
    for (int i = 0; i < full.Count(); ++i)
      if (full.Strings(i) != lacking) cut.AddBlock(full.Strings(i), full.GetBlock(i)->Bytes());
    Put("graph.dat", cut.SaveToBytes());
    EXPECT_FALSE(Game().LoadGraphics()) << lacking;
    EXPECT_EQ(game_->LoadFailure, 1) << lacking;
    EXPECT_EQ(game_->LoadFailureText,
              "graph.dat is damaged: the block \"" + lacking + "\" is missing");
  }
  // A damaged block is refused as well.
  TMemoryBlocksCollection bad;
  for (int i = 0; i < full.Count(); ++i) {
    std::string bytes = full.GetBlock(i)->Bytes();
    if (full.Strings(i) == "targets_circle") bytes.resize(bytes.size() / 2);
    bad.AddBlock(full.Strings(i), bytes);
  }
  Put("graph.dat", bad.SaveToBytes());
  EXPECT_FALSE(Game().LoadGraphics());
  EXPECT_EQ(game_->LoadFailureText,
            "graph.dat is damaged: the block \"targets_circle\" cannot be read");
  Put("graph.dat", complete);
  EXPECT_TRUE(Game().LoadGraphics());
  EXPECT_EQ(game_->LoadFailureText, "");
}

TEST_F(Loading, AGraphDatInThePlayersCacheIsMadeAgainForOtherCollections) {
  Collections();
  const std::string root = std::filesystem::current_path().string();
  SetFileFolders({root, root + "/player", root + "/cache"});
  ASSERT_TRUE(Game().LoadGraphics());
  EXPECT_FALSE(std::filesystem::exists("graph.dat")) << "written beside the collections";
  std::vector<std::string> blocks = kBlocks;
  blocks.push_back("sources");
  EXPECT_EQ(BlockNames("cache/graph.dat"), blocks);
  const std::string made = Get("cache/graph.dat");

  // A later start reads it as it is.
  ASSERT_TRUE(Game().LoadGraphics());
  EXPECT_EQ(Get("cache/graph.dat"), made);

  // New collections (an update of the game) make it again, and their pictures show.
  Put("back.ccg", Record("a", 64, 48, 0x336699) + Record("b", 32, 32, 0x996633) +
                      Record("c", 16, 16, 0x123456));
  ASSERT_TRUE(Game().LoadGraphics());
  EXPECT_EQ(game_->Backgrounds->FrameCount, 3);
  EXPECT_NE(Get("cache/graph.dat"), made);

  // So does a damaged one: its list of blocks, or one block behind an intact list (missing or
  // cut short), or a pipe put in its place (which is never read).
  Put("cache/graph.dat", "not blocks");
  ASSERT_TRUE(Game().LoadGraphics());
  EXPECT_EQ(BlockNames("cache/graph.dat"), blocks);
  TMemoryBlocksCollection current;
  current.FileName = "cache/graph.dat";
  ASSERT_TRUE(current.Load());
  struct Damage {
    std::string block, said;
  };
  for (const Damage& d : {Damage{"letters", "the block \"letters\" is missing"},
                          Damage{"targets_circle", "the block \"targets_circle\" cannot be read"}}) {
    TMemoryBlocksCollection bad;
    for (int i = 0; i < current.Count(); ++i) {
      std::string bytes = current.GetBlock(i)->Bytes();
      if (current.Strings(i) == d.block && d.block == "letters") continue;
      if (current.Strings(i) == d.block) bytes.resize(bytes.size() / 2);
      bad.AddBlock(current.Strings(i), bytes);
    }
    Put("cache/graph.dat", bad.SaveToBytes());
    testing::internal::CaptureStderr();
    ASSERT_TRUE(Game().LoadGraphics()) << d.said << ": " << game_->LoadFailureText;
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("graph.dat is damaged: " + d.said +
                       "; it is made again from the collections"),
              std::string::npos)
        << err;
    EXPECT_EQ(game_->LoadFailure, 0);
    EXPECT_EQ(BlockNames("cache/graph.dat"), blocks) << d.said;
  }
  std::filesystem::remove("cache/graph.dat");
  ASSERT_EQ(::mkfifo("cache/graph.dat", 0600), 0);
  ::alarm(60);
  ASSERT_TRUE(Game().LoadGraphics());
  ::alarm(0);
  EXPECT_EQ(BlockNames("cache/graph.dat"), blocks);

  // A cache folder that cannot be made costs the time to build, not the game.
  SetFileFolders({root, root + "/player", root + "/back.ccg/cache"});
  testing::internal::CaptureStderr();
  EXPECT_TRUE(Game().LoadGraphics());
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find(root + "/back.ccg/cache"), std::string::npos) << err;
  EXPECT_EQ(game_->LoadFailure, 0);
}

TEST_F(Loading, TheCacheIsTakenByItsStampAndOtherwiseByItsFingerprint) {
  Collections();
  const std::string root = std::filesystem::current_path().string();
  SetFileFolders({root, root + "/player", root + "/cache"});
  ASSERT_TRUE(Game().LoadGraphics());
  const auto sources = [] {
    TMemoryBlocksCollection blocks;
    blocks.FileName = "cache/graph.dat";
    EXPECT_TRUE(blocks.Load());
    const int32_t i = blocks.IndexOf("sources");
    return i >= 0 ? blocks.GetBlock(i)->Bytes() : std::string();
  };
  const std::string made = Get("cache/graph.dat"), stored = sources();
  const size_t blank = stored.find(' ');
  ASSERT_NE(blank, std::string::npos) << stored;

  // The same bytes written again (a new stamp) and a cache that keeps only the fingerprint are
  // taken as they are.
  Put("graph.ccg", Get("graph.ccg"));
  ASSERT_TRUE(Game().LoadGraphics());
  EXPECT_EQ(Get("cache/graph.dat"), made);
  TMemoryBlocksCollection old;
  old.FileName = "cache/graph.dat";
  ASSERT_TRUE(old.Load());
  TMemoryBlocksCollection fingerprintOnly;
  for (int i = 0; i < old.Count(); ++i)
    fingerprintOnly.AddBlock(old.Strings(i), old.Strings(i) == "sources"
                                                 ? stored.substr(0, blank)
                                                 : old.GetBlock(i)->Bytes());
  Put("cache/graph.dat", fingerprintOnly.SaveToBytes());
  const std::string withoutStamp = Get("cache/graph.dat");
  ASSERT_TRUE(Game().LoadGraphics());
  EXPECT_EQ(Get("cache/graph.dat"), withoutStamp);

  // Other bytes of the same size under the old modification time are seen.
  const auto time = std::filesystem::last_write_time("back.ccg");
  std::string back = Get("back.ccg");
  back[back.size() - 1] ^= 0x55;
  Put("back.ccg", back);
  std::filesystem::last_write_time("back.ccg", time);
  ASSERT_TRUE(Game().LoadGraphics());
  EXPECT_NE(sources().substr(0, blank), stored.substr(0, blank));
}

TEST_F(Loading, SheetsArePlacedByTheFreeVideoMemory) {
  Collections();
  ASSERT_TRUE(Game().LoadGraphics());
  struct Case {
    uint32_t videoKB;
    bool small, large;  // Pictures and Font; every other loaded sheet
  } cases[] = {{64 * 1024, true, true}, {3000, true, false}, {1000, false, false}};
  for (const Case& c : cases) {
    TGame& g = Game(c.videoKB);
    g.CreateLogo();
    ASSERT_TRUE(g.LoadGraphics()) << c.videoKB;
    const auto inVideo = [](TDXBaseSurface* s) { return s->Surface->InVideoMemory(); };
    EXPECT_EQ(inVideo(g.Pictures.get()), c.small) << c.videoKB;
    EXPECT_EQ(inVideo(g.Font.get()), c.small) << c.videoKB;
    for (TDXBaseSurface* s : {g.Backgrounds.get(), g.BackgroundWork.get(), g.TargetPictures.get(),
                              g.TargetCircles.get()})
      EXPECT_EQ(inVideo(s), c.large) << c.videoKB;
    for (int i = 0; i < 10; ++i) EXPECT_EQ(inVideo(g.TargetWork->GetSurface(i)), c.large);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(inVideo(g.MagnetSurfaces->GetSurface(i)), c.large);
    // The logo and the night mask take no placement flag.
    EXPECT_FALSE(g.LogoSurface->SystemMemory);
    EXPECT_FALSE(g.SightMask->SystemMemory);
  }
}

TEST_F(Loading, SightMaskIsADiscOfRadius120) {
  Collections();
  TGame& g = Game();
  ASSERT_TRUE(g.LoadGraphics());
  const TDXBaseSurface& m = *g.SightMask;
  EXPECT_EQ(m.Surface->Width(), 240);
  EXPECT_EQ(m.ColorKey, 0xFFFFFF);
  const auto at = [&](int x, int y) { return m.Surface->Row(y)[x]; };
  EXPECT_EQ(at(120, 120), 0xFFFFFFu);
  EXPECT_EQ(at(0, 120), 0xFFFFFFu);  // exactly 120 away stays inside
  EXPECT_EQ(at(120, 0), 0xFFFFFFu);
  EXPECT_EQ(at(0, 119), 0u);  // 120.004 away
  EXPECT_EQ(at(0, 0), 0u);
  EXPECT_EQ(at(35, 35), 0u);
  EXPECT_EQ(at(36, 36), 0xFFFFFFu);
  EXPECT_EQ(at(239, 239), 0u);
}

TEST_F(Loading, LostSurfacesComeBackWithTheirPixels) {
  Collections();
  TGame& g = Game();
  ASSERT_TRUE(g.LoadGraphics());
  g.CreateLogo();
  g.BackgroundIndex = 0;
  g.BackgroundType = 4;
  g.Brightness = 70;
  ASSERT_TRUE(g.BuildBackground());
  g.Targets[3].TYPE = 2;
  g.Targets[3].PICTUREINDEX = 1;
  g.Targets[4].TYPE = 4;
  g.BuildTargetFrames();
  std::vector<TDXBaseSurface*> sheets = {
      g.Backgrounds.get(),        g.BackgroundWork.get(), g.Font.get(),
      g.LogoSurface.get(),        g.TargetPictures.get(), g.TargetCircles.get(),
      g.Pictures.get(),           g.SightMask.get(),      g.TargetWork->GetSurface(2),
      g.TargetWork->GetSurface(3)};
  for (int i = 0; i < 3; ++i) sheets.push_back(g.MagnetSurfaces->GetSurface(i));
  std::vector<std::vector<uint8_t>> before;
  for (TDXBaseSurface* s : sheets) before.push_back(Pixels(*s));

  GameRandom().Next();  // the game goes on drawing numbers
  Random expected = GameRandom();
  g.DirectDraw->LoseSurfaces();
  EXPECT_EQ(g.DirectDraw->Flip(), DDERR_SURFACELOST);
  ASSERT_TRUE(g.RestoreSurfaces());
  EXPECT_EQ(g.DirectDraw->Flip(), DD_OK);
  for (size_t i = 0; i < sheets.size(); ++i) {
    EXPECT_FALSE(sheets[i]->Surface->IsLost()) << i;
    EXPECT_EQ(Pixels(*sheets[i]), before[i]) << "sheet " << i;
  }
  // The dissolve frames were made again from the level's numbers, not from the game's.
  EXPECT_EQ(GameRandom().Next(), expected.Next());
}

TEST_F(Loading, TargetFramesFadeAndDissolveTheirPicture) {
  Collections();
  TGame& g = Game();
  ASSERT_TRUE(g.LoadGraphics());
  g.Targets[1].TYPE = 2;
  g.Targets[1].PICTUREINDEX = 0;
  g.Targets[2].TYPE = 4;
  g.Targets[2].PICTUREINDEX = 0;
  g.BuildTargetFrames();
  TDXBaseSurface& fade = *g.TargetWork->GetSurface(0);
  TDXBaseSurface& dissolve = *g.TargetWork->GetSurface(1);
  const auto centre = [](TDXBaseSurface& s, int frame) {
    const TRect r = s.GetFrameRect(frame);
    return s.Surface->Row(r.Top + 15)[r.Left + 10];
  };
  EXPECT_EQ(fade.GetFrameInfo(9).Width, 20);
  EXPECT_EQ(fade.GetFrameName(9), "9");
  EXPECT_EQ(centre(fade, 0), 0x00FF00u);
  EXPECT_EQ(centre(fade, 5), 0x007F00u);
  EXPECT_EQ(centre(fade, 9), 0x001900u);
  EXPECT_EQ(centre(dissolve, 0), 0x00FF00u);
  // Frame k keeps about 1 - k/20 of the pixels.
  const auto kept = [&](int frame) {
    const TRect r = dissolve.GetFrameRect(frame);
    int n = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x) n += dissolve.Surface->Row(y)[x] == 0x00FF00;
    return n;
  };
  EXPECT_EQ(kept(0), 18 * 28);
  EXPECT_LT(kept(19), 18 * 28 / 8);
  EXPECT_GT(kept(10), 18 * 28 / 3);
  EXPECT_TRUE(g.TargetWork->GetSurface(2)->GetFrameInfo(0).Free);
}

TEST_F(Loading, StartLoadingEndsInTheMenuOrInStartOnFailure) {
  TGame& failing = Game();
  EXPECT_FALSE(failing.StartLoading());
  EXPECT_EQ(failing.State, gsStart);
  EXPECT_EQ(failing.LoadFailure, 1);
  EXPECT_EQ(failing.LoadingRunning.load(), 0);

  Collections();
  TGame& g = Game();
  g.CreateLogo();
  EXPECT_TRUE(g.StartLoading());
  EXPECT_EQ(g.State, gsMainMenu);
  EXPECT_EQ(g.LoadFailure, 0);
  EXPECT_TRUE(std::filesystem::exists("graph.dat"));
  // The loading screen was shown: dark blue.
  EXPECT_EQ(g.DirectDraw->Shown().Row(599)[0], kScreenColor);
}

}  // namespace
