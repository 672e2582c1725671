// Asset loading: the logo, the loading thread that fills every sheet from "graph.dat" (building it
// from the graphics collections when it is missing, or outdated in the player's cache), the night
// mask, restoring lost surfaces and the frames a level's background and targets show.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <functional>
#include <new>
#include <string>

#include "game/GameUnit.h"
#include "assets/Collections.h"
#include "assets/FileUtils.h"
#include "assets/MemoryStream.h"
#include "base/TextCase.h"
#include "display/Letters.h"
#include "display/PixelRoutines.h"
#include "display/SpriteSurface.h"
#include "gameplay/ScenarioFile.h"
#include "image/Picture.h"
#include "base/Random.h"
#include "platform/Resources.h"
#include "platform/System.h"
#include "platform/Worker.h"

namespace {

// A "graph.dat" kept in the player's cache, apart from the collections it is made from, carries
// this block: a fingerprint of those collections, so that new ones (an update of the game) make
// it again. One kept beside its collections is the player's own business, as ever.
constexpr const char* kSourcesBlock = "sources";
// Free video memory (KB) below which a sheet goes to system memory.
constexpr uint32_t kSmallSheetsKB = 2000;
constexpr uint32_t kLargeSheetsKB = 4000;
constexpr uint32_t kLoadingFrameMs = 25;
constexpr int32_t kSightMaskSize = 240;
constexpr const char* kMagnetBlocks[3] = {"magnet_b", "magnet_m", "magnet_s"};
constexpr const char* kCredits =
    "&1Vor  &0a shooting gallery  &1*  &0pictures, sounds, font and levels made for this game  "
    "&1*  &0thanks for playing";

const TRect kScreenClip{0, 0, kScreenWidth, kScreenHeight};

void ClipToScreen(TDXBaseSurface& sheet) {
  sheet.ClipRect = kScreenClip;
  sheet.ClipEnabled = true;
}

// The loading thread: runs LoadGraphics and then clears the game's LoadingRunning, its only
// handshake with the main thread. Joined when the object goes (by its worker).
class TInitializeGraphThread {
 public:
  explicit TInitializeGraphThread(TGame& game) : game_(game) {}
  TInitializeGraphThread(const TInitializeGraphThread&) = delete;
  TInitializeGraphThread& operator=(const TInitializeGraphThread&) = delete;

  void Start() {
    thread_.Start([this] { Execute(); });
  }

 private:
  void Execute() {
    game_.LoadGraphics();
    game_.LoadingRunning = 0;
  }
  TGame& game_;
  Worker thread_;
};

// Writes the sheet's stored form as a block of the collection.
void AddSheetBlock(TMemoryBlocksCollection& blocks, const std::string& name,
                   TDXBaseSurface& sheet) {
  auto stream = std::make_unique<TMemoryStream>();
  sheet.SaveToStream(*stream);
  blocks.AddBlock(name, std::move(stream));
}

// One sheet from the pictures of a graphics collection, every black pixel transparent; the frame
// names come from name(n). The sheet lives in system memory: it only exists to be stored.
bool SheetFromCollection(Display& dd, const TGraphCollection& pictures, bool colorKey,
                         bool useSlotNumbers, const std::function<std::string(int32_t)>& name,
                         TDXBaseSurface& sheet) {
  int32_t w = 0, h = 0;
  pictures.GetMaxSize(w, h);
  sheet.SystemMemory = true;
  sheet.Allocate(dd, w, h, pictures.Count());
  if (Failed(sheet.LastResult) || !sheet.Surface) return false;
  sheet.SetUseColorKey(colorKey);
  for (int32_t n = 0; n < pictures.Count(); ++n) {
    int32_t slot = useSlotNumbers ? n : -1;
    if (!sheet.AddBitmap(dd, slot, name(n), *pictures.GetGraphic(n), true, 0)) return false;
  }
  sheet.Backup();
  ClipToScreen(sheet);
  return true;
}

// A collection or "graph.dat": a regular file of at most kMaxDataFileBytes; reason says why not.
bool ReadWholeFile(const std::string& name, std::string& bytes, std::string& reason) {
  return ReadRegularFile(name, kMaxDataFileBytes, bytes, reason) == ReadOutcome::Ok;
}

// FNV-1a over the length and bytes of each collection, as hexadecimal text.
std::string CollectionsFingerprint() {
  uint64_t h = 0xcbf29ce484222325ull;
  const auto mix = [&h](unsigned char c) { h = (h ^ c) * 0x100000001b3ull; };
  for (const char* name : kCollectionFiles) {
    std::string bytes, reason;
    if (!ReadWholeFile(ResolveFileName(name), bytes, reason)) bytes.clear();
    for (char c : std::to_string(bytes.size()) + ":") mix(static_cast<unsigned char>(c));
    for (char c : bytes) mix(static_cast<unsigned char>(c));
  }
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(h));
  return text;
}

