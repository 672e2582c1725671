// The shared tables in one SQLite file: one connection behind a lock (SQLite writes one at a time
// anyway), write-ahead log, each result synced before it is answered.
#include <sqlite3.h>

#include <ctime>
#include <mutex>

#include "server/Store.h"

namespace {

constexpr const char* kSchema = R"(
PRAGMA journal_mode=WAL;
PRAGMA synchronous=FULL;
CREATE TABLE IF NOT EXISTS results (
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  replay TEXT NOT NULL UNIQUE,
  scenario TEXT NOT NULL,
  name TEXT NOT NULL,
  score INTEGER NOT NULL, targets INTEGER NOT NULL, medals INTEGER NOT NULL,
  levels INTEGER NOT NULL, misses INTEGER NOT NULL, won INTEGER NOT NULL,
  difficulty INTEGER NOT NULL, ticks INTEGER NOT NULL, created INTEGER NOT NULL,
  body TEXT NOT NULL);
CREATE INDEX IF NOT EXISTS results_rank ON results (scenario, score DESC, id);
)";

class Statement {
 public:
  Statement(sqlite3* db, const std::string& sql) {
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s_, nullptr) != SQLITE_OK)
      throw std::runtime_error(sqlite3_errmsg(db));
  }
  ~Statement() { sqlite3_finalize(s_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  // Binds the values from parameter 1 on, after a reset.
  template <typename... T>
  Statement& Bind(const T&... values) {
    sqlite3_reset(s_);
    sqlite3_clear_bindings(s_);
    int i = 0;
    (BindOne(++i, values), ...);
    return *this;
  }
  bool Step() {
    const int rc = sqlite3_step(s_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    throw std::runtime_error(sqlite3_errmsg(sqlite3_db_handle(s_)));
  }
  int64_t Int(int column) const { return sqlite3_column_int64(s_, column); }
  std::string Text(int column) const {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s_, column));
    return p ? std::string(p, size_t(sqlite3_column_bytes(s_, column))) : std::string();
  }
  SharedRow Row() const {
    return RowFromColumns([this](int i) { return Int(i); }, [this](int i) { return Text(i); });
  }

 private:
  void BindOne(int i, int64_t v) { sqlite3_bind_int64(s_, i, v); }
  void BindOne(int i, int32_t v) { sqlite3_bind_int64(s_, i, v); }
  void BindOne(int i, const std::string& v) {
    sqlite3_bind_text(s_, i, v.data(), int(v.size()), SQLITE_TRANSIENT);
  }
  sqlite3_stmt* s_ = nullptr;
};

class SqliteStore final : public Store {
 public:
  explicit SqliteStore(sqlite3* db)
      : db_{db},
        insert_(db, "INSERT INTO results (replay, scenario, name, score, targets, medals, levels, "
                    "misses, won, difficulty, ticks, created, body) VALUES "
                    "(?,?,?,?,?,?,?,?,?,?,?,?,?) ON CONFLICT (replay) DO NOTHING"),
        find_(db, std::string("SELECT ") + kRowColumns + " FROM results WHERE replay = ?"),
        top_(db, std::string("SELECT ") + kRowColumns +
                     " FROM results WHERE scenario = ?1 AND score >= COALESCE((SELECT score "
                     "FROM results WHERE scenario = ?1 ORDER BY score DESC LIMIT 1 OFFSET ?2), "
                     "-2147483648) ORDER BY score DESC, id"),
        above_(db, "SELECT COUNT(*) FROM results WHERE scenario = ? AND score > ?"),
        same_(db, std::string("SELECT ") + kRowColumns +
                      " FROM results WHERE scenario = ? AND score = ? ORDER BY id"),
        counts_(db, "SELECT scenario, COUNT(*) FROM results GROUP BY scenario"),
        body_(db, "SELECT body FROM results WHERE replay = ?") {}

  SharedRow Add(const SharedRow& row, const std::string& replayText) override {
    std::lock_guard lock(mutex_);
    insert_
        .Bind(row.replay, row.scenario, row.name, row.score, row.targets, row.medals, row.levels,
              row.misses, row.won, row.difficulty, row.ticks, int64_t(std::time(nullptr)),
              replayText)
        .Step();
    find_.Bind(row.replay);
    if (!find_.Step()) throw std::runtime_error("the result was not stored");
    return find_.Row();
  }
  std::optional<SharedRow> FindByReplay(const std::string& replay) override {
    std::lock_guard lock(mutex_);
    find_.Bind(replay);
    if (!find_.Step()) return std::nullopt;
    return find_.Row();
  }
  std::vector<SharedRow> TopCandidates(const std::string& scenario, int limit) override {
    std::lock_guard lock(mutex_);
    std::vector<SharedRow> rows;
    top_.Bind(scenario, int64_t(limit) - 1);
    while (top_.Step()) rows.push_back(top_.Row());
    return rows;
  }
  int64_t CountAbove(const std::string& scenario, int32_t score) override {
    std::lock_guard lock(mutex_);
    above_.Bind(scenario, score);
    return above_.Step() ? above_.Int(0) : 0;
  }
  std::vector<SharedRow> WithScore(const std::string& scenario, int32_t score) override {
    std::lock_guard lock(mutex_);
    std::vector<SharedRow> rows;
    same_.Bind(scenario, score);
    while (same_.Step()) rows.push_back(same_.Row());
    return rows;
  }
  std::map<std::string, int64_t> Counts() override {
    std::lock_guard lock(mutex_);
    std::map<std::string, int64_t> counts;
    counts_.Bind();
    while (counts_.Step()) counts[counts_.Text(0)] = counts_.Int(1);
    return counts;
  }
  std::optional<std::string> ReplayText(const std::string& replay) override {
    std::lock_guard lock(mutex_);
    body_.Bind(replay);
    if (!body_.Step()) return std::nullopt;
    return body_.Text(0);
  }

 private:
  // Closed after the statements, which are finalized first.
  struct Closer {
    sqlite3* db;
    ~Closer() { sqlite3_close(db); }
  } db_;
  std::mutex mutex_;
  Statement insert_, find_, top_, above_, same_, counts_, body_;
};

}  // namespace

std::unique_ptr<Store> OpenSqliteStore(const std::string& path, std::string& error) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE |
                                            SQLITE_OPEN_NOMUTEX,
                      nullptr) != SQLITE_OK) {
    error = db ? sqlite3_errmsg(db) : "out of memory";
    sqlite3_close(db);
    return nullptr;
  }
  sqlite3_busy_timeout(db, 10000);
  char* message = nullptr;
  if (sqlite3_exec(db, kSchema, nullptr, nullptr, &message) != SQLITE_OK) {
    error = message ? message : "the tables cannot be made";
    sqlite3_free(message);
    sqlite3_close(db);
    return nullptr;
  }
  try {
    return std::make_unique<SqliteStore>(db);
  } catch (const std::exception& e) {
    error = e.what();
    return nullptr;
  }
}
