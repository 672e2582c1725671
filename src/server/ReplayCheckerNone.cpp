// The server's seam for a core without a replay runner: every replay is refused, never accepted
// unchecked.
#include "server/ReplayChecker.h"

CheckOutcome CheckReplayHere(const std::string&, const std::string&, int64_t) {
  CheckOutcome out;
  out.verdict = CheckVerdict::Refused;
  out.reason = "this build of the server cannot re-run replays";
  return out;
}
