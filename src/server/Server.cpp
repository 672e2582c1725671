#include "server/Server.h"

#include <httplib.h>

#include <ctime>
#include <nlohmann/json.hpp>

#include "base/Cp1251.h"
#include "base/Sha256.h"
#include "gameplay/ScenarioFile.h"
#include "platform/InputFile.h"

namespace {

using nlohmann::json;

constexpr size_t kMaxBodyBytes = size_t{1} << 20;
constexpr int kDefaultTop = 10, kMaxTop = 1000;
constexpr size_t kMaxNameBytes = 10;

bool IsUtf8Text(const std::string& s) {
  for (size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c == 0) return false;
    const size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (n == 0 || i + n > s.size()) return false;
    char32_t cp = n == 1 ? c : c & (0x7F >> n);
    for (size_t k = 1; k < n; ++k) {
      const unsigned char d = static_cast<unsigned char>(s[i + k]);
      if ((d >> 6) != 2) return false;
      cp = (cp << 6) | (d & 0x3F);
    }
    static const char32_t least[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < least[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += n;
  }
  return true;
}

std::string IsoDate(int64_t seconds) {
  const std::time_t t = std::time_t(seconds);
  std::tm tm{};
  gmtime_r(&t, &tm);
  char out[32];
  std::strftime(out, sizeof out, "%Y-%m-%dT%H:%M:%SZ", &tm);
  return out;
}

std::string Html(const std::string& s) {
  std::string out;
  for (char c : s) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string UrlComponent(const std::string& s) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : s) {
    if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~' || c == '/') {
      out += char(c);
    } else {
      out += '%';
      out += digits[c >> 4];
      out += digits[c & 15];
    }
  }
  return out;
}

json RowJson(const SharedRow& r, int64_t rank) {
  return {{"rank", rank},           {"name", r.name},         {"score", r.score},
          {"targets", r.targets},   {"medals", r.medals},     {"levels", r.levels},
          {"misses", r.misses},     {"won", r.won != 0},      {"difficulty", r.difficulty},
          {"date", IsoDate(r.date)}, {"replay", r.replay}};
}

void Answer(httplib::Response& res, int status, const json& body) {
  res.status = status;
  res.set_content(body.dump(), "application/json");
}

void Fail(httplib::Response& res, int status, const std::string& error) {
  // Reasons may quote a replay's bytes: only valid text goes into the answer.
  Answer(res, status, {{"error", IsUtf8Text(error) ? error : "refused"}});
}

// The link that plays a replay in the web build: its page reads ?replay=URL. A page on this
// server's own site fetches the replay by its path; a page elsewhere needs this server's address,
// taken from the request (the scheme from a proxy's X-Forwarded-Proto).
std::string PlayLink(const ServerConfig& config, const httplib::Request& req,
                     const std::string& replayPath) {
  std::string replay = replayPath;
  if (config.playUrl.empty() || config.playUrl[0] != '/' || config.playUrl.starts_with("//")) {
    const std::string host = req.get_header_value("Host");
    const bool plain = !host.empty() && host.size() <= 255 &&
                       host.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                              "0123456789.-:[]") == std::string::npos;
    if (plain) {
      const bool https = req.get_header_value("X-Forwarded-Proto") == "https";
      replay = (https ? "https://" : "http://") + host + replayPath;
    }
  }
  const char joint = config.playUrl.find('?') == std::string::npos ? '?' : '&';
  return config.playUrl + joint + "replay=" + UrlComponent(replay);
}