// The collections' file stamps, one after another: the same stamps mean the same collections.
std::string CollectionsStamp() {
  std::string stamp;
  for (const char* name : kCollectionFiles) stamp += FileStamp(ResolveFileName(name)) + ";";
  return stamp;
}

// The sources block of a cache: the collections' fingerprint, a blank and their stamp. A cache
// whose stamp is the collections' stamp is current; otherwise its fingerprint tells (a collection
// copied over with the same bytes, or a cache written before stamps were kept).
bool SourcesCurrent(std::string_view stored, const std::string& stamp) {
  const size_t blank = stored.find(' ');
  if (blank != std::string::npos && stored.compare(blank + 1, std::string::npos, stamp) == 0)
    return true;
  return stored.substr(0, blank) == CollectionsFingerprint();
}

bool LoadCollection(TGraphCollection& pictures, const char* file) {
  pictures.FileName = ResolveFileName(file);
  return pictures.Load() && pictures.Count() > 0;
}

std::string RebuildHint(const std::string& file) {
  return "delete " + file +
         " and start the game again: the next start rebuilds it from back.ccg, targets.ccg, "
         "graph.ccg and font.ccg";
}

// Records why the loading failed; always false, for returning.
bool Fail(TGame& game, std::string text, std::string hint = "") {
  game.LoadFailureText = std::move(text);
  game.LoadFailureHint = std::move(hint);
  return false;
}

bool Damaged(TGame& game, const std::string& file, const std::string& what) {
  return Fail(game, file + " is damaged: " + what, RebuildHint(file));
}

bool CannotBuild(TGame& game, const char* collection) {
  return Fail(game,
              std::string("graph.dat cannot be built: ") + collection +
                  " cannot be read or holds no usable pictures",
              "put back the game's data files back.ccg, targets.ccg, graph.ccg and font.ccg");
}

}  // namespace

void TGame::CreateLogo() {
  LogoSurface = std::make_unique<TDXBaseSurface>();
  if (DirectDraw) LogoSurface->Allocate(*DirectDraw, 400, 180, 2);
  if (DirectDraw && Succeeded(LogoSurface->LastResult) && LogoSurface->Surface) {
    const struct {
      const char* resource;
      const char* name;
    } frames[2] = {{"VOR", "logo"}, {"CUP_BIG", "cup_big"}};
    for (int32_t i = 0; i < 2; ++i) {
      const std::string* bytes = FindBitmapResource(frames[i].resource);
      if (!bytes) continue;
      std::string error;
      const auto bitmap = LoadBitmapGraphic(*bytes, error);
      if (!bitmap) continue;
      int32_t slot = i;
      LogoSurface->AddBitmap(*DirectDraw, slot, frames[i].name, *bitmap);
    }
    LogoSurface->SetUseColorKey(true);
    LogoSurface->Backup();
  }
  ClipToScreen(*LogoSurface);
}

