// The game object: every field the subsystems share, grouped by use, and the declarations of all
// its operations. Each operation is defined in the folder of the subsystem that owns it.
#pragma once
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "frontend/MenuTypes.h"
#include "frontend/RecordTypes.h"
#include "gameplay/LevelTypes.h"
#include "platform/Display.h"
#include "base/Random.h"

class System;
class AudioDevice;
class TDXBaseSurface;
class TSurfaceList;
class TLettersCollection;
class TWaveCollection;
class TLevelReport;

enum TGameState : uint8_t {
  gsStart = 0,
  gsLoading = 1,
  gsMainMenu = 2,
  gsPlaying = 3,
  gsLevelLoading = 4,
  gsLevelDone = 5,
  gsExit = 6,
  gsWin = 7,
  gsGameOver = 8,
  gsEnterName = 9,
  gsRecords = 10,
  gsGameMenu = 11,
};

// The screen is the display's one mode.
constexpr int kScreenWidth = Display::Width;
constexpr int kScreenHeight = Display::Height;
// Screens outside play are drawn on this colour.
constexpr uint32_t kScreenColor = 0x000032;
constexpr int kMessageBoxFrames = 200;
constexpr int kEffectTimers = 7;
// The bonuses by number; each has its effect timer, EffectTimers[number].
constexpr int kBonusLight = 1, kBonusFrost = 2, kBonusBullets = 3, kBonusTarget = 4,
              kBonusSight = 5, kBonus2500 = 6, kBonusCup = 7;
constexpr int kTransitionColumns = 41;
constexpr int kTransitionRows = 31;

// The sight's rules, shared by its flight and by the authors' tools that predict it: where it
// waits, the field it flies in (leaving it shoots), the speeds steering reaches (up to
// kSightMaxSpeed, down to SightSpeedFloor; flight clamps to +-kSightMaxSpeed), and the magnets
// it meets: diameter by SIZE, the core (that fraction of the radius) shoots, the pull reaches
// kMagnetPullRadii radii.
constexpr float kSightStartX = 15, kSightStartY = 560;
constexpr float kSightFieldLeft = 10, kSightFieldRight = 790;
constexpr float kSightFieldTop = 10, kSightFieldBottom = 590;
constexpr float kSightMaxSpeed = 9;
constexpr float SightSpeedFloor(uint8_t difficulty) {
  return difficulty == 1 ? 0.0f : 1.0f;
}
constexpr int32_t kMagnetDiameterBySize[3] = {100, 76, 50};
// The diameter of a magnet of that SIZE; a size the table lacks is the big one.
constexpr int32_t MagnetDiameter(uint8_t size) {
  return kMagnetDiameterBySize[size <= 2 ? size : 0];
}
// The difficulties by number, in the words the main menu shows them.
constexpr const char* kDifficultyNames[3] = {"normal", "kindly", "hardly"};
constexpr double kMagnetCoreRadii = 0.8;
constexpr double kMagnetPullRadii = 3.0;
// A magnet turns through this many frames (its PHAZE1 0..kMagnetFrames - 1).
constexpr int kMagnetFrames = 30;
// A target's circle by SIZE: its radius (drawn 2 x radius + 1 pixels wide); a size the table
// lacks is the big one.
constexpr int32_t kTargetRadiusBySize[3] = {19, 13, 7};
constexpr int32_t TargetRadius(uint8_t size) {
  return kTargetRadiusBySize[size <= 2 ? size : 0];
}

// Whether (x, y) lies in the field the sight flies in; a sight beyond it shoots.
constexpr bool SightFieldHolds(float x, float y) {
  return !(x > kSightFieldRight || y < kSightFieldTop || x < kSightFieldLeft ||
           y > kSightFieldBottom);
}
// A magnet's radius in whole pixels, the reach of its core (a sight inside it shoots) and of its
// pull, and how far (x, y) lies from its centre.
constexpr int32_t MagnetRadius(const TMagnetRec& m) {
  return MagnetDiameter(m.SIZE) / 2;
}
constexpr double MagnetCoreRadius(const TMagnetRec& m) {
  return kMagnetCoreRadii * MagnetRadius(m);
}
constexpr double MagnetPullRadius(const TMagnetRec& m) {
  return kMagnetPullRadii * MagnetRadius(m);
}
double MagnetDistance(const TMagnetRec& m, double x, double y);

// The game's data files: the four picture collections, in the order "graph.dat" takes them; the
// sounds; "graph.dat", the pictures made ready from the collections. The build reads these three
// lines (CMakeLists.txt): keep each on one line.
constexpr const char* kCollectionFiles[4] = {"back.ccg", "targets.ccg", "graph.ccg", "font.ccg"};
constexpr const char* kSoundFile = "wave.col";
constexpr const char* kGraphDat = "graph.dat";

