// The table of records: ranking, loading and saving the table, and typing the player's name.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <system_error>

#include "game/GameUnit.h"
#include "assets/FileUtils.h"
#include "display/Letters.h"
#include "frontend/RecordReplays.h"
#include "frontend/RecordsFile.h"
#include "gameplay/ScenarioFile.h"
#include "platform/InputFile.h"
#include "platform/OutputFile.h"
#include "replay/ReplayFile.h"

namespace {

constexpr int kKeyBackspace = 8;
constexpr int kKeyEnter = 13;
constexpr int kKeyDelete = 127;
// DirectInput codes of the keys that leave the table screen.
constexpr int kDikEscape = 1, kDikReturn = 28, kDikSpace = 57;
// ... and the table screen's own keys: watch a replay, switch to the shared table.
constexpr int kDikR = 0x13, kDikS = 0x1F;

bool IsBlank(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}

// The name as the entry edits it: without leading blanks, and with only the trailing blanks
// that were typed (blanks is how many), not the padding.
std::string EnteredName(const TRecordRow& row, size_t blanks) {
  std::string t(row.name, std::min(row.nameLength, kMaxNameLength));
  while (!t.empty() && IsBlank(t.back())) t.pop_back();
  size_t first = 0;
  while (first < t.size() && IsBlank(t[first])) ++first;
  t.erase(0, first);
  if (!t.empty()) t.append(std::min<size_t>(blanks, kMaxNameLength - t.size()), ' ');
  return t;
}

enum class TTableFile { Ok, Missing, Short, Corrupted, Unreadable };

// Reads the table file behind fileName into rows, with no message: only its first bytes, and only
// from a regular file. reason tells why an existing file could not be read.
TTableFile ReadTableFile(const std::string& fileName, TRecordRows rows, std::string& reason) {
  std::string bytes;
  switch (ReadRegularFile(ResolveFileName(fileName), kRecordsFileBytes, bytes, reason, true)) {
    case ReadOutcome::Ok: break;
    case ReadOutcome::Missing: return TTableFile::Missing;
    default: return TTableFile::Unreadable;
  }
  switch (ReadRecordsTable(bytes, rows)) {
    case TTableRead::Ok: return TTableFile::Ok;
    case TTableRead::Short: return TTableFile::Short;
    case TTableRead::Corrupted: return TTableFile::Corrupted;
  }
  return TTableFile::Unreadable;
}

// The game's replay with the name of its row.
std::string ReplayWithName(const std::string& replay, const TRecordRow& row) {
  TReplay r;
  std::string error;
  if (!ParseReplay(replay, r, error)) return {};
  std::string name(row.name, std::min<size_t>(row.nameLength, kMaxNameLength));
  while (!name.empty() && IsBlank(name.back())) name.pop_back();
  r.name = name;
  return FormatReplay(r);
}

}  // namespace

bool TGame::NameEntryFull() const {
  return EnteredName(RecordEntry, NameBlanks).size() >= kMaxNameLength;
}

void TGame::ClearRecords() {
  for (TRecordRow& r : Records) r.used = 0;
}

bool TGame::IsBetterRow(const TRecordRow& a, const TRecordRow& b) {
  if (!b.used) return false;
  if (!a.used) return true;
  if (b.score != a.score) return b.score > a.score;
  if (!a.won && b.won) return true;
  if (b.levels != a.levels) return b.levels > a.levels;
  if (b.targets != a.targets) return b.targets > a.targets;
  return b.medals > a.medals;
}

void TGame::SortRecords() {
  // Two rows can each rank above the other (a won row with fewer levels against a lost row of the
  // same score); nine passes always sort a consistent table and still end for such a pair.
  for (int pass = 0; pass < kRecordRows - 1; ++pass) {
    bool exchanged = false;
    for (int i = 0; i < kRecordRows - 1; ++i)
      if (IsBetterRow(Records[i], Records[i + 1])) {
        std::swap(Records[i], Records[i + 1]);
        exchanged = true;
      }
    if (!exchanged) break;
  }
}

int TGame::FindRecordPlace(const TRecordRow& row) {
  const TRecordRow given = row;  // row may be one of the rows the sort moves
  SortRecords();
  for (int i = 0; i < kRecordRows; ++i)
    if (IsBetterRow(Records[i], given)) return i + 1;
  return -1;
}

void TGame::InsertRecord(const TRecordRow& row) {
  const TRecordRow entry = row;  // row may be one of the rows that move
  const int p = FindRecordPlace(entry);
  if (p == -1) return;
  for (int i = kRecordRows - 1; i >= p; --i) Records[i] = Records[i - 1];
  Records[p - 1] = entry;
}

bool TGame::LoadRecords() {
  return LoadRecords(RecordsFileName(ScenarioFile));
}
bool TGame::SaveRecords() {
  return SaveRecords(RecordsFileName(ScenarioFile));
}