bool TGame::StartLoading() {
  State = gsLoading;
  LoadingRunning = 1;
  LoadFailure = 0;
  {
    TInitializeGraphThread thread(*this);
    thread.Start();
    // The window stays alive and shows the logo while the sheets load; the loading thread touches
    // neither the back buffer nor the logo.
    uint64_t nextFrame = 0;
    while (LoadingRunning) {
      Sys.PumpEvents();
      const uint64_t now = Sys.Ticks();
      if (now >= nextFrame) {
        DrawFrame();
        if (DirectDraw) (void)DirectDraw->Flip();
        nextFrame = now + kLoadingFrameMs;
      }
      Sys.Sleep(1);
    }
  }
  if (LoadFailure != 0) {
    State = gsStart;
    return false;
  }
  // The scenario kept from the last run when it is still there; else "main.lev" or the first one.
  std::string saved;
  if (!SavedScenario.empty())
    for (const std::string& name : ListScenarioFiles())
      if (name == SavedScenario || (saved.empty() && SameFileNameIgnoringCase(name, SavedScenario)))
        saved = name;
  if (!saved.empty())
    SelectScenario(saved);
  else if (FileExists("main.lev"))
    SelectScenario("main.lev");
  else
    NextScenario();
  if (!SavedScenario.empty() && saved.empty())
    std::fprintf(stderr, "vor: the scenario %s of the settings is not installed; %s is chosen\n",
                 SavedScenario.c_str(), ScenarioFile.empty() ? "none" : ScenarioFile.c_str());
  BuildMainMenu();
  if (Font) Font->SetGoLine(kCredits, 1600, -4000, 4.0f);
  State = gsMainMenu;
  return true;
}

void TGame::DrawLoading() {
  if (!BackBuffer) return;
  BackBuffer->Fill(nullptr, kScreenColor);
  if (LogoSurface) LogoSurface->Draw(*BackBuffer, 400, 50, 0, daCenter, daTop);
}

bool TGame::LoadGraphics() {
  bool cacheDamaged = false;
  if (LoadGraphics(false, cacheDamaged)) return true;
  if (!cacheDamaged) return false;
  // The cache is the game's own: made again, as a missing or outdated one is.
  std::fprintf(stderr, "vor: %s; it is made again from the collections\n", LoadFailureText.c_str());
  return LoadGraphics(true, cacheDamaged);
}