class TGame {
 public:
  // system: the window and devices the game draws to and plays on; it outlives the game.
  explicit TGame(System& system);
  ~TGame();
  TGame(const TGame&) = delete;
  TGame& operator=(const TGame&) = delete;

  // --- Display and graphics ---
  System& Sys;
  std::unique_ptr<Display> DirectDraw;
  SurfacePtr Primary, BackBuffer;
  std::unique_ptr<TDXBaseSurface> Backgrounds;
  std::unique_ptr<TDXBaseSurface> BackgroundWork;
  std::unique_ptr<TLettersCollection> Font;
  std::unique_ptr<TDXBaseSurface> LogoSurface;
  std::unique_ptr<TDXBaseSurface> TargetPictures;
  std::unique_ptr<TDXBaseSurface> TargetCircles;
  std::unique_ptr<TSurfaceList> TargetWork;
  std::unique_ptr<TSurfaceList> MagnetSurfaces;
  std::unique_ptr<TDXBaseSurface> Pictures;
  std::unique_ptr<TDXBaseSurface> SightMask;
  std::unique_ptr<AudioDevice> DirectSound;
  std::unique_ptr<TWaveCollection> Sounds;
  // Free video memory the display reports at start, in KB.
  uint32_t VideoMemoryKB = 64 * 1024;

  // --- Game flow ---
  uint8_t State = gsStart;
  uint8_t Level = 0;
  std::string ScenarioFile;
  std::vector<std::string> LevelTexts;
  uint8_t LoadFailure = 0;
  // After a failed graphics load: what failed, naming the file (and block) at fault, and what the
  // player can do about it (empty when nothing helps).
  std::string LoadFailureText, LoadFailureHint;
  std::atomic<uint8_t> LoadingRunning{0};
  int32_t TransitionStep = 0;
  uint8_t TransitionGrid[kTransitionColumns][kTransitionRows] = {};
  std::string Message;
  int32_t MessageFrames = 0;
  // F11 skips levels (command line "plimb").
  bool LevelSkipEnabled = false;

  // --- Settings (the player's file may keep them between runs, app/Settings.h) ---
  // The scenario the player had chosen when the settings were last kept; the end of loading
  // chooses it when it is still there.
  std::string SavedScenario;
  uint8_t Difficulty = 0;
  uint8_t Brightness = 50;
  uint8_t ControlType = 1;
  uint8_t ControlSpeed = 5;
  uint8_t SoundOn = 1;

  // --- Play ---
  int32_t Score = 0;
  int32_t PendingScore = 0;
  int32_t Bullets = 0;
  int32_t HitStreak = 0;
  int32_t TargetsHit = 0, Medals = 0, Misses = 0;
  int32_t EffectTimers[kEffectTimers + 1] = {};  // 1..7; index 0 unused
  uint8_t TimeLimitOn = 0;
  int32_t TimeCounter = 0;
  float SightX = 0, SightY = 0;
  float SightSpeedX = 0, SightSpeedY = 0;
  uint8_t SightActive = 0;
  uint8_t SightOnTarget = 0;
  uint8_t SightOnCentre = 0;
  int32_t SightTargetSlot = -1;
  int32_t MoveRestX = 0, MoveRestY = 0;
  TShotMark ShotMarks[kShotMarks];
  uint8_t NightOn = 0;
  uint8_t WindOn = 0;
  uint8_t MirrorOn = 0;
  uint8_t MagnetOn = 0;
  float WindX = 0, WindY = 0;
  std::string LevelName;  // up to 128 characters

  // --- Level records (slots 1..10; index 0 unused) ---
  TTargetRec Targets[kTargetSlots + 1];
  TMagnetRec Magnets[kMagnetSlots + 1];

  // --- Level presentation ---
  uint8_t UniformBackground = 0;
  uint32_t BackgroundColor = 0x800000;
  int32_t BackgroundIndex = 10;
  uint8_t BackgroundType = 0;
  int32_t BackgroundPhaze1 = 0;
  int32_t BackgroundPhaze2 = 0;
  int32_t BackgroundFadeFrames = 0;
  int32_t BackgroundSwingFrames = 0;
  int32_t GleamFrameLimit = 0;
  int32_t FadeFrames = 0;
  int32_t DissolveFrames = 0;
  int32_t ColourFrames = 0;
  // The generator as the level's target frames were made with: a restore after a surface loss
  // makes the same dissolve frames and leaves the game's own numbers untouched.
  Random TargetFramesRandom;

  // --- HUD and result screens ---
  int32_t HudPhase = 0;
  int32_t LevelNameTicks = 0;
  int32_t WinScrollY = 0;
  int32_t WinFirstPicture = 0;