std::string Page(const ServerConfig& config, const httplib::Request& req, Store& store,
                 const std::map<std::string, ScenarioInfo>& scenarios) {
  std::string page =
      "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
      "<meta name=\"viewport\" content=\"width=device-width\"><title>Vor: shared tables of "
      "records</title><style>body{font-family:sans-serif;margin:1em auto;max-width:60em}"
      "table{border-collapse:collapse}td,th{padding:.2em .6em;text-align:right}"
      "td.n,th.n{text-align:left}tr:nth-child(even){background:#eee}</style></head><body>\n"
      "<h1>Shared tables of records</h1>\n<p>Every result here was played again by the server "
      "from its replay.</p>\n";
  const std::vector<std::string> difficulties = {"normal", "kindly", "hardly"};
  for (const auto& [id, s] : scenarios) {
    page += "<h2>" + Html(s.name) + "</h2>\n<p>" + std::to_string(s.levels) + " levels</p>\n";
    const std::vector<SharedRow> rows = TopRows(store, id, kDefaultTop);
    if (rows.empty()) {
      page += "<p>No results yet.</p>\n";
      continue;
    }
    page += "<table><tr><th>#</th><th class=\"n\">Name</th><th>Score</th><th>Targets</th>"
            "<th>Medals</th><th>Levels</th><th>Misses</th><th class=\"n\">Difficulty</th>"
            "<th class=\"n\">Date</th><th class=\"n\">Replay</th></tr>\n";
    int rank = 0;
    for (const SharedRow& r : rows) {
      const std::string replay = "/api/v1/replays/" + r.replay;
      const std::string difficulty = r.difficulty >= 0 && size_t(r.difficulty) < difficulties.size()
                                         ? difficulties[size_t(r.difficulty)]
                                         : std::to_string(r.difficulty);
      page += "<tr><td>" + std::to_string(++rank) + "</td><td class=\"n\">" + Html(r.name) +
              (r.won ? " &#9733;" : "") + "</td><td>" + std::to_string(r.score) + "</td><td>" +
              std::to_string(r.targets) + "</td><td>" + std::to_string(r.medals) + "</td><td>" +
              std::to_string(r.levels) + "</td><td>" + std::to_string(r.misses) +
              "</td><td class=\"n\">" + difficulty + "</td><td class=\"n\">" +
              IsoDate(r.date).substr(0, 10) + "</td><td class=\"n\"><a href=\"" + replay +
              "\">file</a> <a href=\"" + Html(PlayLink(config, req, replay)) +
              "\">play</a></td></tr>\n";
    }
    page += "</table>\n";
  }
  return page + "</body></html>\n";
}

}  // namespace

std::map<std::string, ScenarioInfo> ReadScenarios(const std::string& folder, std::string& error) {
  std::map<std::string, ScenarioInfo> out;
  for (const std::string& file : ListScenarioFiles({folder})) {
    std::string bytes, reason;
    if (ReadRegularFile(folder + "/" + file, kMaxScenarioFileBytes, bytes, reason) !=
        ReadOutcome::Ok)
      continue;
    std::vector<std::string> levels;
    if (!SplitScenario(bytes, levels)) continue;
    ScenarioInfo s;
    s.id = Sha256Hex(bytes);
    s.file = file;
    s.name = Cp1251ToUtf8(file.substr(0, file.size() - 4));
    s.levels = int(std::min<size_t>(levels.size(), kMaxScenarioLevels));
    out[s.id] = s;
  }
  if (out.empty()) error = "no scenario (.lev file) in the data folder " + folder;
  return out;
}

bool RateLimit::Allow(const std::string& address) {
  const auto now = std::chrono::steady_clock::now();
  const double burst = perMinute_;
  std::lock_guard lock(mutex_);
  if (buckets_.size() > 100000) {
    // Forget the addresses whose buckets have filled up again.
    std::erase_if(buckets_, [&](const auto& b) {
      return b.second.tokens + std::chrono::duration<double>(now - b.second.at).count() *
                                   perMinute_ / 60.0 >=
             burst;
    });
  }
  auto [it, added] = buckets_.try_emplace(address, Bucket{burst, now});
  Bucket& b = it->second;
  b.tokens = std::min(burst, b.tokens + std::chrono::duration<double>(now - b.at).count() *
                                            perMinute_ / 60.0);
  b.at = now;
  if (b.tokens < 1) return false;
  b.tokens -= 1;
  return true;
}

bool StoredName(const std::string& cp1251, std::string& utf8) {
  if (cp1251.size() > kMaxNameBytes) return false;
  for (unsigned char c : cp1251)
    if (c < 32 || c == 127) return false;
  utf8 = Cp1251ToUtf8(cp1251);
  return true;
}