bool TGame::LoadGraphics(bool rebuild, bool& cacheDamaged) {
  cacheDamaged = false;
  bool fromCache = false;
  LoadFailure = 1;
  LoadFailureText.clear();
  LoadFailureHint.clear();
  if (!DirectDraw) return Fail(*this, "the display is not open");
  try {
    Display& dd = *DirectDraw;
    const std::string file = CacheFileName(kGraphDat);
    const bool cached = file != kGraphDat;
    const std::string stamp = cached ? CollectionsStamp() : std::string();
    // The sheets' backups keep the file's bytes (or the built ones) rather than copies of them.
    std::shared_ptr<const void> owner;
    TBlockViews blocks;
    bool read = false;
    {
      if (!rebuild && FileExists(file)) {
        std::string reason;
        auto stored = std::make_shared<FileBytes>();
        const bool whole = ReadRegularFileInPlace(ResolveFileName(file), kMaxDataFileBytes, *stored,
                                                  reason) == ReadOutcome::Ok;
        read = whole && blocks.Parse(stored->view());
        owner = stored;
        // The game's own folder has no cache to make again: the player is told what to do.
        if (!whole && !cached)
          return Fail(*this, file + " cannot be read: " + reason, RebuildHint(file));
        if (!read && !cached) return Damaged(*this, file, "its list of blocks cannot be read");
      }
      const int32_t stored = read && cached ? blocks.IndexOf(kSourcesBlock) : -1;
      const bool current =
          read && (!cached || (stored >= 0 && SourcesCurrent(blocks.Block(stored), stamp)));
      if (!current) {
        blocks = TBlockViews();
        read = false;
        const std::string sources = cached ? CollectionsFingerprint() + " " + stamp : std::string();
        auto built = std::make_shared<std::string>();
        if (!BuildGraphDat(sources, *built)) return false;
        owner = built;
        if (!blocks.Parse(*built)) return Fail(*this, "the built graph.dat cannot be read");
      }
    }
    fromCache = read && cached;

    uint32_t totalKB = 0, freeKB = 0;
    // The block's sheet, placed by the free video memory: false when the block is missing, refused
    // or holds no frames.
    const auto loadSheet = [&](const char* name, uint32_t thresholdKB, TDXBaseSurface& sheet) {
      QueryVideoMemory(totalKB, freeKB);
      const int32_t i = blocks.IndexOf(name);
      const std::string quoted = std::string("the block \"") + name + "\"";
      // A block made in this run from the collections is the collections' fault, not the file's.
      const auto damaged = [&](const std::string& what) {
        cacheDamaged = fromCache;
        return read ? Damaged(*this, file, what)
                    : Fail(*this, "the sheets made from the collections are unusable: " + what);
      };
      if (i < 0) return damaged(quoted + " is missing");
      sheet.SystemMemory = freeKB < thresholdKB;
      const bool ok = sheet.LoadFromBytes(dd, blocks.Block(i), owner) &&
                      Succeeded(sheet.LastResult) && sheet.FrameCount > 0;
      return ok || damaged(quoted + " cannot be read");
    };
    const auto cannotMake = [&](const char* what) {
      return Fail(*this, std::string("cannot make ") + what + " (not enough memory?)");
    };

    Pictures = std::make_unique<TDXBaseSurface>();
    if (!loadSheet("picts", kSmallSheetsKB, *Pictures)) return false;

    SightMask = std::make_unique<TDXBaseSurface>();
    SightMask->Allocate(dd, kSightMaskSize, kSightMaskSize, 1);
    if (Failed(SightMask->LastResult)) return cannotMake("the night mask");
    SightMask->ColorKey = 0xFFFFFF;
    SightMask->SetUseColorKey(true);
    BuildSightMask();
    if (Failed(SightMask->LastResult)) return cannotMake("the night mask");
    SightMask->Backup();
    ClipToScreen(*SightMask);

    Font = std::make_unique<TLettersCollection>();
    if (!loadSheet("letters", kSmallSheetsKB, *Font)) return false;

    Backgrounds = std::make_unique<TDXBaseSurface>();
    if (!loadSheet("backgrounds", kLargeSheetsKB, *Backgrounds)) return false;
    QueryVideoMemory(totalKB, freeKB);
    BackgroundWork = std::make_unique<TDXBaseSurface>();
    BackgroundWork->SystemMemory = freeKB < kLargeSheetsKB;
    // Fade and swing need their 20 frames even with fewer pictures.
    BackgroundWork->Allocate(
        dd, Backgrounds->FrameWidth, Backgrounds->FrameHeight,
        std::max({Backgrounds->FrameCount, BackgroundFadeFrames, BackgroundSwingFrames}));
    if (Failed(BackgroundWork->LastResult)) return cannotMake("the background frames");
    ClipToScreen(*BackgroundWork);
    // A copy of black, as a restore without one would leave it; made now so that the first level
    // backs up its background into memory the loading has already touched.
    BackgroundWork->Backup();

    TargetPictures = std::make_unique<TDXBaseSurface>();
    if (!loadSheet("targets_pict", kLargeSheetsKB, *TargetPictures)) return false;
    TargetCircles = std::make_unique<TDXBaseSurface>();
    if (!loadSheet("targets_circle", kLargeSheetsKB, *TargetCircles)) return false;

    QueryVideoMemory(totalKB, freeKB);
    TargetWork = std::make_unique<TSurfaceList>();
    for (int32_t n = 0; n < kTargetSlots; ++n) {
      auto sheet = std::make_unique<TDXBaseSurface>();
      sheet->SystemMemory = freeKB < kLargeSheetsKB;
      sheet->Allocate(dd, TargetPictures->FrameWidth, TargetPictures->FrameHeight, DissolveFrames);
      if (Failed(sheet->LastResult)) return cannotMake("the target frames");
      ClipToScreen(*sheet);
      sheet->SetUseColorKey(true);
      TargetWork->AddSurface(std::to_string(n), std::move(sheet));
    }

    QueryVideoMemory(totalKB, freeKB);
    MagnetSurfaces = std::make_unique<TSurfaceList>();
    for (int32_t n = 0; n < 3; ++n) {
      auto sheet = std::make_unique<TDXBaseSurface>();
      if (!loadSheet(kMagnetBlocks[n], kLargeSheetsKB, *sheet)) return false;
      MagnetSurfaces->AddSurface(std::to_string(n), std::move(sheet));
    }

    // Without "wave.col" the game is silent; that never fails the loading.
    if (Sounds) (void)LoadSounds();
    LoadFailure = 0;
    return true;
  } catch (const std::bad_alloc&) {
    cacheDamaged = fromCache;
    return Fail(*this, "out of memory while loading graph.dat");
  } catch (const std::exception& e) {
    cacheDamaged = fromCache;
    return Fail(*this, std::string("loading graph.dat stopped: ") + e.what());
  }
}

