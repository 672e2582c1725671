// The shared table's order from the game's comparison of two rows.
#include <algorithm>

#include "game/GameUnit.h"
#include "server/Store.h"

namespace {

TRecordRow AsGameRow(const SharedRow& r) {
  TRecordRow row;
  row.used = 1;
  row.score = r.score;
  row.targets = r.targets;
  row.medals = r.medals;
  row.levels = r.levels;
  row.won = uint8_t(r.won);
  row.misses = r.misses;
  return row;
}

// Rows of one score, taken in order of arrival: each goes in above the first row it ranks above,
// as the game inserts a result.
void OrderTies(std::vector<SharedRow>::iterator first, std::vector<SharedRow>::iterator last) {
  std::vector<SharedRow> table;
  std::vector<TRecordRow> game;
  for (auto it = first; it != last; ++it) {
    const TRecordRow given = AsGameRow(*it);
    size_t place = 0;
    while (place < game.size() && !TGame::IsBetterRow(game[place], given)) ++place;
    table.insert(table.begin() + ptrdiff_t(place), *it);
    game.insert(game.begin() + ptrdiff_t(place), given);
  }
  std::move(table.begin(), table.end(), first);
}

}  // namespace

void OrderAsTheGame(std::vector<SharedRow>& rows) {
  for (auto first = rows.begin(); first != rows.end();) {
    auto last = std::find_if(first, rows.end(),
                             [&](const SharedRow& r) { return r.score != first->score; });
    OrderTies(first, last);
    first = last;
  }
}

int64_t RankOf(Store& store, const SharedRow& row) {
  std::vector<SharedRow> ties = store.WithScore(row.scenario, row.score);
  OrderAsTheGame(ties);
  for (size_t i = 0; i < ties.size(); ++i)
    if (ties[i].id == row.id) return store.CountAbove(row.scenario, row.score) + int64_t(i) + 1;
  return 0;
}

std::vector<SharedRow> TopRows(Store& store, const std::string& scenario, int limit) {
  std::vector<SharedRow> rows = store.TopCandidates(scenario, limit);
  OrderAsTheGame(rows);
  if (rows.size() > size_t(limit)) rows.resize(size_t(limit));
  return rows;
}
