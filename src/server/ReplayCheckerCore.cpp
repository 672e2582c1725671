// The server's seam on the game core's replay run (replay/ReplayCheck.h): the same run the game makes of a replay.
#include "replay/ReplayCheck.h"
#include "replay/ReplayFile.h"
#include "server/ReplayChecker.h"

CheckOutcome CheckReplayHere(const std::string& text, const std::string& dataFolder,
                             int64_t tickBound) {
  CheckOutcome out;
  // A game run with "plimb" skips levels at F11: its result proves nothing a shared table keeps.
  TReplay parsed;
  std::string reason;
  if (ParseReplay(text, parsed, reason) && parsed.levelSkip) {
    out.verdict = CheckVerdict::Refused;
    out.reason = "it was played with level skipping (plimb), which a shared table does not take";
    return out;
  }
  const TReplayCheck check = CheckReplay(text, dataFolder, tickBound);
  out.reason = check.reason;
  switch (check.refusal) {
    case TReplayRefusal::None: out.verdict = CheckVerdict::Accepted; break;
    case TReplayRefusal::Malformed: out.verdict = CheckVerdict::Malformed; break;
    default: out.verdict = CheckVerdict::Refused; break;
  }
  if (out.verdict != CheckVerdict::Accepted) return out;
  const TReplayResult& r = check.result;
  out.result.scenarioSha256 = r.scenarioSha256;
  out.result.name = r.name;
  out.result.score = r.score;
  out.result.targets = r.targets;
  out.result.medals = r.medals;
  out.result.levels = r.levels;
  out.result.misses = r.misses;
  out.result.won = r.won;
  out.result.difficulty = r.difficulty;
  out.result.ticks = r.ticks;
  return out;
}
