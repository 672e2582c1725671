// Table files of any content: read without going past the bytes given or past a row (name
// lengths are cut to 10); a table that reads saves and reads back the same; sorting and placing
// results end whatever the rows hold.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "game/GameUnit.h"
#include "frontend/RecordsFile.h"
#include "platform/System.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static std::unique_ptr<System> system = System::Create(true, false);
  static TGame game(*system);
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  TRecordRow rows[kRecordRows];
  const TTableRead read = ReadRecordsTable(bytes, rows);
  if (read == TTableRead::Short) {
    if (size >= kRecordsFileBytes) abort();
    return 0;
  }
  for (const TRecordRow& r : rows)
    if (r.nameLength > kMaxNameLength) abort();
  TRecordRow again[kRecordRows];
  if (ReadRecordsTable(WriteRecordsTable(rows), again) != TTableRead::Ok) abort();
  if (std::memcmp(rows, again, sizeof rows) != 0) abort();

  // The rows as a table, and the first row as a new result.
  std::memcpy(game.Records, rows, sizeof rows);
  game.SortRecords();
  const int place = game.FindRecordPlace(rows[0]);
  if (place != -1 && (place < 1 || place > kRecordRows)) abort();
  game.InsertRecord(rows[0]);
  return 0;
}