bool Serve(const ServerConfig& config, Store& store, CheckPool& pool,
           const std::map<std::string, ScenarioInfo>& scenarios, std::string& error) {
  httplib::Server server;
  const int threads = config.threads;
  server.new_task_queue = [threads] { return new httplib::ThreadPool(size_t(threads)); };
  server.set_payload_max_length(kMaxBodyBytes);
  server.set_keep_alive_max_count(100);
  server.set_keep_alive_timeout(2);
  server.set_read_timeout(10);
  server.set_write_timeout(10);
  RateLimit limit(config.postsPerMinute);

  server.set_exception_handler([](const httplib::Request&, httplib::Response& res,
                                  std::exception_ptr) {
    Fail(res, 500, "the database cannot be used");
  });
  server.set_post_routing_handler([](const httplib::Request&, httplib::Response& res) {
    // Clients on other origins (the web build) read the tables and replays too.
    res.set_header("Access-Control-Allow-Origin", "*");
  });

  server.Post("/api/v1/results", [&](const httplib::Request& req, httplib::Response& res) {
    if (!limit.Allow(req.remote_addr)) {
      res.set_header("Retry-After", "60");
      return Fail(res, 429, "too many results from this address; try again later");
    }
    if (req.body.size() > kMaxBodyBytes) return Fail(res, 413, "a replay is at most 1 MiB");
    if (req.body.empty()) return Fail(res, 400, "the body holds no replay");
    if (!IsUtf8Text(req.body)) return Fail(res, 400, "a replay is UTF-8 text");
    const std::string replay = Sha256Hex(req.body);
    std::optional<SharedRow> row = store.FindByReplay(replay);
    if (!row) {
      const std::optional<CheckOutcome> outcome = pool.Check(req.body);
      if (!outcome) {
        res.set_header("Retry-After", "5");
        return Fail(res, 503, "too many replays are being checked; try again later");
      }
      if (outcome->verdict == CheckVerdict::Malformed) return Fail(res, 400, outcome->reason);
      if (outcome->verdict != CheckVerdict::Accepted) return Fail(res, 422, outcome->reason);
      const CheckedResult& r = outcome->result;
      SharedRow fresh;
      if (!scenarios.count(r.scenarioSha256)) return Fail(res, 422, "unknown scenario");
      if (!StoredName(r.name, fresh.name)) return Fail(res, 422, "not a name the game keeps");
      fresh.replay = replay;
      fresh.scenario = r.scenarioSha256;
      fresh.score = r.score;
      fresh.targets = r.targets;
      fresh.medals = r.medals;
      fresh.levels = r.levels;
      fresh.misses = r.misses;
      fresh.won = r.won;
      fresh.difficulty = r.difficulty;
      fresh.ticks = r.ticks;
      row = store.Add(fresh, req.body);
    }
    json body = RowJson(*row, RankOf(store, *row));
    body["scenario"] = row->scenario;
    Answer(res, 201, body);
  });

  server.Get("/api/v1/scenarios", [&](const httplib::Request&, httplib::Response& res) {
    const std::map<std::string, int64_t> counts = store.Counts();
    json list = json::array();
    for (const auto& [id, s] : scenarios) {
      const auto c = counts.find(id);
      list.push_back({{"id", id},
                      {"name", s.name},
                      {"file", s.file},
                      {"levels", s.levels},
                      {"results", c == counts.end() ? 0 : c->second}});
    }
    Answer(res, 200, list);
  });

  server.Get("/api/v1/scenarios/([0-9a-f]{64})/top",
             [&](const httplib::Request& req, httplib::Response& res) {
               const std::string id = req.matches[1];
               if (!scenarios.count(id)) return Fail(res, 404, "unknown scenario");
               int limitRows = kDefaultTop;
               if (req.has_param("limit")) {
                 const std::string v = req.get_param_value("limit");
                 if (v.empty() || v.size() > 4 ||
                     v.find_first_not_of("0123456789") != std::string::npos)
                   return Fail(res, 400, "limit is a number from 1 to 1000");
                 limitRows = std::stoi(v);
                 if (limitRows < 1 || limitRows > kMaxTop)
                   return Fail(res, 400, "limit is a number from 1 to 1000");
               }
               json rows = json::array();
               int64_t rank = 0;
               for (const SharedRow& r : TopRows(store, id, limitRows))
                 rows.push_back(RowJson(r, ++rank));
               Answer(res, 200, rows);
             });

  server.Get("/api/v1/replays/([0-9a-f]{64})",
             [&](const httplib::Request& req, httplib::Response& res) {
               const std::optional<std::string> text = store.ReplayText(req.matches[1]);
               if (!text) return Fail(res, 404, "no such replay");
               res.set_content(*text, "text/plain; charset=utf-8");
             });

  server.Get("/", [&](const httplib::Request& req, httplib::Response& res) {
    res.set_content(Page(config, req, store, scenarios), "text/html; charset=utf-8");
  });
  if (!config.webFolder.empty() && !server.set_mount_point("/play", config.webFolder)) {
    error = "the web build's folder " + config.webFolder + " cannot be served";
    return false;
  }

  // Port 0: one the system picks, named on standard error.
  const int port = config.port == 0 ? server.bind_to_any_port(config.host)
                                    : server.bind_to_port(config.host, config.port) ? config.port
                                                                                    : -1;
  if (port <= 0) {
    error = "cannot listen on " + config.host + ":" + std::to_string(config.port);
    return false;
  }
  std::fprintf(stderr, "vor-records: listening on %s:%d\n", config.host.c_str(), port);
  server.listen_after_bind();
  return true;
}
