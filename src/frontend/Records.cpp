// The table of records: ranking, loading and saving the table, and typing the player's name.
#include <filesystem>
#include <fstream>
#include <system_error>

#include "app/GameUnit.h"
#include "assets/FileUtils.h"
#include "display/Letters.h"
#include "frontend/RecordsFile.h"
#include "gameplay/ScenarioFile.h"

namespace {

constexpr int kKeyBackspace = 8;
constexpr int kKeyEnter = 13;
constexpr int kKeyDelete = 127;
// DirectInput codes of the keys that leave the table screen.
constexpr int kDikEscape = 1, kDikReturn = 28, kDikSpace = 57;

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

}  // namespace

bool TGame::NameEntryFull() const {
  return EnteredName(RecordEntry, NameBlanks).size() >= kMaxNameLength;
}

void TGame::ClearRecords() {
  for (TRecordRow& r : Records) r.used = 0;
}

bool TGame::IsBetterRow(const TRecordRow& a, const TRecordRow& b) const {
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
  const std::string path = ResolveFileName(fileName);
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  if (status.type() == std::filesystem::file_type::not_found) return true;  // a new scenario

  std::string bytes(kRecordsFileBytes, '\0');
  std::ifstream in(path, std::ios::binary);
  if (in) in.read(bytes.data(), std::streamsize(bytes.size()));
  const size_t got = in ? bytes.size() : size_t(std::max<std::streamsize>(in.gcount(), 0));
  bytes.resize(got);

  const TTableRead result = ReadRecordsTable(bytes, Records);
  if (result == TTableRead::Ok) return true;
  RecordsFailedFile = fileName;
  if (result == TTableRead::Corrupted) {
    ShowMessageBox("File &1" + fileName + "&0\r\nis corrupted!", kMessageBoxFrames);
    ClearRecords();
  } else {
    ShowMessageBox("Error of loading\r\ntable of records\r\n&1" + fileName, kMessageBoxFrames);
  }
  return false;
}

bool TGame::SaveRecords(const std::string& fileName) {
  const std::string path = WritableFileName(fileName);
  bool ok = true;
  if (!RecordsFailedFile.empty() && RecordsFailedFile == fileName) {
    // The table on disk could not be read; keep it rather than overwrite what the player had.
    std::error_code ec;
    if (std::filesystem::is_regular_file(path, ec))
      ok = std::filesystem::copy_file(path, path + ".bad",
                                      std::filesystem::copy_options::overwrite_existing, ec) &&
           !ec;
  }
  ok = ok && WriteFileAtomically(path, WriteRecordsTable(Records));
  if (!ok) {
    ShowMessageBox("Error of saving\r\ntable of records\r\n&1" + fileName, kMessageBoxFrames);
    return false;
  }
  RecordsFailedFile.clear();
  return true;
}

void TGame::FinishResult(int key, bool finish) {
  if (finish) {
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
    InsertRecord(RecordEntry);
    SaveRecords(RecordsFileName(ScenarioFile));
    // The key that is still down must not leave the table at once.
    SetKeyLatch(kDikReturn, true);
    SetKeyLatch(kDikSpace, true);
    SetKeyLatch(kDikEscape, true);
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