  // --- Menus ---
  TMenuLine MenuLines[kMenuLines];

  // --- Input ---
  int32_t PointerX = 400, PointerY = 300;
  int32_t KeyLatch[256] = {};
  int32_t ButtonLatch[8] = {};

  // --- Records ---
  TRecordRow Records[kRecordRows];
  TRecordRow RecordEntry;
  // Blanks typed after the last letter of the name being entered: in RecordEntry they look like
  // its padding, so they are counted here until a letter follows them or the name is committed.
  uint8_t NameBlanks = 0;
  // The table file that last failed to load; its next save keeps the old file as NAME.bad.
  std::string RecordsFailedFile;

  // --- Replays ---
  // Games started from the menu, and the generator as the last of them started.
  uint32_t GamesStarted = 0;
  Random GameStartRandom;
  // The replay of the game whose result RecordEntry holds, without the player's name; empty when
  // that game was not recorded. Saving the result keeps it with the row.
  std::string ResultReplay;
  // The table screen: which rows have a replay to watch, and the row chosen (-1: none).
  uint8_t RecordReplays[kRecordRows] = {};
  int32_t RecordsSelected = -1;
  // The result just saved with its row, as its replay's text with the player's name, for the
  // server of shared tables; the window takes it.
  std::string ResultToSend;

  // --- The shared table of the scenario (from the server of shared tables) ---
  // A server is set: the table screen offers its table. The screen shows it in place of the
  // player's own; its rows; what the screen says of it while its rows are not there ("" when
  // they are).
  bool SharedServerSet = false;
  bool RecordsShared = false;
  TRecordRow SharedRecords[kRecordRows];
  std::string SharedStatus;
  // The rows the table screen shows now.
  const TRecordRow (&ShownRecords() const)[kRecordRows] {
    return RecordsShared ? SharedRecords : Records;
  }

  // --- Sound requests, per sound index (for tests and the state dump) ---
  int32_t SoundsPlayed[5] = {};

  // --- Frame cycle (GameUnit.cpp) ---
  void DrawFrame();
  void UpdateFrame();
  void DecrementLatches();
  void ShowMessageBox(const std::string& text, int32_t frames);
  void DrawMessageBox();
  void ClearEffectTimers();
  void DrawLevelDone();

  // --- Display (GameDisplay.cpp) ---
  bool InitDisplay();
  void QueryVideoMemory(uint32_t& totalKB, uint32_t& freeKB);

  // --- Input (Input.cpp) ---
  void SetKeyLatch(int code, bool pressed);
  bool IsKeyLatched(int code) const;
  void SetButtonLatch(int button, bool pressed);
  bool IsButtonLatched(int button) const;
  void ClearKeyLatches();
  void ClearButtonLatches();
  void MovePointer(int32_t dx, int32_t dy);
  // Puts the menu pointer at a point of the frame (a finger's), kept on the screen as the mouse
  // keeps it; only in the menus and the table of records, where the pointer is shown.
  void PlacePointer(int64_t x, int64_t y);

  // --- Asset loading ---
  void CreateLogo();
  // Loads every sheet on the loading thread while the window is kept alive; false on failure
  // (LoadFailure 1, State gsStart).
  bool StartLoading();
  // A "graph.dat" in the player's cache found damaged is made again from the collections, once.
  bool LoadGraphics();
  // One try: with rebuild, "graph.dat" is made afresh; cacheDamaged tells a failure caused by a
  // damaged "graph.dat" of the player's cache.
  bool LoadGraphics(bool rebuild, bool& cacheDamaged);
  // Makes "graph.dat" from the four graphics collections into bytes, with the block "sources"
  // when sources is not empty, and writes it (CacheFileName) when it can; false (nothing made or
  // written) on failure.
  bool BuildGraphDat(const std::string& sources, std::string& bytes);
  bool RestoreSurfaces();
  void BuildSightMask();
  // The level's background frames; false (BackgroundWork unchanged) for a bad index.
  bool BuildBackground();
  void BuildTargetFrames();
  void DrawLoading();

  // --- Scenario and level files ---
  bool LoadScenarioFile(const std::string& fileName);
  bool StartScenario(const std::string& fileName);
  // A new game from level `level` of LevelTexts: bullets, score and counters as at the start.
  void StartGame(int level);
  void LoadLevel(int level);
  void ResetLevel();
  // Reads one level text into the level fields; false (and LoadFailure 2) on a format error.
  // report, when given, hears what the parser reads and skips (the authors' tools).
  bool ParseLevel(const std::string& text, TLevelReport* report = nullptr);
  void NextScenario();
  void SelectScenario(const std::string& fileName);
  // Frame counts of Backgrounds and TargetPictures, which the level values choose from.
  int32_t BackgroundCount() const;
  int32_t TargetPictureCount() const;

