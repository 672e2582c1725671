// The screens of the table of records: typing the player's name, and the table itself with the
// last game's row in white.
#include <algorithm>
#include <string>

#include "game/GameUnit.h"
#include "display/Letters.h"
#include "display/PixelRoutines.h"
#include "display/SpriteSurface.h"
#include "frontend/RecordsFile.h"

namespace {

constexpr uint32_t kRuleColor = 0x000080;
constexpr int32_t kHeadY = 90;
constexpr int32_t kFirstRuleY = 130;
constexpr int32_t kFirstRowY = 135;
constexpr int32_t kRowGap = 5;
constexpr uint32_t kSelectedColor = 0x8080FF;
constexpr int32_t kRuleLeft = 10, kRuleRight = 790;
constexpr int32_t kColumnRules[] = {20, 250, 290, 330, 400, 570, 640, 710, 780};
// The line that tells how to switch between the player's own and the shared table, and the
// height a click on it takes.
constexpr int32_t kSwitchLineY = 535, kSwitchLineHeight = 25;
constexpr int32_t kSharedStatusY = 300;

std::string RowName(const TRecordRow& row) {
  return std::string(row.name, std::min<size_t>(row.nameLength, kMaxNameLength));
}

// The row of the last game: everything but the used flag and the padding agrees.
bool SameResult(const TRecordRow& a, const TRecordRow& b) {
  return a.nameLength == b.nameLength && RowName(a) == RowName(b) && a.score == b.score &&
         a.targets == b.targets && a.medals == b.medals && a.levels == b.levels && a.won == b.won &&
         a.difficulty == b.difficulty && a.misses == b.misses;
}

const char* DifficultyPicture(uint8_t difficulty) {
  switch (difficulty) {
    case 0: return "men";
    case 1: return "child";
    case 2: return "skull";
    default: return nullptr;  // a value no game writes: no icon
  }
}

// A picture of the sheet by name; a missing sheet or picture is skipped.
void DrawPicture(TDXBaseSurface* pictures, Surface& dest, const char* name, int32_t x, int32_t y) {
  if (!pictures || !name) return;
  const int32_t slot = pictures->FindFrame(name);
  if (slot >= 0) pictures->Draw(dest, x, y, slot, daCenter, daTop);
}

void ClearScreen(Surface& screen) {
  FillRect(screen, TRect{0, 0, kScreenWidth, kScreenHeight}, kScreenColor);
}

}  // namespace

void TGame::DrawNameEntry() {
  if (!BackBuffer) return;
  Surface& screen = *BackBuffer;
  ClearScreen(screen);
  if (LogoSurface) LogoSurface->Draw(screen, 400, 20, 0, daCenter, daTop);
  if (!Font) return;
  const int32_t w = Font->LineWidth("Enter your name:");
  Font->DrawBoom(screen, 400 - w / 2, 270, TRect{0, 0, kScreenWidth, kScreenHeight});
  // No caret: the name stands centred as it is typed.
  Font->DrawLine(screen, 400, 350, "&1" + RowName(RecordEntry), daCenter, daTop);
}

