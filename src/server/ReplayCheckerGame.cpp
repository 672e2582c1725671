// The game core's replay run behind the server's seam.
#include "server/ReplayChecker.h"

CheckOutcome CheckReplayHere(const std::string&, const std::string&, int64_t) {
  // The core of this build has no replay runner yet: every replay is refused, never accepted
  // unchecked.
  CheckOutcome out;
  out.verdict = CheckVerdict::Refused;
  out.reason = "this build of the server cannot re-run replays";
  return out;
}
