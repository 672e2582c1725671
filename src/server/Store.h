// The shared tables in a database: every verified result with its replay. The database holds
// everything, so any number of servers can share one (PostgreSQL); SQLite serves one machine.
// Every statement is prepared, with the values bound.
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct SharedRow {
  int64_t id = 0;          // order of arrival
  std::string replay;      // the replay's id: SHA-256 of its bytes, hexadecimal
  std::string scenario;    // the scenario's id
  std::string name;        // UTF-8 of the cp1251 name the game holds
  int32_t score = 0, targets = 0, medals = 0, levels = 0, misses = 0;
  int32_t won = 0, difficulty = 0;
  int64_t ticks = 0;
  int64_t date = 0;        // seconds since 1970, UTC
};

// The columns a row is read from, in the order RowFromColumns takes them, for both databases.
constexpr const char* kRowColumns =
    "id, replay, scenario, name, score, targets, medals, levels, misses, won, difficulty, ticks, "
    "created";

// A row from the values of kRowColumns: integer(i) and text(i) give the value of column i.
template <typename Integer, typename Text>
SharedRow RowFromColumns(Integer integer, Text text) {
  SharedRow r;
  r.id = integer(0);
  r.replay = text(1);
  r.scenario = text(2);
  r.name = text(3);
  r.score = int32_t(integer(4));
  r.targets = int32_t(integer(5));
  r.medals = int32_t(integer(6));
  r.levels = int32_t(integer(7));
  r.misses = int32_t(integer(8));
  r.won = int32_t(integer(9));
  r.difficulty = int32_t(integer(10));
  r.ticks = integer(11);
  r.date = integer(12);
  return r;
}

class Store {
 public:
  virtual ~Store() = default;
  // Stores the row (id and date are given by the store) with its replay, durably, unless a row
  // of the same replay is there already; the stored row either way.
  virtual SharedRow Add(const SharedRow& row, const std::string& replayText) = 0;
  virtual std::optional<SharedRow> FindByReplay(const std::string& replay) = 0;
  // The rows of the scenario with a score of at least the limit-th best score (all its rows when
  // it has fewer), by score from the best, then by arrival.
  virtual std::vector<SharedRow> TopCandidates(const std::string& scenario, int limit) = 0;
  // How many rows of the scenario score more than score, and the rows that score exactly it (by
  // arrival).
  virtual int64_t CountAbove(const std::string& scenario, int32_t score) = 0;
  virtual std::vector<SharedRow> WithScore(const std::string& scenario, int32_t score) = 0;
  // The number of rows of each scenario that has any.
  virtual std::map<std::string, int64_t> Counts() = 0;
  virtual std::optional<std::string> ReplayText(const std::string& replay) = 0;
};

// "sqlite:FILE" or a "postgresql://" (or "postgres://") address; nullptr with the reason when it
// cannot be opened or its tables made.
std::unique_ptr<Store> OpenStore(const std::string& spec, std::string& error);
std::unique_ptr<Store> OpenSqliteStore(const std::string& path, std::string& error);
std::unique_ptr<Store> OpenPostgresStore(const std::string& address, std::string& error);

// The shared table's order is the game's own: by score, and rows of one score as the game's table
// would hold them had it taken them in order of arrival. rows come by score from the best, then
// by arrival.
void OrderAsTheGame(std::vector<SharedRow>& rows);
// The rank (from 1) the row with this id holds in the scenario's table; 0 when it is not there.
int64_t RankOf(Store& store, const SharedRow& row);
// The first limit rows of the scenario's table.
std::vector<SharedRow> TopRows(Store& store, const std::string& scenario, int limit);