bool TGame::LoadRecords(const std::string& fileName) {
  ClearRecords();
  RecordsFailedFile.clear();
  std::string reason;
  const TTableFile result = ReadTableFile(fileName, Records, reason);
  if (result == TTableFile::Ok || result == TTableFile::Missing) return true;  // missing: new
  RecordsFailedFile = fileName;
  if (result == TTableFile::Corrupted) {
    ShowMessageBox("File &1" + fileName + "&0\r\nis corrupted!", kMessageBoxFrames);
    ClearRecords();
  } else {
    if (!reason.empty()) {
      const std::string path = ResolveFileName(fileName);
      std::fprintf(stderr, "vor: cannot read the table of records %s in the folder %s: %s\n",
                   std::filesystem::path(path).filename().c_str(), FolderOf(path).c_str(),
                   reason.c_str());
    }
    ShowMessageBox("Error of loading\r\ntable of records\r\n&1" + fileName, kMessageBoxFrames);
  }
  return false;
}

void TGame::RefreshRecords(const std::string& fileName) {
  TRecordRow rows[kRecordRows];
  std::string reason;
  if (ReadTableFile(fileName, rows, reason) != TTableFile::Ok) return;
  std::copy(std::begin(rows), std::end(rows), Records);
  if (RecordsFailedFile == fileName) RecordsFailedFile.clear();
}

bool TGame::SaveResult(const TRecordRow& row) {
  const std::string fileName = RecordsFileName(ScenarioFile);
  const std::string path = WritableFileName(fileName);
  std::optional<FileLock> lock;
  if (!path.empty()) lock.emplace(path);
  RefreshRecords(fileName);
  InsertRecord(row);
  const bool placed = std::any_of(std::begin(Records), std::end(Records), [&](const TRecordRow& r) {
    return RowReplayKey(r) == RowReplayKey(row);
  });
  // The replay goes first: until the table names it, it is ignored.
  const std::string text =
      placed && !ResultReplay.empty() ? ReplayWithName(ResultReplay, row) : std::string();
  if (placed && !path.empty() && !ResultReplay.empty()) {
    std::string error;
    if (text.empty() || !KeepRowReplay(path, row, text, error))
      std::fprintf(stderr, "vor: the result is saved without its replay: %s\n",
                   text.empty() ? "the replay is damaged" : error.c_str());
  }
  ResultToSend = text;
  if (!SaveRecords(fileName)) return false;
  if (!path.empty()) DropUnnamedReplays(path, Records);
  return true;
}

bool TGame::SaveRecords(const std::string& fileName) {
  const std::string path = WritableFileName(fileName);
  bool ok = true;
  std::string reason;
  if (!RecordsFailedFile.empty() && RecordsFailedFile == fileName) {
    // The table on disk could not be read; keep it rather than overwrite what the player had.
    std::error_code ec;
    if (std::filesystem::is_regular_file(path, ec)) {
      ok = std::filesystem::copy_file(path, path + ".bad",
                                      std::filesystem::copy_options::overwrite_existing, ec) &&
           !ec;
      if (!ok) reason = "cannot keep the unreadable table as " + path + ".bad: " + ec.message();
    }
  }
  if (ok && !WriteFileAtomically(fileName, WriteRecordsTable(Records))) {
    ok = false;
    reason = std::strerror(errno);
  }
  if (!ok) {
    const std::string file = std::filesystem::path(path.empty() ? fileName : path).filename();
    std::fprintf(stderr, "vor: cannot save the table of records %s in the folder %s: %s\n",
                 file.c_str(), WriteFolderOf(fileName).c_str(), reason.c_str());
    ShowMessageBox("Error of saving\r\ntable of records\r\n&1" + fileName, kMessageBoxFrames);
    return false;
  }
  RecordsFailedFile.clear();
  return true;
}

void TGame::FinishResult(int key, bool finish) {
  if (finish) {
    // The table as it is now: another copy of the game may have saved results meanwhile.
    RefreshRecords(RecordsFileName(ScenarioFile));
    if (FindRecordPlace(RecordEntry) == -1) {
      State = gsRecords;
      return;
    }
    // The prompt stands whole for 100 frames, then bursts letter by letter.
    if (Font) Font->StartBoom("Enter your name:", 10, 0.5f, 100);
    NameBlanks = 0;
    State = gsEnterName;
    return;
  }

  if (key == kKeyEnter) {
    NameBlanks = 0;  // trailing blanks end as padding
    SaveResult(RecordEntry);
    // The key that is still down must not leave the table at once.
    SetKeyLatch(kDikReturn, true);
    SetKeyLatch(kDikSpace, true);
    SetKeyLatch(kDikEscape, true);
    SetKeyLatch(kDikR, true);
    SetKeyLatch(kDikS, true);
    State = gsRecords;
    return;
  }
  if (key != kKeyBackspace && (key < 32 || key == kKeyDelete || key > 255)) return;

  std::string t = EnteredName(RecordEntry, NameBlanks);

  if (key == kKeyBackspace) {
    if (t.empty()) return;
    t.pop_back();
  } else {
    // A leading blank is dropped, and so is an eleventh character.
    if ((key == ' ' && t.empty()) || t.size() >= kMaxNameLength) return;
    t += char(static_cast<unsigned char>(key));
  }
  size_t blanks = 0;
  while (blanks < t.size() && t[t.size() - 1 - blanks] == ' ') ++blanks;
  NameBlanks = uint8_t(blanks);
  t.resize(kMaxNameLength, ' ');
  std::copy(t.begin(), t.end(), RecordEntry.name);
  RecordEntry.nameLength = kMaxNameLength;
}