  // --- Targets, magnets, scene ---
  // Animation and motion of one target slot (1..10) by one frame.
  void UpdateTarget(int slot);
  // Updates the slot and draws it as it stood before the update.
  void DrawTarget(int slot);
  void DrawTargets();
  void DrawMagnets();
  // The circle frames into sheet (190 cells of 39 x 39); false when a frame could not be made.
  bool BuildTargetCircles(TDXBaseSurface& sheet);
  // The 30 frames of each of the three magnet sheets of the list, with the picture "magnet".
  bool BuildMagnetFrames(TSurfaceList& magnets, TDXBaseSurface& pictures);
  void DrawBackground();
  void AdvanceBackground();
  void DrawNight();
  void DrawConditionIcons();

  // --- Sight, shooting, scoring ---
  void ResetSight();
  void SteerSight(int dx, int dy);
  // Where the flying sight stands after its next step.
  void NextSightPoint(float& x, float& y) const;
  // The first visible magnet slot (1..10) whose core holds (x, y); 0 for none.
  int32_t MagnetCoreAt(float x, float y) const;
  void MoveSight();
  void Shoot();
  // The first visible target slot (1..10) whose circle holds (x, y); slot -1 for none. centre
  // keeps the result of the last slot tested.
  void HitTest(float x, float y, bool& hit, bool& centre, int32_t& slot) const;
  void RegisterHit(int32_t slot, bool centre);
  void GiveBonus(int n);
  void AddShotMark(int32_t x, int32_t y);
  void DrawBonusIcons();
  void DrawShotMarks();
  void DrawSight();
  void LevelCleared();
  void SkipLevel();

  // --- Menus, HUD, result screens, records ---
  void BuildMainMenu();
  void BuildGameMenu();
  // Selects that line (a line that stays selected keeps its marker's phase) and plays sound 1,
  // also when nothing changes.
  void SelectMenuLine(int index);
  void MenuStep(bool forward, bool activate);
  // The selected line's action in the current menu.
  void MenuActivate();
  // The first visible line whose box holds the point; -1 for none.
  int MenuLineAt(int32_t x, int32_t y) const;
  void MenuClick();
  void DrawMenu();
  void DrawPointer();
  void DrawHud();
  // One medal per centre hit toward the next bonus bullet, top left; part of DrawHud.
  void DrawMedals();
  void GameOver();
  void GameWon();
  // Adds the points to Score weighted by difficulty, clears PendingScore and fills RecordEntry.
  void SettleResult(int64_t points, uint8_t won);
  // Score, targets, medals, misses and levels, as both result screens show them.
  void DrawStatistics();
  void DrawGameOver();
  void DrawWin();
  void ClearRecords();
  // Does row b rank above row a.
  static bool IsBetterRow(const TRecordRow& a, const TRecordRow& b);
  void SortRecords();
  // 1..10, or -1 when the row does not enter the table; sorts the table first.
  int FindRecordPlace(const TRecordRow& row);
  void InsertRecord(const TRecordRow& row);
  // The table of ScenarioFile; the versions with a name read or write that ".tbl" file.
  bool LoadRecords();
  bool SaveRecords();
  bool LoadRecords(const std::string& fileName);
  bool SaveRecords(const std::string& fileName);
  // Takes the rows of the table file when it reads well now; otherwise the table stays as it is.
  // Silent: the failures were told when the scenario was chosen.
  void RefreshRecords(const std::string& fileName);
  // Inserts row into the table of ScenarioFile as it is on disk at this moment and saves it: the
  // file is read again under the table's lock, so a result another copy of the game saved since
  // the scenario was chosen stays.
  bool SaveResult(const TRecordRow& row);
  void FinishResult(int key, bool finish);
  // The name being entered takes no more letters.
  bool NameEntryFull() const;
  void DrawNameEntry();
  void DrawRecords();
  // The row (0..9) of the table screen at the point, or -1.
  int RecordRowAt(int32_t x, int32_t y) const;
  // The point lies on the line that switches between the player's own and the shared table.
  bool OnTableSwitchLine(int32_t x, int32_t y) const;
  // Moves the choice to the next (step 1) or previous (-1) row that has a replay.
  void SelectRecordReplay(int step);

  // --- Sound ---
  bool InitSound();
  // Reads "wave.col" into Sounds; without it the game is silent (SoundOn 0, no Sounds).
  bool LoadSounds();
  void PlaySound(int index);

  // The play frame's drawing and moving, in order.
  void DrawPlayFrame();
};
