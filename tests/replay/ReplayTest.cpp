// Replays: the text format, and checking a recorded game by playing it again.
#include <gtest/gtest.h>

#include <optional>

#include "app/Main.h"
#include "platform/System.h"
#include "replay/ReplayCheck.h"
#include "replay/ReplayFile.h"

namespace {

const std::string kSha(64, 'a');

std::string MinimalReplay(const std::string& more = "") {
  return "# vor-replay 1\n# vor-replay scenario " + kSha + " main.lev\n# vor-replay data " + kSha +
         "\n# vor-replay seed 0000000100000002000000030000000f\n# vor-replay input 0 0 0 0 0 0 1\n"
         "# vor-replay pad 0\n" +
         more;
}

TEST(ReplayFile, WritesWhatItReads) {
  TReplay r;
  r.scenarioSha256 = kSha;
  r.scenarioName = "my level.lev";
  r.dataSha256 = std::string(64, '0');
  r.seed = {1, 0xdeadbeef, 3, 4};
  r.input = {1, 28, 5, 0, 0, 0, 0, 0, 1};
  r.pad = std::vector<int64_t>(46, 0);
  r.touch = {0, 1, 0, 0, 100, 100, 140, 90, 100, 100};
  r.keyLatch[57] = 10;
  r.buttonLatch[0] = 5;
  r.mousePoll = true;
  r.name = "\xC8\xE2\xE0\xED Ivan";  // cp1251, with a blank
  r.settings.difficulty = 2;
  r.settings.controlType = 0;
  ScriptEvent e;
  e.tick = 3;
  e.input = {InputEvent::Kind::Key, DIK_SPACE, 1};
  r.events.push_back(e);
  e.tick = 7;
  e.input = {InputEvent::Kind::MouseMove, -5, 12};
  r.events.push_back(e);

  const std::string text = FormatReplay(r);
  TReplay back;
  std::string error;
  ASSERT_TRUE(ParseReplay(text, back, error)) << error << "\n" << text;
  EXPECT_EQ(FormatReplay(back), text);
  EXPECT_EQ(back.scenarioName, "my level.lev");
  EXPECT_EQ(back.name, r.name);
  EXPECT_EQ(back.seed, r.seed);
  EXPECT_EQ(back.touch, r.touch);
  EXPECT_EQ(back.keyLatch[57], 10);
  EXPECT_EQ(back.buttonLatch[0], 5);
  EXPECT_TRUE(back.mousePoll);
  ASSERT_EQ(back.events.size(), 2u);
  EXPECT_EQ(back.events[1].input.b, 12);
}

TEST(ReplayFile, RefusesWhatNoGameWrote) {
  const std::string good = MinimalReplay();
  struct Case {
    std::string text, why;
  } cases[] = {
      {"", "empty"},
      {"# vor-replay 2\n", "another version"},
      {"# vor-script 1\n1 key Enter down\n", "a script"},
      {good.substr(good.find('\n') + 1), "no version line"},
      {MinimalReplay("# vor-replay seed 00000000000000000000000000000000\n"), "seed twice"},
      {"# vor-replay 1\n# vor-replay data " + kSha + "\n", "no scenario"},
      {MinimalReplay("# vor-replay speed 4\n"), "unknown line"},
      {MinimalReplay("# vor-replay latches 300:1\n"), "latch of no key"},
      {MinimalReplay("# vor-replay touch 0\n# vor-replay touch 0\n"), "touch twice"},
      {MinimalReplay("# vor-replay name ABCDEFGHIJK\n"), "eleven letters"},
      {MinimalReplay("# vor-setting difficulty=hard\n"), "damaged setting"},
      {MinimalReplay("# vor-setting scenario=x.lev\n"), "scenario as a setting"},
      {MinimalReplay("5 dump x.json\n"), "a dump writes a file"},
      {MinimalReplay("0 key Enter down\n"), "tick 0"},
      {MinimalReplay("5 key Nokey down\n"), "unknown key"},
      {MinimalReplay(std::string(1, '\0')), "zero byte"},
      {MinimalReplay(std::string(kMaxReplayBytes, '#')), "too large"},
  };
  for (const Case& c : cases) {
    TReplay r;
    std::string error;
    EXPECT_FALSE(ParseReplay(c.text, r, error)) << c.why;
    EXPECT_FALSE(error.empty()) << c.why;
  }
}

#ifdef VOR_DATA_DIR
struct LiveGame {
  TRecordRow row;
  std::string replay;
};

// A game played from the start of the program by a script, seeded, to its result screen.
std::optional<LiveGame> PlayLive(const std::string& script) {
  std::vector<ScriptEvent> events;
  std::string error;
  if (!ParseScript(script, "test", events, error)) return std::nullopt;
  Options options;
  options.headless = true;
  options.seed = 11;
  auto system = System::Create(true, false);
  TForm1 form(options, *system, events);
  form.UseFileFolders({VOR_DATA_DIR, "", ""});
  if (!form.FormCreate()) return std::nullopt;
  for (int i = 0; i < 4000; ++i) {
    form.Tick();
    const TGame& g = *form.Game();
    if (g.State == gsGameOver || g.State == gsWin) {
      LiveGame live{g.RecordEntry, g.ResultReplay};
      form.FormDestroy();
      return live;
    }
  }
  form.FormDestroy();
  return std::nullopt;
}

// New game, then with mouse control: launch, steer by moving the mouse, shoot; the last shot
// comes at shotTick. Every shot that misses costs a bullet, so the game ends.
std::string GameScript(int shotTick) {
  std::string s = "10 key Enter down\n11 key Enter up\n";
  for (int t = 30; t < 900; t += 40) {
    const int shot = t == 270 ? shotTick : t + 20;
    s += std::to_string(t) + " button 0 down\n" + std::to_string(t + 1) + " button 0 up\n";
    s += std::to_string(t + 3) + " mouse " + std::to_string(30 + t % 70) + " -25\n";
    s += std::to_string(shot) + " button 0 down\n" + std::to_string(shot + 1) + " button 0 up\n";
  }
  return s;
}

void ExpectResult(const TReplayCheck& check, const TRecordRow& row) {
  ASSERT_EQ(check.refusal, TReplayRefusal::None) << check.reason;
  EXPECT_EQ(check.result.scenario, "main.lev");
  EXPECT_EQ(check.result.score, row.score);
  EXPECT_EQ(check.result.targets, row.targets);
  EXPECT_EQ(check.result.medals, row.medals);
  EXPECT_EQ(check.result.levels, row.levels);
  EXPECT_EQ(check.result.misses, row.misses);
  EXPECT_EQ(check.result.won, row.won);
  EXPECT_EQ(check.result.difficulty, row.difficulty);
}

TEST(ReplayCheck, AGameAndAChangedGameEachGiveTheirOwnResult) {
  const auto live = PlayLive(GameScript(290));
  ASSERT_TRUE(live);
  ASSERT_FALSE(live->replay.empty());
  ExpectResult(CheckReplay(live->replay, VOR_DATA_DIR), live->row);

  // One shot later: the live game with that change, and its replay, agree with each other, and
  // not with the first game.
  const auto changed = PlayLive(GameScript(262 + 20 + 15));
  ASSERT_TRUE(changed);
  EXPECT_NE(changed->replay, live->replay);
  ExpectResult(CheckReplay(changed->replay, VOR_DATA_DIR), changed->row);
}

TEST(ReplayCheck, RefusesWhatCannotGiveAResult) {
  const auto live = PlayLive(GameScript(290));
  ASSERT_TRUE(live);
  TReplay r;
  std::string error;
  ASSERT_TRUE(ParseReplay(live->replay, r, error)) << error;
  auto with = [&](auto change) {
    TReplay c = r;
    change(c);
    return CheckReplay(FormatReplay(c), VOR_DATA_DIR).refusal;
  };
  EXPECT_EQ(CheckReplay("garbage", VOR_DATA_DIR).refusal, TReplayRefusal::Malformed);
  EXPECT_EQ(with([](TReplay& c) { c.dataSha256 = kSha; }), TReplayRefusal::UnknownData);
  EXPECT_EQ(with([](TReplay& c) { c.scenarioSha256 = kSha; }), TReplayRefusal::UnknownScenario);
  EXPECT_EQ(with([](TReplay& c) { c.events.clear(); }), TReplayRefusal::NoResult);
  EXPECT_EQ(CheckReplay(live->replay, VOR_DATA_DIR, 100).refusal, TReplayRefusal::OverBound);
  EXPECT_EQ(CheckReplay(live->replay, "/nonexistent").refusal, TReplayRefusal::UnknownData);
}
#endif

}  // namespace