bool TGame::BuildGraphDat(const std::string& sources, std::string& bytes) {
  // Whether graph.dat is built in this run or read from a cache must not change the game: the
  // dissolve and magnet frames draw their numbers and the game's sequence goes on as before.
  const KeepGameRandom keep;
  bytes.clear();
  if (!DirectDraw) return false;
  try {
    Display& dd = *DirectDraw;
    TGraphCollection pictures;
    TMemoryBlocksCollection blocks;
    const auto number = [](int32_t n) { return std::to_string(n); };

    if (!LoadCollection(pictures, "back.ccg")) return CannotBuild(*this, "back.ccg");
    {
      TDXBaseSurface sheet;
      if (!SheetFromCollection(dd, pictures, false, true, number, sheet))
        return CannotBuild(*this, "back.ccg");
      AddSheetBlock(blocks, "backgrounds", sheet);
    }

    if (!LoadCollection(pictures, "targets.ccg")) return CannotBuild(*this, "targets.ccg");
    {
      TDXBaseSurface sheet;
      if (!SheetFromCollection(
              dd, pictures, true, false, [](int32_t) { return "-1"; }, sheet))
        return CannotBuild(*this, "targets.ccg");
      AddSheetBlock(blocks, "targets_pict", sheet);
    }
    {
      TDXBaseSurface circles;
      circles.SystemMemory = true;
      const char* circlesFailed =
          "cannot make the target circles of graph.dat (not enough memory?)";
      circles.Allocate(dd, 39, 39, 190);
      if (Failed(circles.LastResult)) return Fail(*this, circlesFailed);
      circles.SetUseColorKey(true);
      if (!BuildTargetCircles(circles)) return Fail(*this, circlesFailed);
      circles.Backup();
      ClipToScreen(circles);
      AddSheetBlock(blocks, "targets_circle", circles);
    }

    if (!LoadCollection(pictures, "graph.ccg")) return CannotBuild(*this, "graph.ccg");
    {
      TDXBaseSurface named;
      const auto pictureName = [&](int32_t n) { return pictures.GetGraphicName(n); };
      if (!SheetFromCollection(dd, pictures, true, false, pictureName, named))
        return CannotBuild(*this, "graph.ccg");
      AddSheetBlock(blocks, "picts", named);
      TSurfaceList magnets;
      for (int32_t n = 0; n < 3; ++n) {
        auto sheet = std::make_unique<TDXBaseSurface>();
        sheet->SystemMemory = true;
        sheet->Allocate(dd, kMagnetDiameterBySize[n], kMagnetDiameterBySize[n], 30);
        if (Failed(sheet->LastResult)) return CannotBuild(*this, "graph.ccg");
        ClipToScreen(*sheet);
        sheet->SetUseColorKey(true);
        magnets.AddSurface(std::to_string(n), std::move(sheet));
      }
      if (!BuildMagnetFrames(magnets, named)) return CannotBuild(*this, "graph.ccg");
      for (int32_t n = 0; n < 3; ++n)
        AddSheetBlock(blocks, kMagnetBlocks[n], *magnets.GetSurface(n));
    }

    if (!LoadCollection(pictures, "font.ccg")) return CannotBuild(*this, "font.ccg");
    {
      int32_t w = 0, h = 0;
      pictures.GetMaxSize(w, h);
      TLettersCollection font;
      font.SystemMemory = true;
      font.Allocate(dd, w + 2, h + 2, 2 * pictures.Count());
      if (Failed(font.LastResult)) return CannotBuild(*this, "font.ccg");
      font.SetUseColorKey(true);
      font.AddFontStyle(dd, pictures, TLetterStyle{1, 0xFFFFFF, 0x800000}, 0);
      font.AddFontStyle(dd, pictures, TLetterStyle{3, 0xFF0000, 0x800000}, 1);
      if (Failed(font.LastResult)) return CannotBuild(*this, "font.ccg");
      ClipToScreen(font);
      font.Backup();
      AddSheetBlock(blocks, "letters", font);
    }
    if (!sources.empty()) blocks.AddBlock(kSourcesBlock, sources);
    bytes = blocks.SaveToBytes();
    const std::string file = CacheFileName(kGraphDat);
    if (!file.empty() && !WriteFileAtomically(file, bytes)) {
      const std::string reason = std::strerror(errno);
      std::fprintf(stderr,
                   "vor: cannot write graph.dat in the folder %s: %s (the game goes on; the next "
                   "start builds it again)\n",
                   FolderOf(file).c_str(), reason.c_str());
    }
    return true;
  } catch (const std::bad_alloc&) {
    return Fail(*this, "out of memory while building graph.dat");
  } catch (const std::exception& e) {
    return Fail(*this, std::string("building graph.dat stopped: ") + e.what());
  }
}

