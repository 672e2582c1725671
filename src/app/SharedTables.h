// The server of shared tables, as the game uses it: every result the player names is kept in the
// folder of results waiting to be sent, then sent in the background; the table screen asks for
// the shared table of its scenario and for the replay of a shared row. Everything runs beside the
// game (platform/Http.h) and is polled once a tick, so no tick waits for the network.
#pragma once
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <utility>
#include <string>
#include <vector>

#include "frontend/RecordTypes.h"
#include "platform/Http.h"

// The results waiting to be sent: one file per result, "STAMP-CONTENT.replay" (STAMP the time it
// was kept, so names sort oldest first; CONTENT the first digits of the text's SHA-256), each
// written atomically. Other files in the folder are left alone.
class PendingResults {
 public:
  // At most this many wait; a result beyond them is not kept (the local table still has it).
  static constexpr size_t kMaxWaiting = 1000;

  explicit PendingResults(std::string folder) : folder_(std::move(folder)) {}
  const std::string& Folder() const { return folder_; }
  // Keeps the text (the folder is made when missing); the file's name, or "" with the reason.
  std::string Add(const std::string& text, std::string& error);
  // The waiting files' names, oldest first (regular files named as results only).
  std::vector<std::string> List() const;
  // A waiting file's text (at most one replay's size); false with the reason.
  bool Read(const std::string& name, std::string& text, std::string& error) const;
  void Remove(const std::string& name) const;

 private:
  std::string folder_;
};

// A row of a shared table: the row as the player's own table holds one (the name in cp1251, cut
// or filled with blanks to the table's 10 characters), and the id of its replay.
struct SharedTableRow {
  TRecordRow row;
  std::string replay;
};
// The rows of an answer of GET /api/v1/scenarios/ID/top (a JSON array of objects): at most
// kRecordRows, in the answer's order. False with the reason for an answer that is not such an
// array, or a row without its name, numbers or replay id.
bool ParseSharedTop(const std::string& json, std::vector<SharedTableRow>& rows,
                    std::string& error);

class SharedTables {
 public:
  // base: an address ServerAddress has accepted. The results waiting in the folder start going
  // at once.
  SharedTables(std::string base, PendingResults pending);

  // A result the player has named (its replay's text): kept to wait, then sent.
  void Send(const std::string& replay);
  // Asks for the shared table of the scenario with this id (its SHA-256), in place of the last.
  void FetchTop(const std::string& scenario);
  // Asks for the replay of a shared row, in place of one still being asked for.
  void FetchReplay(const std::string& replay);

  // Once a tick: takes the answers that came.
  void Poll();
  // A request runs or a waiting result is still to go in this round.
  bool Busy() const {
    return sendRequest_ || topRequest_ || replayRequest_ || (!paused_ && !queue_.empty());
  }

  enum class TopState : uint8_t { None, Loading, Ready, Unreachable, UnknownScenario, Damaged };
  TopState Top() const { return topState_; }
  // Changes whenever the shared table is asked for or its answer comes.
  uint32_t TopVersion() const { return topVersion_; }
  const std::vector<SharedTableRow>& TopRows() const { return topRows_; }
  // True once after a result was stored by the server (the shared table may have changed).
  bool TakeStored() { return std::exchange(stored_, false); }
  // A replay asked for that came (its text), or that could not be had (failure says why); unset
  // while it is being fetched or when none was asked for.
  bool ReplayLoading() const { return replayRequest_ != nullptr; }
  std::optional<std::string> TakeReplay(std::string& failure);

 private:
  void NextSend();
  void SendDone(const HttpResponse& r);

  std::string base_;
  PendingResults pending_;
  // The waiting files still to go in this round; the one being sent.
  std::deque<std::string> queue_;
  std::string sending_;
  std::unique_ptr<HttpRequest> sendRequest_;
  // A send failed: nothing more goes until the next result is named (or the next start).
  bool paused_ = false;
  bool stored_ = false;
  std::unique_ptr<HttpRequest> topRequest_;
  TopState topState_ = TopState::None;
  uint32_t topVersion_ = 0;
  std::vector<SharedTableRow> topRows_;
  std::unique_ptr<HttpRequest> replayRequest_;
  std::optional<std::string> replayText_;
  std::string replayFailure_;
  bool replayDone_ = false;
};
