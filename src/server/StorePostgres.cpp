// The shared tables in PostgreSQL, for servers on several machines: a few connections, each with
// the statements prepared; a result is committed before it is answered.
#include <pqxx/pqxx>

#include <condition_variable>
#include <ctime>
#include <mutex>

#include "server/Store.h"

namespace {

constexpr int kConnections = 4;

constexpr const char* kSchema = R"(
CREATE TABLE IF NOT EXISTS results (
  id BIGSERIAL PRIMARY KEY,
  replay TEXT NOT NULL UNIQUE,
  scenario TEXT NOT NULL,
  name TEXT NOT NULL,
  score INTEGER NOT NULL, targets INTEGER NOT NULL, medals INTEGER NOT NULL,
  levels INTEGER NOT NULL, misses INTEGER NOT NULL, won INTEGER NOT NULL,
  difficulty INTEGER NOT NULL, ticks BIGINT NOT NULL, created BIGINT NOT NULL,
  body TEXT NOT NULL);
CREATE INDEX IF NOT EXISTS results_rank ON results (scenario, score DESC, id);
)";

SharedRow RowOf(const pqxx::row& f) {
  return RowFromColumns([&f](int i) { return f[i].as<int64_t>(); },
                        [&f](int i) { return f[i].as<std::string>(); });
}

void Prepare(pqxx::connection& c) {
  c.prepare("insert",
            "INSERT INTO results (replay, scenario, name, score, targets, medals, levels, misses, "
            "won, difficulty, ticks, created, body) VALUES "
            "($1,$2,$3,$4,$5,$6,$7,$8,$9,$10,$11,$12,$13) ON CONFLICT (replay) DO NOTHING");
  c.prepare("find", std::string("SELECT ") + kRowColumns + " FROM results WHERE replay = $1");
  c.prepare("top", std::string("SELECT ") + kRowColumns +
                       " FROM results WHERE scenario = $1 AND score >= COALESCE((SELECT score "
                       "FROM results WHERE scenario = $1 ORDER BY score DESC LIMIT 1 OFFSET $2), "
                       "-2147483648) ORDER BY score DESC, id");
  c.prepare("above", "SELECT COUNT(*) FROM results WHERE scenario = $1 AND score > $2");
  c.prepare("same", std::string("SELECT ") + kRowColumns +
                        " FROM results WHERE scenario = $1 AND score = $2 ORDER BY id");
  c.prepare("counts", "SELECT scenario, COUNT(*) FROM results GROUP BY scenario");
  c.prepare("body", "SELECT body FROM results WHERE replay = $1");
}

class PostgresStore final : public Store {
 public:
  explicit PostgresStore(const std::string& address) : address_(address) {
    for (int i = 0; i < kConnections; ++i) idle_.push_back(Connect());
  }

 private:
  // Runs f in a transaction on an idle connection and commits; a connection that broke is made
  // anew for the next use.
  template <typename F>
  auto Use(F f) {
    std::unique_ptr<pqxx::connection> c;
    {
      std::unique_lock lock(mutex_);
      idleCv_.wait(lock, [&] { return !idle_.empty(); });
      c = std::move(idle_.back());
      idle_.pop_back();
    }
    struct Return {
      PostgresStore& store;
      std::unique_ptr<pqxx::connection>& c;
      ~Return() {
        if (!c || !c->is_open()) {
          try {
            c = store.Connect();
          } catch (const std::exception&) {
            c.reset();
          }
        }
        {
          std::lock_guard lock(store.mutex_);
          store.idle_.push_back(std::move(c));
        }
        store.idleCv_.notify_one();
      }
    } giveBack{*this, c};
    if (!c) c = Connect();
    pqxx::work w(*c);
    auto result = f(w);
    w.commit();
    return result;
  }

 public:

  SharedRow Add(const SharedRow& row, const std::string& replayText) override {
    return Use([&](pqxx::work& w) {
      w.exec_prepared("insert", row.replay, row.scenario, row.name, row.score, row.targets,
                      row.medals, row.levels, row.misses, row.won, row.difficulty, row.ticks,
                      int64_t(std::time(nullptr)), replayText);
      const pqxx::result r = w.exec_prepared("find", row.replay);
      if (r.empty()) throw std::runtime_error("the result was not stored");
      return RowOf(r[0]);
    });
  }
  std::optional<SharedRow> FindByReplay(const std::string& replay) override {
    return Use([&](pqxx::work& w) -> std::optional<SharedRow> {
      const pqxx::result r = w.exec_prepared("find", replay);
      if (r.empty()) return std::nullopt;
      return RowOf(r[0]);
    });
  }
  std::vector<SharedRow> TopCandidates(const std::string& scenario, int limit) override {
    return Rows("top", scenario, int64_t(limit) - 1);
  }
  int64_t CountAbove(const std::string& scenario, int32_t score) override {
    return Use([&](pqxx::work& w) {
      return w.exec_prepared("above", scenario, score)[0][0].as<int64_t>();
    });
  }
  std::vector<SharedRow> WithScore(const std::string& scenario, int32_t score) override {
    return Rows("same", scenario, score);
  }
  std::map<std::string, int64_t> Counts() override {
    return Use([&](pqxx::work& w) {
      std::map<std::string, int64_t> counts;
      for (const pqxx::row& f : w.exec_prepared("counts"))
        counts[f[0].as<std::string>()] = f[1].as<int64_t>();
      return counts;
    });
  }
  std::optional<std::string> ReplayText(const std::string& replay) override {
    return Use([&](pqxx::work& w) -> std::optional<std::string> {
      const pqxx::result r = w.exec_prepared("body", replay);
      if (r.empty()) return std::nullopt;
      return r[0][0].as<std::string>();
    });
  }

 private:
  std::unique_ptr<pqxx::connection> Connect() {
    auto c = std::make_unique<pqxx::connection>(address_);
    Prepare(*c);
    return c;
  }

  template <typename... T>
  std::vector<SharedRow> Rows(const char* statement, const T&... values) {
    return Use([&](pqxx::work& w) {
      std::vector<SharedRow> rows;
      for (const pqxx::row& f : w.exec_prepared(statement, values...)) rows.push_back(RowOf(f));
      return rows;
    });
  }

  std::string address_;
  std::mutex mutex_;
  std::condition_variable idleCv_;
  std::vector<std::unique_ptr<pqxx::connection>> idle_;
};

}  // namespace

std::unique_ptr<Store> OpenPostgresStore(const std::string& address, std::string& error) {
  try {
    {
      pqxx::connection c(address);
      pqxx::work w(c);
      // Servers starting together make the tables one at a time.
      w.exec("SELECT pg_advisory_xact_lock(8477)");
      w.exec(kSchema);
      w.commit();
    }
    return std::make_unique<PostgresStore>(address);
  } catch (const std::exception& e) {
    error = e.what();
    return nullptr;
  }
}

std::unique_ptr<Store> OpenStore(const std::string& spec, std::string& error) {
  if (spec.rfind("sqlite:", 0) == 0) return OpenSqliteStore(spec.substr(7), error);
  if (spec.rfind("postgresql://", 0) == 0 || spec.rfind("postgres://", 0) == 0)
    return OpenPostgresStore(spec, error);
  error = "the database is neither sqlite:FILE nor postgresql://...";
  return nullptr;
}