void TGame::BuildSightMask() {
  if (!DirectDraw || !SightMask) return;
  SurfacePtr mask;
  if (Failed(CreateWorkSurface(*DirectDraw, kSightMaskSize, kSightMaskSize, mask))) return;
  mask->Fill(nullptr, 0xFFFFFF);
  uint32_t* pixels = nullptr;
  int32_t pitch = 0;
  if (Failed(mask->Lock(pixels, pitch))) return;
  const double c = kSightMaskSize / 2;
  for (int32_t y = 0; y < kSightMaskSize; ++y) {
    uint32_t* row = pixels + size_t(y) * (pitch / 4);
    for (int32_t x = 0; x < kSightMaskSize; ++x)
      if (std::sqrt((x - c) * (x - c) + (y - c) * (y - c)) > c) row[x] = 0;
  }
  mask->Unlock();
  int32_t slot = 0;
  SightMask->PutSurface(slot, "0", *mask, false);
}

bool TGame::RestoreSurfaces() {
  if (!Primary || Failed(Primary->Restore())) return true;
  // The back buffer belongs to the flip chain and comes back with it.
  if (BackBuffer && Failed(BackBuffer->Restore())) return true;
  for (TDXBaseSurface* sheet :
       {Backgrounds.get(), BackgroundWork.get(), static_cast<TDXBaseSurface*>(Font.get()),
        LogoSurface.get(), TargetPictures.get(), TargetCircles.get()}) {
    if (!sheet) continue;
    sheet->Restore();
    if (Failed(sheet->LastResult)) return false;
  }
  if (TargetWork) {
    TargetWork->RestoreAll();
    if (Failed(TargetWork->LastResult)) return false;
    // The same numbers as when the level made them: the frames come back alike and the game's own
    // sequence goes on as if nothing was lost.
    const Random game = GameRandom();
    GameRandom() = TargetFramesRandom;
    BuildTargetFrames();
    GameRandom() = game;
  }
  if (MagnetSurfaces) {
    MagnetSurfaces->RestoreAll();
    if (Failed(MagnetSurfaces->LastResult)) return false;
  }
  for (TDXBaseSurface* sheet : {Pictures.get(), SightMask.get()}) {
    if (!sheet) continue;
    sheet->Restore();
    if (Failed(sheet->LastResult)) return false;
  }
  return true;
}

