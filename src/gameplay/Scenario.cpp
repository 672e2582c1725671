// Scenarios and levels: choosing, reading and starting a scenario, and reading one level's text
// into the game object.
//
// Level text: lines ended by CR, each KEY=value. The key is everything before the first "=" (upper-
// cased, ASCII letters only), the value everything after it; neither is trimmed. Lines without "="
// are ignored; of a repeated key the first counts. Values are flags (false when the first
// character is "0"; an empty flag is a format error that ends the parse), integers (ParseTextInt)
// or text.
#include <algorithm>
#include <string>

#include "app/GameUnit.h"
#include "assets/Collections.h"
#include "assets/FileUtils.h"
#include "assets/TextCase.h"
#include "display/SpriteSurface.h"
#include "gameplay/ScenarioFile.h"
#include "platform/Input.h"
#include "platform/Numbers.h"
#include "platform/Random.h"

namespace {

constexpr int kLevelNameLength = 128;
constexpr int32_t kDefaultTimeCounter = 1000;

// Without sheets (before loading, in tests) the counts of the shipped sheets.
constexpr int32_t kDefaultBackgroundCount = 20;
constexpr int32_t kDefaultTargetPictureCount = 16;

std::string UpperKey(std::string key) {
  for (char& c : key)
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  return key;
}

void SplitLevelText(const std::string& text, TIndexCollection& keys) {
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t end = std::min(text.find('\r', pos), text.size());
    const std::string line = text.substr(pos, end - pos);
    const size_t eq = line.find('=');
    if (eq != std::string::npos) keys.AddValue(UpperKey(line.substr(0, eq)), line.substr(eq + 1));
    pos = end + 1;
  }
}

// Looks the level's keys up, each with its rule. Every reader that can meet a format error returns
// false, which ends the parse with what was read so far.
class LevelKeys {
 public:
  explicit LevelKeys(const TIndexCollection& keys) : keys_(keys) {}

  [[nodiscard]] bool Flag(const std::string& key, uint8_t& field) const {
    const int i = keys_.FindKey(key);
    if (i < 0) return true;
    bool on;
    if (!keys_.TryGetBool(i, on)) return false;
    field = on ? 1 : 0;
    return true;
  }
  bool Int(const std::string& key, int32_t& field) const {
    const int i = keys_.FindKey(key);
    if (i < 0) return false;
    field = keys_.GetInt(i);
    return true;
  }
  // 0..max; any other value becomes 0.
  bool Ranged(const std::string& key, uint8_t& field, int32_t max) const {
    int32_t v;
    if (!Int(key, v)) return false;
    field = uint8_t(v >= 0 && v <= max ? v : 0);
    return true;
  }
  bool Text(const std::string& key, std::string& field) const {
    const int i = keys_.FindKey(key);
    if (i < 0) return false;
    field = keys_.GetValue(i);
    return true;
  }

 private:
  const TIndexCollection& keys_;
};

std::string SlotKey(char kind, int slot, const char* property) {
  return kind + std::to_string(slot) + "_" + property;
}

}  // namespace

int32_t TGame::BackgroundCount() const {
  return Backgrounds ? Backgrounds->FrameCount : kDefaultBackgroundCount;
}

int32_t TGame::TargetPictureCount() const {
  return TargetPictures ? TargetPictures->FrameCount : kDefaultTargetPictureCount;
}

bool TGame::LoadScenarioFile(const std::string& fileName) {
  LevelTexts.clear();
  std::string file;
  if (!ReadFileToString(ResolveFileName(fileName), file)) return false;
  return SplitScenario(file, LevelTexts);
}

bool TGame::StartScenario(const std::string& fileName) {
  if (!LoadScenarioFile(fileName)) return false;
  if (LevelTexts.empty()) {
    ShowMessageBox("Scanario is not\r\ncontain levels!", kMessageBoxFrames);
    return false;
  }
  Bullets = Difficulty == 1 ? 10 : Difficulty == 2 ? 4 : 7;
  Level = 0;
  Score = 0;
  PendingScore = 0;
  HitStreak = 0;
  State = gsPlaying;
  LoadLevel(1);
  TargetsHit = Medals = Misses = 0;
  return true;
}

void TGame::LoadLevel(int level) {
  State = gsLevelLoading;
  Level = uint8_t(level);
  // A level past the scenario's end (never asked for by the game) plays with the defaults.
  const bool exists = Level >= 1 && Level <= LevelTexts.size();
  ParseLevel(exists ? LevelTexts[Level - 1] : std::string());
  BuildBackground();
  BuildTargetFrames();
  for (TShotMark& mark : ShotMarks) mark = TShotMark{};
  ClearEffectTimers();
  ResetSight();
  ClearKeyLatches();
  // A Space still held from before must not fire at once.
  KeyLatch[DIK_SPACE] = 10;
  State = gsPlaying;
}

void TGame::ResetLevel() {
  LevelName.clear();
  LevelNameTicks = 0;
  NightOn = WindOn = MirrorOn = TimeLimitOn = MagnetOn = UniformBackground = 0;
  TimeCounter = kDefaultTimeCounter;
  WindX = WindY = 0;
  BackgroundColor = 0;
  BackgroundIndex = GameRandom().Int(BackgroundCount());
  BackgroundType = 0;
  BackgroundPhaze1 = BackgroundPhaze2 = 0;
  const int32_t pictures = TargetPictureCount();
  for (int i = 1; i <= kTargetSlots; ++i) {
    TTargetRec& t = Targets[i];
    t = TTargetRec{};
    t.PICTUREINDEX = RandomPictureIndex(pictures);
    t.PathIndex = -1;
    t.GlideX = float(t.X);
    t.GlideY = float(t.Y);
  }
  for (int i = 1; i <= kMagnetSlots; ++i) Magnets[i] = TMagnetRec{};
}

