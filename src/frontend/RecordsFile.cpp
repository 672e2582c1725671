// Reading and writing the checksummed table file.
#include "frontend/RecordsFile.h"

#include <algorithm>
#include <cstring>

#include "base/Random.h"

uint32_t RecordsChecksum(TConstRecordRows rows) {
  uint32_t s = 0;
  for (int i = 1; i <= kRecordRows; ++i) {
    const TRecordRow& r = rows[i - 1];
    // Products and sums wrap around; the divisions are signed, as stored files rely on.
    const int32_t twiceTargets = int32_t(uint32_t(r.targets) * 2u);
    s += uint32_t(i) * uint32_t(r.score / 5);
    s += uint32_t(i) * uint32_t(r.medals / 8);
    s += uint32_t(r.levels / 2);
    s -= uint32_t(twiceTargets / i);
    s += uint32_t(r.misses);
  }
  return s;
}

void PlaceChecksum(uint8_t (&c)[kRecordRowBytes], uint32_t sum) {
  c[13] = uint8_t(sum >> 24);
  c[23] = uint8_t(sum >> 16);
  c[25] = uint8_t(sum >> 8);
  c[16] = uint8_t((c[16] & 0x0F) | ((sum & 0x0F) << 4));
  c[17] = uint8_t((c[17] & 0xF0) | ((sum >> 4) & 0x0F));
}

bool ChecksumMatches(const uint8_t (&c)[kRecordRowBytes], uint32_t sum) {
  return c[13] == uint8_t(sum >> 24) && c[23] == uint8_t(sum >> 16) && c[25] == uint8_t(sum >> 8) &&
         (c[16] >> 4) == (sum & 0x0F) && (c[17] & 0x0F) == ((sum >> 4) & 0x0F);
}

TTableRead ReadRecordsTable(std::string_view bytes, TRecordRows rows) {
  if (bytes.size() < kRecordsFileBytes) return TTableRead::Short;
  for (int i = 0; i < kRecordRows; ++i) {
    std::memcpy(&rows[i], bytes.data() + i * kRecordRowBytes, kRecordRowBytes);
    rows[i].nameLength = std::min(rows[i].nameLength, kMaxNameLength);
  }
  uint8_t check[kRecordRowBytes];
  std::memcpy(check, bytes.data() + kRecordRows * kRecordRowBytes, kRecordRowBytes);
  return ChecksumMatches(check, RecordsChecksum(rows)) ? TTableRead::Ok : TTableRead::Corrupted;
}

std::string WriteRecordsTable(TConstRecordRows rows) {
  std::string bytes(kRecordsFileBytes, '\0');
  for (int i = 0; i < kRecordRows; ++i)
    std::memcpy(bytes.data() + i * kRecordRowBytes, &rows[i], kRecordRowBytes);
  uint8_t check[kRecordRowBytes];
  for (uint8_t& b : check) b = uint8_t(GameRandom().Int(256));
  PlaceChecksum(check, RecordsChecksum(rows));
  std::memcpy(bytes.data() + kRecordRows * kRecordRowBytes, check, kRecordRowBytes);
  return bytes;
}