void TGame::DrawRecords() {
  if (!BackBuffer) return;
  Surface& screen = *BackBuffer;
  ClearScreen(screen);
  TDXBaseSurface* pictures = Pictures.get();
  if (Font) {
    Font->DrawLine(screen, 400, 50, RecordsShared ? "SHARED TABLE OF RECORDS:" : "TABLE OF RECORDS:",
                   daCenter, daTop);
    Font->DrawLine(screen, 25, kHeadY, "Player", daLeft, daTop);
  }
  static constexpr struct {
    const char* name;
    int32_t x;
  } kHead[] = {{"men", 270},   {"cup", 310},    {"up", 365},      {"2500", 485},
               {"medal", 605}, {"target", 675}, {"3bullets", 745}};
  for (const auto& head : kHead) DrawPicture(pictures, screen, head.name, head.x, kHeadY);

  const TRecordRow(&rows)[kRecordRows] = ShownRecords();
  if (SharedServerSet && Font) {
    Font->DrawLine(screen, 400, kSwitchLineY,
                   RecordsShared ? "&1S&0: your own table" : "&1S&0: the shared table", daCenter,
                   daTop);
    // Where the shared rows would stand: why they are not there (yet).
    if (RecordsShared && !SharedStatus.empty())
      Font->DrawLine(screen, 400, kSharedStatusY, "&0" + SharedStatus, daCenter, daTop);
  }
  const int32_t h = Font ? Font->LineHeight("W") : 0;
  const int32_t used = int32_t(std::count_if(std::begin(rows), std::end(rows),
                                             [](const TRecordRow& r) { return r.used != 0; }));
  const int32_t bottom = kFirstRuleY + used * (h + kRowGap);
  FillRect(screen, TRect{kRuleLeft, kFirstRuleY, kRuleRight, kFirstRuleY + 1}, kRuleColor);
  FillRect(screen, TRect{kRuleLeft, bottom, kRuleRight, bottom + 1}, kRuleColor);
  for (const int32_t x : kColumnRules)
    FillRect(screen, TRect{x, kHeadY, x + 1, bottom}, kRuleColor);

  int32_t y = kFirstRowY;
  for (const TRecordRow& row : rows) {
    if (!row.used) continue;
    const std::string c = SameResult(row, RecordEntry) ? "&0" : "&1";
    DrawPicture(pictures, screen, DifficultyPicture(row.difficulty), 270, y);
    if (row.won) DrawPicture(pictures, screen, "cup", 310, y);
    if (Font) {
      Font->DrawLine(screen, 25, y, c + RowName(row), daLeft, daTop);
      const auto number = [&](int32_t value, int32_t x) {
        Font->DrawLine(screen, x, y, c + std::to_string(value), daRight, daTop);
      };
      number(row.levels, 395);
      number(row.score, 565);
      number(row.medals, 635);
      number(row.targets, 705);
      number(row.misses, 775);
    }
    y += h + kRowGap;
  }
  if (!std::count(std::begin(RecordReplays), std::end(RecordReplays), 1)) return;
  // The chosen row's replay: a mark left of the row, and how to watch it.
  y = kFirstRowY;
  for (int i = 0; i < kRecordRows; ++i) {
    if (!rows[i].used) continue;
    if (i == RecordsSelected && RecordReplays[i])
      FillRect(screen, TRect{12, y, 17, y + std::max(h, 1)}, kSelectedColor);
    y += h + kRowGap;
  }
  if (Font)
    Font->DrawLine(screen, 400, 565, "&1R&0, click: watch the replay  &1Tab&0: 4x  &1Esc&0: stop",
                   daCenter, daTop);
}

int TGame::RecordRowAt(int32_t x, int32_t y) const {
  const int32_t h = Font ? Font->LineHeight("W") : 0;
  if (x < kRuleLeft || x >= kRuleRight) return -1;
  const TRecordRow(&rows)[kRecordRows] = ShownRecords();
  int32_t top = kFirstRowY;
  for (int i = 0; i < kRecordRows; ++i) {
    if (!rows[i].used) continue;
    if (y >= top && y < top + h + kRowGap) return i;
    top += h + kRowGap;
  }
  return -1;
}

void TGame::SelectRecordReplay(int step) {
  for (int k = 1; k <= kRecordRows; ++k) {
    const int i = ((RecordsSelected < 0 ? (step > 0 ? -1 : 0) : RecordsSelected) + step * k +
                   2 * kRecordRows) % kRecordRows;
    if (ShownRecords()[i].used && RecordReplays[i]) {
      RecordsSelected = i;
      return;
    }
  }
}

bool TGame::OnTableSwitchLine(int32_t x, int32_t y) const {
  return SharedServerSet && x >= kRuleLeft && x < kRuleRight && y >= kSwitchLineY &&
         y < kSwitchLineY + kSwitchLineHeight;
}