bool TGame::BuildBackground() {
  if (!DirectDraw || !Backgrounds || !BackgroundWork) return false;
  const int32_t i = BackgroundIndex;
  if (i < 0 || i >= Backgrounds->Capacity) return false;
  Display& dd = *DirectDraw;
  const TFrameInfo info = Backgrounds->GetFrameInfo(i);
  const int32_t W = info.Width, H = info.Height;
  SurfacePtr picture;
  if (Failed(CreateWorkSurface(dd, W, H, picture))) return false;
  if (Failed(picture->Fill(nullptr, GdiToPixel(Backgrounds->ColorKey)))) return false;
  if (Brightness == 100)
    Backgrounds->Draw(*picture, 0, 0, i, daLeft, daTop);
  else
    Backgrounds->DrawShaded(dd, *picture, 0, 0, i, Brightness / 100.0f, daLeft, daTop);

  const uint32_t key = GdiToPixel(BackgroundWork->ColorKey);
  const TRect whole{0, 0, W, H};
  // A frame whose routine fails is left out; the others are stored.
  const auto put = [&](int32_t frame, Surface& source) {
    int32_t slot = frame;
    (void)BackgroundWork->PutSurface(slot, std::to_string(frame), source, false);
  };
  SurfacePtr made;
  switch (BackgroundType) {
    case 0:
    case 1: put(0, *picture); break;
    case 2:
      for (int32_t r = 0; r < BackgroundFadeFrames; ++r) {
        const float factor = 1.0f - float(r) / float(BackgroundFadeFrames - 1);
        if (ScaleBrightness(dd, *picture, whole, false, key, factor, made)) put(r, *made);
      }
      break;
    case 3:
      put(0, *picture);
      if (ScaleBrightness(dd, *picture, whole, true, key, 0.5f, made)) put(1, *made);
      break;
    case 4:
      for (int32_t r = 0; r < BackgroundSwingFrames; ++r) {
        int32_t newHeight = 0, newWidth = 0;
        if (RotateSurface(dd, *picture, whole, key, (r - BackgroundSwingFrames / 2) * 10, newHeight,
                          newWidth, made))
          put(r, *made);
      }
      break;
    default: break;
  }
  BackgroundWork->Backup();
  return true;
}

void TGame::BuildTargetFrames() {
  if (!DirectDraw || !TargetPictures || !TargetPictures->Surface || !TargetWork) return;
  TargetFramesRandom = GameRandom();
  Display& dd = *DirectDraw;
  Surface& pictures = *TargetPictures->Surface;
  for (int32_t s = 1; s <= kTargetSlots; ++s) {
    const TTargetRec& t = Targets[s];
    TDXBaseSurface* work = TargetWork->GetSurface(s - 1);
    if (!work || (t.TYPE != 2 && t.TYPE != 4)) continue;
    const TRect rect = TargetPictures->GetFrameRect(t.PICTUREINDEX);
    const int32_t frames = t.TYPE == 2 ? FadeFrames : DissolveFrames;
    for (int32_t k = 0; k < frames; ++k) {
      SurfacePtr made;
      const bool ok = t.TYPE == 2 ? ScaleBrightness(dd, pictures, rect, false, 0,
                                                    1.0f - float(k) / FadeFrames, made)
                                  : DissolveSurface(dd, pictures, rect, false, 0,
                                                    1.0f - float(k) / DissolveFrames, made);
      if (!ok) continue;
      int32_t slot = k;
      (void)work->PutFrame(slot, rect.Width(), rect.Height(), std::to_string(k), *made, false);
    }
  }
}