bool TGame::ParseLevel(const std::string& text) {
  // The flag tells about the last level read; a graphics failure stays.
  if (LoadFailure == 2) LoadFailure = 0;
  ResetLevel();
  TIndexCollection collection;
  SplitLevelText(text, collection);
  const LevelKeys keys(collection);

  auto parse = [&]() -> bool {
    if (keys.Text("NAME", LevelName) && LevelName.size() > kLevelNameLength)
      LevelName.resize(kLevelNameLength);
    if (!keys.Flag("ISNIGHT", NightOn) || !keys.Flag("ISWIND", WindOn) ||
        !keys.Flag("ISMIRROR", MirrorOn) || !keys.Flag("ISTIME", TimeLimitOn))
      return false;
    int32_t v;
    // Seven tenths as 7 / 10 of the whole value: 0.7 has no exact binary form, and v x 0.7 would
    // land beside the halves (45 x 0.7 is 31.5, to be rounded to 32).
    if (keys.Int("TIMELIMIT", v))
      TimeCounter = Difficulty == 1   ? Round(v * 1.5)
                    : Difficulty == 2 ? Round(double(int64_t(v) * 7) / 10.0)
                                      : v;
    if (keys.Int("WINDX", v)) WindX = float(v);
    if (keys.Int("WINDY", v)) WindY = float(v);
    if (!keys.Flag("ISMAGNET", MagnetOn) || !keys.Flag("ISUNIFORMBACKGROUND", UniformBackground))
      return false;
    if (keys.Int("BACKGROUNDCOLOR", v)) BackgroundColor = uint32_t(v);
    keys.Int("BACKGROUNDINDEX", BackgroundIndex);
    const int32_t backgrounds = BackgroundCount();
    if (BackgroundIndex < 0 || BackgroundIndex >= backgrounds)
      BackgroundIndex = GameRandom().Int(backgrounds);
    keys.Ranged("BACKGROUNDTYPE", BackgroundType, 4);
    keys.Int("BACKGROUNDPHAZE1", BackgroundPhaze1);
    keys.Int("BACKGROUNDPHAZE2", BackgroundPhaze2);

    const int32_t pictures = TargetPictureCount();
    for (int i = 1; i <= kTargetSlots; ++i) {
      TTargetRec& t = Targets[i];
      if (!keys.Flag(SlotKey('T', i, "VISIBLE"), t.VISIBLE) ||
          !keys.Flag(SlotKey('T', i, "NEEDHIT"), t.NEEDHIT))
        return false;
      keys.Int(SlotKey('T', i, "X"), t.X);
      keys.Int(SlotKey('T', i, "Y"), t.Y);
      keys.Ranged(SlotKey('T', i, "ISBONUS"), t.ISBONUS, 3);
      keys.Ranged(SlotKey('T', i, "BONUSNUMBER"), t.BONUSNUMBER, 8);
      keys.Ranged(SlotKey('T', i, "TYPE"), t.TYPE, 7);
      keys.Ranged(SlotKey('T', i, "SIZE"), t.SIZE, 2);
      if (Difficulty == 1) t.SIZE = 0;
      if (Difficulty == 2) t.SIZE = 2;
      if (keys.Int(SlotKey('T', i, "PICTUREINDEX"), t.PICTUREINDEX) &&
          (t.PICTUREINDEX < 0 || t.PICTUREINDEX >= pictures))
        t.PICTUREINDEX = RandomPictureIndex(pictures);
      keys.Int(SlotKey('T', i, "PHAZE1"), t.PHAZE1);
      keys.Int(SlotKey('T', i, "PHAZE2"), t.PHAZE2);
      keys.Ranged(SlotKey('T', i, "GOTYPE"), t.GOTYPE, 2);
      std::string path;
      if (keys.Text(SlotKey('T', i, "COORDARRAY"), path)) ParsePathPoints(path, t.COORDARRAY);
    }
    for (int i = 1; i <= kMagnetSlots; ++i) {
      TMagnetRec& m = Magnets[i];
      if (!keys.Flag(SlotKey('M', i, "VISIBLE"), m.VISIBLE)) return false;
      keys.Int(SlotKey('M', i, "X"), m.X);
      keys.Int(SlotKey('M', i, "Y"), m.Y);
      keys.Ranged(SlotKey('M', i, "SIZE"), m.SIZE, 2);
      keys.Int(SlotKey('M', i, "PHAZE1"), m.PHAZE1);
    }
    return true;
  };
  if (parse()) return true;
  LoadFailure = 2;
  return false;
}

void TGame::NextScenario() {
  const std::vector<std::string> names = ListScenarioFiles();
  if (names.empty()) return;
  auto it = std::find_if(names.begin(), names.end(), [&](const std::string& name) {
    return SameFileNameIgnoringCase(name, ScenarioFile);
  });
  if (it == names.end())
    it = names.begin();
  else if (++it == names.end())
    it = names.begin();
  SelectScenario(*it);
}

void TGame::SelectScenario(const std::string& fileName) {
  ScenarioFile = fileName;
  if (!LoadRecords()) ClearRecords();
}
