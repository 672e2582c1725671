// The game's state as JSON, for scripted runs and tests.
#include <cstdio>
#include <string>

#include "app/Main.h"
#include "base/Cp1251.h"

namespace {

class Json {
 public:
  std::string out;
  void Key(const char* k) {
    Sep();
    out += '"';
    out += k;
    out += "\":";
    first_ = true;  // the value follows without a comma
  }
  void Num(double v) {
    Sep();
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.9g", v);
    out += buf;
  }
  void Int(int64_t v) {
    Sep();
    out += std::to_string(v);
  }
  void Str(const std::string& cp1251) {
    Sep();
    out += '"';
    for (unsigned char c : Cp1251ToUtf8(cp1251)) {
      if (c == '"' || c == '\\') {
        out += '\\';
        out += char(c);
      } else if (c < 0x20) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "\\u%04x", c);
        out += buf;
      } else {
        out += char(c);
      }
    }
    out += '"';
  }
  void Open(char c) {
    Sep();
    out += c;
    first_ = true;
  }
  void Close(char c) {
    out += c;
    first_ = false;
  }
  template <typename T>
  void Field(const char* k, T v) {
    Key(k);
    if constexpr (std::is_floating_point_v<T>)
      Num(v);
    else
      Int(static_cast<int64_t>(v));
  }

 private:
  void Sep() {
    if (!first_) out += ',';
    first_ = false;
  }
  bool first_ = true;
};

void Row(Json& j, const TRecordRow& r) {
  j.Open('{');
  j.Field("used", r.used);
  j.Key("name");
  j.Str(std::string(r.name, std::min<size_t>(r.nameLength, sizeof r.name)));
  j.Field("score", r.score);
  j.Field("targets", r.targets);
  j.Field("medals", r.medals);
  j.Field("levels", r.levels);
  j.Field("won", r.won);
  j.Field("difficulty", r.difficulty);
  j.Field("misses", r.misses);
  j.Close('}');
}

}  // namespace

std::string StateJson(const TGame& g, int64_t tick) {
  Json j;
  j.Open('{');
  j.Field("Tick", tick);
  j.Field("State", g.State);
  j.Field("Level", g.Level);
  j.Field("LevelCount", g.LevelTexts.size());
  j.Field("Score", g.Score);
  j.Field("PendingScore", g.PendingScore);
  j.Field("Bullets", g.Bullets);
  j.Field("HitStreak", g.HitStreak);
  j.Field("TargetsHit", g.TargetsHit);
  j.Field("Medals", g.Medals);
  j.Field("Misses", g.Misses);
  j.Field("Difficulty", g.Difficulty);
  j.Field("Brightness", g.Brightness);
  j.Field("ControlType", g.ControlType);
  j.Field("ControlSpeed", g.ControlSpeed);
  j.Field("SoundOn", g.SoundOn);
  j.Key("ScenarioFile");
  j.Str(g.ScenarioFile);
  j.Key("Message");
  j.Str(g.Message);
  j.Field("MessageFrames", g.MessageFrames);
  j.Field("LoadFailure", g.LoadFailure);
  j.Field("SightX", g.SightX);
  j.Field("SightY", g.SightY);
  j.Field("SightSpeedX", g.SightSpeedX);
  j.Field("SightSpeedY", g.SightSpeedY);
  j.Field("SightActive", g.SightActive);
  j.Field("TimeLimitOn", g.TimeLimitOn);
  j.Field("TimeCounter", g.TimeCounter);
  j.Key("EffectTimers");
  j.Open('[');
  for (int i = 1; i <= kEffectTimers; ++i) j.Int(g.EffectTimers[i]);
  j.Close(']');
  j.Field("NightOn", g.NightOn);
  j.Field("WindOn", g.WindOn);
  j.Field("MirrorOn", g.MirrorOn);
  j.Field("MagnetOn", g.MagnetOn);
  j.Key("LevelName");
  j.Str(g.LevelName);
  j.Field("PointerX", g.PointerX);
  j.Field("PointerY", g.PointerY);
  j.Field("BackgroundIndex", g.BackgroundIndex);
  j.Field("BackgroundType", g.BackgroundType);
  j.Key("Targets");
  j.Open('[');
  for (int i = 1; i <= kTargetSlots; ++i) {
    const TTargetRec& t = g.Targets[i];
    j.Open('{');
    j.Field("VISIBLE", t.VISIBLE);
    j.Field("NEEDHIT", t.NEEDHIT);
    j.Field("X", t.X);
    j.Field("Y", t.Y);
    j.Field("TYPE", t.TYPE);
    j.Field("SIZE", t.SIZE);
    j.Field("PICTUREINDEX", t.PICTUREINDEX);
    j.Field("PHAZE1", t.PHAZE1);
    j.Field("GOTYPE", t.GOTYPE);
    j.Field("PathIndex", t.PathIndex);
    j.Field("ISBONUS", t.ISBONUS);
    j.Field("BONUSNUMBER", t.BONUSNUMBER);
    j.Close('}');
  }
  j.Close(']');
  j.Key("Magnets");
  j.Open('[');
  for (int i = 1; i <= kMagnetSlots; ++i) {
    const TMagnetRec& m = g.Magnets[i];
    j.Open('{');
    j.Field("VISIBLE", m.VISIBLE);
    j.Field("X", m.X);
    j.Field("Y", m.Y);
    j.Field("SIZE", m.SIZE);
    j.Field("PHAZE1", m.PHAZE1);
    j.Close('}');
  }
  j.Close(']');
  j.Key("MenuLines");
  j.Open('[');
  for (const TMenuLine& l : g.MenuLines) {
    j.Open('{');
    j.Key("Text");
    j.Str(l.Text);
    j.Field("Visible", l.Visible);
    j.Field("Selected", l.Selected);
    j.Close('}');
  }
  j.Close(']');
  j.Key("Records");
  j.Open('[');
  for (const TRecordRow& r : g.Records) Row(j, r);
  j.Close(']');
  j.Key("RecordEntry");
  Row(j, g.RecordEntry);
  j.Field("RecordsSelected", g.RecordsSelected);
  j.Key("RecordReplays");
  j.Open('[');
  for (uint8_t r : g.RecordReplays) j.Int(r);
  j.Close(']');
  j.Field("SharedServerSet", g.SharedServerSet);
  j.Field("RecordsShared", g.RecordsShared);
  j.Key("SharedStatus");
  j.Str(g.SharedStatus);
  j.Key("SharedRecords");
  j.Open('[');
  for (const TRecordRow& r : g.SharedRecords) Row(j, r);
  j.Close(']');
  j.Key("SoundsPlayed");
  j.Open('[');
  for (int32_t n : g.SoundsPlayed) j.Int(n);
  j.Close(']');
  j.Close('}');
  j.out += '\n';
  return j.out;
}
