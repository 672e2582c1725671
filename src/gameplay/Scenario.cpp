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

#include "game/GameUnit.h"
#include "assets/Collections.h"
#include "assets/FileUtils.h"
#include "base/TextCase.h"
#include "display/SpriteSurface.h"
#include "gameplay/LevelReport.h"
#include "gameplay/ScenarioFile.h"
#include "platform/Input.h"
#include "base/Numbers.h"
#include "base/Random.h"

namespace {

constexpr int kLevelNameLength = 128;
constexpr int32_t kDefaultTimeCounter = 1000;

// Looks the level's keys up, each with its rule, and tells the report (when there is one) what it
// reads and what it does not take as written. Every reader that can meet a format error returns
// false, which ends the parse with what was read so far.
class LevelKeys {
 public:
  LevelKeys(const TIndexCollection& keys, TLevelReport* report) : keys_(keys), report_(report) {}

  [[nodiscard]] bool Flag(const std::string& key, uint8_t& field) const {
    const int i = Find(key);
    if (i < 0) return true;
    bool on;
    if (!keys_.TryGetBool(i, on)) {
      if (report_) report_->FormatError(i, "the flag " + key + " has no value");
      return false;
    }
    field = on ? 1 : 0;
    if (report_ && on) {
      // Only a leading "0" turns a flag off: a word meant as off, or a blank before the 0, is on.
      const std::string value = keys_.GetValue(i);
      std::string word = value;
      for (char& c : word)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
      static constexpr const char* kOffWords[] = {"no", "n", "false", "f", "off", "none"};
      const bool offWord = std::find(std::begin(kOffWords), std::end(kOffWords), word) !=
                           std::end(kOffWords);
      if (offWord || value[0] == ' ' || value[0] == '\t')
        report_->ValueChanged(i, key + "='" + value +
                                     "' reads as on (1): a flag is off only when its value "
                                     "starts with the digit 0" +
                                     (offWord ? "" : ", and this one starts with a blank"));
    }
    return true;
  }
  bool Int(const std::string& key, int32_t& field) const {
    const int i = Find(key);
    if (i < 0) return false;
    field = keys_.GetInt(i);
    if (report_ && !keys_.TryGetInt(i, field))
      report_->ValueChanged(i,
                            key + "='" + keys_.GetValue(i) + "' is not an integer and reads as 0");
    return true;
  }
  // 0..max; any other value becomes 0.
  bool Ranged(const std::string& key, uint8_t& field, int32_t max) const {
    int32_t v;
    if (!Int(key, v)) return false;
    const bool inRange = v >= 0 && v <= max;
    field = uint8_t(inRange ? v : 0);
    if (!inRange && report_)
      Changed(key, key + "=" + std::to_string(v) + " is outside 0.." + std::to_string(max) +
                       " and becomes 0");
    return true;
  }
  bool Text(const std::string& key, std::string& field) const {
    const int i = Find(key);
    if (i < 0) return false;
    field = keys_.GetValue(i);
    return true;
  }
  bool Reporting() const { return report_ != nullptr; }
  // Tells the report that the value of key is not taken as written.
  void Changed(const std::string& key, const std::string& why) const {
    if (report_) report_->ValueChanged(keys_.FindKey(key), why);
  }

 private:
  int Find(const std::string& key) const {
    const int i = keys_.FindKey(key);
    if (report_) report_->KeyRead(key, i);
    return i;
  }
  const TIndexCollection& keys_;
  TLevelReport* report_;
};

std::string SlotKey(char kind, int slot, const char* property) {
  return kind + std::to_string(slot) + "_" + property;
}

// The level's name, its conditions and its time limit (scaled by the difficulty); false on a
// format error.
bool ParseConditions(TGame& g, const LevelKeys& keys) {
  if (keys.Text("NAME", g.LevelName) && g.LevelName.size() > kLevelNameLength) {
    g.LevelName.resize(kLevelNameLength);
    keys.Changed("NAME", "the name is cut to its first 128 characters");
  }
  if (!keys.Flag("ISNIGHT", g.NightOn) || !keys.Flag("ISWIND", g.WindOn) ||
      !keys.Flag("ISMIRROR", g.MirrorOn) || !keys.Flag("ISTIME", g.TimeLimitOn))
    return false;
  int32_t v;
  // Seven tenths as 7 / 10 of the whole value: 0.7 has no exact binary form, and v x 0.7 would
  // land beside the halves (45 x 0.7 is 31.5, to be rounded to 32).
  if (keys.Int("TIMELIMIT", v))
    g.TimeCounter = g.Difficulty == 1   ? Round(v * 1.5)
                    : g.Difficulty == 2 ? Round(double(int64_t(v) * 7) / 10.0)
                                        : v;
  if (keys.Int("WINDX", v)) g.WindX = float(v);
  if (keys.Int("WINDY", v)) g.WindY = float(v);
  return keys.Flag("ISMAGNET", g.MagnetOn) &&
         keys.Flag("ISUNIFORMBACKGROUND", g.UniformBackground);
}

// The background's colour, picture (one at random when it is missing or not one of the sheet's),
// kind and phases.
void ParseBackground(TGame& g, const LevelKeys& keys) {
  int32_t v;
  if (keys.Int("BACKGROUNDCOLOR", v)) g.BackgroundColor = uint32_t(v);
  const bool backgroundGiven = keys.Int("BACKGROUNDINDEX", g.BackgroundIndex);
  const int32_t backgrounds = g.BackgroundCount();
  if (backgroundGiven && (g.BackgroundIndex < 0 || g.BackgroundIndex >= backgrounds))
    keys.Changed("BACKGROUNDINDEX", "BACKGROUNDINDEX=" + std::to_string(g.BackgroundIndex) +
                                        " is outside the " + std::to_string(backgrounds) +
                                        " backgrounds (0.." + std::to_string(backgrounds - 1) +
                                        "); one is chosen at random at every start");
  if (g.BackgroundIndex < 0 || g.BackgroundIndex >= backgrounds)
    g.BackgroundIndex = GameRandom().Int(backgrounds);
  keys.Ranged("BACKGROUNDTYPE", g.BackgroundType, 4);
  keys.Int("BACKGROUNDPHAZE1", g.BackgroundPhaze1);
  keys.Int("BACKGROUNDPHAZE2", g.BackgroundPhaze2);
}

// Target slot i (1..10); the difficulty sets the size. False on a format error.
bool ParseTarget(TGame& g, const LevelKeys& keys, int i) {
  TTargetRec& t = g.Targets[i];
  if (!keys.Flag(SlotKey('T', i, "VISIBLE"), t.VISIBLE) ||
      !keys.Flag(SlotKey('T', i, "NEEDHIT"), t.NEEDHIT))
    return false;
  keys.Int(SlotKey('T', i, "X"), t.X);
  keys.Int(SlotKey('T', i, "Y"), t.Y);
  keys.Ranged(SlotKey('T', i, "ISBONUS"), t.ISBONUS, 3);
  keys.Ranged(SlotKey('T', i, "BONUSNUMBER"), t.BONUSNUMBER, 8);
  keys.Ranged(SlotKey('T', i, "TYPE"), t.TYPE, 7);
  keys.Ranged(SlotKey('T', i, "SIZE"), t.SIZE, 2);
  if (g.Difficulty == 1) t.SIZE = 0;
  if (g.Difficulty == 2) t.SIZE = 2;
  const int32_t pictures = g.TargetPictureCount();
  const std::string pictureKey = SlotKey('T', i, "PICTUREINDEX");
  if (keys.Int(pictureKey, t.PICTUREINDEX) && (t.PICTUREINDEX < 0 || t.PICTUREINDEX >= pictures)) {
    keys.Changed(pictureKey, pictureKey + "=" + std::to_string(t.PICTUREINDEX) +
                                 " is outside the " + std::to_string(pictures) +
                                 " target pictures (0.." + std::to_string(pictures - 1) +
                                 "); one other than 0 is chosen at random at every start");
    t.PICTUREINDEX = RandomPictureIndex(pictures);
  }
  keys.Int(SlotKey('T', i, "PHAZE1"), t.PHAZE1);
  keys.Int(SlotKey('T', i, "PHAZE2"), t.PHAZE2);
  keys.Ranged(SlotKey('T', i, "GOTYPE"), t.GOTYPE, 2);
  const std::string pathKey = SlotKey('T', i, "COORDARRAY");
  std::string path;
  if (keys.Text(pathKey, path))
    ParsePathPoints(path, t.COORDARRAY,
                    keys.Reporting() ? [&](const std::string& why) {
                      keys.Changed(pathKey, pathKey + ": " + why);
                    } : std::function<void(const std::string&)>());
  return true;
}

// Magnet slot i (1..10); false on a format error.
bool ParseMagnet(TMagnetRec& m, const LevelKeys& keys, int i) {
  if (!keys.Flag(SlotKey('M', i, "VISIBLE"), m.VISIBLE)) return false;
  keys.Int(SlotKey('M', i, "X"), m.X);
  keys.Int(SlotKey('M', i, "Y"), m.Y);
  keys.Ranged(SlotKey('M', i, "SIZE"), m.SIZE, 2);
  keys.Int(SlotKey('M', i, "PHAZE1"), m.PHAZE1);
  return true;
}

}  // namespace

int32_t TGame::BackgroundCount() const {
  // Without sheets (before loading, in tests and tools) the counts of the shipped sheets.
  return Backgrounds ? Backgrounds->FrameCount : kShippedBackgrounds;
}

int32_t TGame::TargetPictureCount() const {
  return TargetPictures ? TargetPictures->FrameCount : kShippedTargetPictures;
}

bool TGame::LoadScenarioFile(const std::string& fileName) {
  LevelTexts.clear();
  std::string file;
  if (!ReadFileToString(ResolveFileName(fileName), file, 0, kMaxScenarioFileBytes)) return false;
  return SplitScenario(file, LevelTexts);
}

bool TGame::StartScenario(const std::string& fileName) {
  if (!LoadScenarioFile(fileName)) return false;
  if (LevelTexts.empty()) {
    ShowMessageBox("Scanario is not\r\ncontain levels!", kMessageBoxFrames);
    return false;
  }
  ++GamesStarted;
  GameStartRandom = GameRandom();
  StartGame(1);
  return true;
}

void TGame::StartGame(int level) {
  Bullets = Difficulty == 1 ? 10 : Difficulty == 2 ? 4 : 7;
  Level = 0;
  Score = 0;
  PendingScore = 0;
  HitStreak = 0;
  State = gsPlaying;
  LoadLevel(level);
  TargetsHit = Medals = Misses = 0;
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

bool TGame::ParseLevel(const std::string& text, TLevelReport* report) {
  // The flag tells about the last level read; a graphics failure stays.
  if (LoadFailure == 2) LoadFailure = 0;
  ResetLevel();
  TIndexCollection collection;
  SplitLevelText(text, collection);
  const LevelKeys keys(collection, report);
  // The keys are read in this order, which tells what an early format error leaves unread.
  bool read = ParseConditions(*this, keys);
  if (read) ParseBackground(*this, keys);
  for (int i = 1; read && i <= kTargetSlots; ++i) read = ParseTarget(*this, keys, i);
  for (int i = 1; read && i <= kMagnetSlots; ++i) read = ParseMagnet(Magnets[i], keys, i);
  if (read) return true;
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
