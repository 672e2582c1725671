// Results waiting to be sent, and the game's requests to the server of shared tables.
#include "app/SharedTables.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <system_error>

#include "base/Cp1251.h"
#include "base/Sha256.h"
#include "frontend/RecordsFile.h"
#include "platform/InputFile.h"
#include "platform/OutputFile.h"
#include "replay/ReplayFile.h"

namespace fs = std::filesystem;

namespace {

constexpr size_t kStampDigits = 20, kContentDigits = 16;
constexpr std::string_view kSuffix = ".replay";

bool AllOf(std::string_view s, bool (*f)(char)) {
  return std::all_of(s.begin(), s.end(), f);
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsHex(char c) {
  return IsDigit(c) || (c >= 'a' && c <= 'f');
}

bool IsResultName(std::string_view n) {
  return n.size() == kStampDigits + 1 + kContentDigits + kSuffix.size() &&
         n[kStampDigits] == '-' && n.ends_with(kSuffix) && AllOf(n.substr(0, kStampDigits), IsDigit) &&
         AllOf(n.substr(kStampDigits + 1, kContentDigits), IsHex);
}

// A JSON value as far as a shared table needs one: numbers as text, strings decoded to UTF-8.
struct JsonValue {
  enum class Kind : uint8_t { Null, Bool, Number, String, Array, Object } kind = Kind::Null;
  bool boolean = false;
  std::string text;
  std::vector<JsonValue> items;
  std::map<std::string, JsonValue> fields;
};

class JsonReader {
 public:
  explicit JsonReader(std::string_view s) : s_(s) {}
  bool Document(JsonValue& v) {
    if (!Value(v, 0)) return false;
    Blanks();
    return pos_ == s_.size();
  }

 private:
  static constexpr int kMaxDepth = 8;
  void Blanks() {
    while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\t' || s_[pos_] == '\n' ||
                                s_[pos_] == '\r'))
      ++pos_;
  }
  bool Take(char c) {
    Blanks();
    if (pos_ < s_.size() && s_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  bool Word(std::string_view w) {
    if (s_.substr(pos_, w.size()) != w) return false;
    pos_ += w.size();
    return true;
  }
  bool Hex4(uint32_t& cp) {
    if (pos_ + 4 > s_.size()) return false;
    cp = 0;
    for (int i = 0; i < 4; ++i) {
      const char c = s_[pos_++];
      const int d = IsDigit(c)              ? c - '0'
                    : c >= 'a' && c <= 'f' ? c - 'a' + 10
                    : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                           : -1;
      if (d < 0) return false;
      cp = cp * 16 + uint32_t(d);
    }
    return true;
  }
  bool String(std::string& out) {
    if (!Take('"')) return false;
    while (pos_ < s_.size()) {
      const char c = s_[pos_++];
      if (c == '"') return true;
      if (static_cast<unsigned char>(c) < 0x20) return false;
      if (c != '\\') {
        out += c;
        continue;
      }
      if (pos_ >= s_.size()) return false;
      const char e = s_[pos_++];
      switch (e) {
        case '"': case '\\': case '/': out += e; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'u': {
          uint32_t cp = 0;
          if (!Hex4(cp)) return false;
          if (cp >= 0xD800 && cp < 0xDC00) {
            uint32_t low = 0;
            if (!Word("\\u") || !Hex4(low) || low < 0xDC00 || low >= 0xE000) return false;
            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
          } else if (cp >= 0xDC00 && cp < 0xE000) {
            return false;
          }
          AppendUtf8(out, cp);
          break;
        }
        default: return false;
      }
    }
    return false;
  }
  bool Value(JsonValue& v, int depth) {
    if (depth > kMaxDepth) return false;
    Blanks();
    if (pos_ >= s_.size()) return false;
    const char c = s_[pos_];
    if (c == '"') {
      v.kind = JsonValue::Kind::String;
      return String(v.text);
    }
    if (c == '[') {
      ++pos_;
      v.kind = JsonValue::Kind::Array;
      if (Take(']')) return true;
      do {
        v.items.emplace_back();
        if (!Value(v.items.back(), depth + 1)) return false;
      } while (Take(','));
      return Take(']');
    }
    if (c == '{') {
      ++pos_;
      v.kind = JsonValue::Kind::Object;
      if (Take('}')) return true;
      do {
        std::string key;
        if (!String(key) || !Take(':')) return false;
        JsonValue& field = v.fields[key];
        field = {};
        if (!Value(field, depth + 1)) return false;
      } while (Take(','));
      return Take('}');
    }
    if (Word("true") || Word("false")) {
      v.kind = JsonValue::Kind::Bool;
      v.boolean = s_[pos_ - 1] == 'e' && s_[pos_ - 2] == 'u';  // "true", not "false"
      return true;
    }
    if (Word("null")) return true;
    const size_t start = pos_;
    while (pos_ < s_.size() && (IsDigit(s_[pos_]) || std::strchr("+-.eE", s_[pos_]))) ++pos_;
    if (pos_ == start) return false;
    v.kind = JsonValue::Kind::Number;
    v.text = std::string(s_.substr(start, pos_ - start));
    return true;
  }

  std::string_view s_;
  size_t pos_ = 0;
};

// A whole number from -2^31 to 2^31 - 1.
bool Int32Field(const JsonValue& row, const char* name, int32_t& out) {
  const auto it = row.fields.find(name);
  if (it == row.fields.end() || it->second.kind != JsonValue::Kind::Number) return false;
  const std::string& t = it->second.text;
  const auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), out);
  return ec == std::errc() && p == t.data() + t.size();
}

}  // namespace

std::string PendingResults::Add(const std::string& text, std::string& error) {
  std::error_code ec;
  fs::create_directories(folder_, ec);
  if (ec) {
    error = "cannot make the folder " + folder_ + ": " + ec.message();
    return {};
  }
  if (List().size() >= kMaxWaiting) {
    error = std::to_string(kMaxWaiting) + " results wait in " + folder_ + " already";
    return {};
  }
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  char stamp[kStampDigits + 1];
  std::snprintf(stamp, sizeof stamp, "%020llu",
                static_cast<unsigned long long>(
                    std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
  const std::string name =
      std::string(stamp) + "-" + Sha256Hex(text).substr(0, kContentDigits) + std::string(kSuffix);
  if (!ReplaceFileAtomically(folder_ + "/" + name, text)) {
    error = "cannot write " + folder_ + "/" + name + ": " + std::strerror(errno);
    return {};
  }
  return name;
}

std::vector<std::string> PendingResults::List() const {
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    std::error_code type;
    if (IsResultName(name) && it->is_regular_file(type)) names.push_back(name);
    // A folder filled by something else is not read without end.
    if (names.size() > 10 * kMaxWaiting) break;
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool PendingResults::Read(const std::string& name, std::string& text, std::string& error) const {
  const std::string path = folder_ + "/" + name;
  // One byte past the largest replay tells a file that is larger.
  switch (ReadRegularFile(path, kMaxReplayBytes + 1, text, error, true)) {
    case ReadOutcome::Ok:
      if (text.size() <= kMaxReplayBytes) return true;
      error = "it is larger than a replay can be";
      return false;
    case ReadOutcome::Missing: error = "it is gone"; return false;
    default: return false;
  }
}

void PendingResults::Remove(const std::string& name) const {
  std::error_code ec;
  fs::remove(folder_ + "/" + name, ec);
}

bool ParseSharedTop(const std::string& json, std::vector<SharedTableRow>& rows,
                    std::string& error) {
  rows.clear();
  JsonValue doc;
  if (!JsonReader(json).Document(doc) || doc.kind != JsonValue::Kind::Array) {
    error = "the answer is not a JSON array";
    return false;
  }
  for (const JsonValue& item : doc.items) {
    if (rows.size() == size_t(kRecordRows)) break;
    SharedTableRow r;
    const auto name = item.fields.find("name");
    const auto won = item.fields.find("won");
    const auto replay = item.fields.find("replay");
    int32_t difficulty = 0;
    if (item.kind != JsonValue::Kind::Object || name == item.fields.end() ||
        name->second.kind != JsonValue::Kind::String || won == item.fields.end() ||
        won->second.kind != JsonValue::Kind::Bool || replay == item.fields.end() ||
        replay->second.kind != JsonValue::Kind::String || replay->second.text.size() != 64 ||
        !AllOf(replay->second.text, IsHex) || !Int32Field(item, "score", r.row.score) ||
        !Int32Field(item, "targets", r.row.targets) || !Int32Field(item, "medals", r.row.medals) ||
        !Int32Field(item, "levels", r.row.levels) || !Int32Field(item, "misses", r.row.misses) ||
        !Int32Field(item, "difficulty", difficulty) || difficulty < 0 || difficulty > 255) {
      error = "row " + std::to_string(rows.size() + 1) + " of the answer is damaged";
      rows.clear();
      return false;
    }
    std::string cp = Utf8ToCp1251(name->second.text);
    cp.resize(kMaxNameLength, ' ');
    r.row.used = 1;
    r.row.nameLength = kMaxNameLength;
    std::copy_n(cp.begin(), kMaxNameLength, r.row.name);
    r.row.won = won->second.boolean ? 1 : 0;
    r.row.difficulty = uint8_t(difficulty);
    r.replay = replay->second.text;
    rows.push_back(r);
  }
  return true;
}

SharedTables::SharedTables(std::string base, PendingResults pending)
    : base_(std::move(base)), pending_(std::move(pending)) {
  for (std::string& name : pending_.List()) queue_.push_back(std::move(name));
  NextSend();
}

void SharedTables::Send(const std::string& replay) {
  std::string error;
  const std::string name = pending_.Add(replay, error);
  if (name.empty()) {
    std::fprintf(stderr, "vor: the result cannot wait to be sent: %s; it is sent once now\n",
                 error.c_str());
    // Sent from memory: it goes now or not at all.
    queue_.push_back(":" + replay);
  }
  if (paused_) {
    // The next round: everything that waits, this result with it.
    paused_ = false;
    queue_.clear();
    if (name.empty()) queue_.push_back(":" + replay);
    for (std::string& n : pending_.List()) queue_.push_back(std::move(n));
  } else if (!name.empty() &&
             std::find(queue_.begin(), queue_.end(), name) == queue_.end()) {
    queue_.push_back(name);
  }
  NextSend();
}

void SharedTables::NextSend() {
  while (!sendRequest_ && !paused_ && !queue_.empty()) {
    sending_ = std::move(queue_.front());
    queue_.pop_front();
    std::string text, error;
    if (sending_[0] == ':') {
      text = sending_.substr(1);
    } else if (!pending_.Read(sending_, text, error)) {
      std::fprintf(stderr, "vor: the waiting result %s/%s cannot be read: %s\n",
                   pending_.Folder().c_str(), sending_.c_str(), error.c_str());
      continue;
    }
    sendRequest_ = HttpRequest::Post(base_ + "/api/v1/results", text);
  }
}

void SharedTables::SendDone(const HttpResponse& r) {
  const bool fromFile = sending_[0] != ':';
  const std::string where =
      fromFile ? " (" + pending_.Folder() + "/" + sending_ + ")" : std::string();
  if (r.status >= 200 && r.status < 300) {
    stored_ = true;
    if (fromFile) pending_.Remove(sending_);
  } else if (r.status >= 400 && r.status < 500 && r.status != 429) {
    // Refused for good: sending it again would be refused again.
    std::string why = r.body.substr(0, 300);
    std::replace_if(why.begin(), why.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    std::fprintf(stderr, "vor: the server of shared tables refused a result%s: %d %s\n",
                 where.c_str(), r.status, why.c_str());
    if (fromFile) pending_.Remove(sending_);
  } else {
    const std::string why = r.status ? "the server answered " + std::to_string(r.status) : r.error;
    if (fromFile)
      std::fprintf(stderr,
                   "vor: a result cannot be sent to %s now: %s; it waits in %s and goes "
                   "at the next start\n",
                   base_.c_str(), why.c_str(), pending_.Folder().c_str());
    else
      std::fprintf(stderr, "vor: a result cannot be sent to %s: %s\n", base_.c_str(),
                   why.c_str());
    paused_ = true;
    queue_.clear();
  }
  sending_.clear();
}

void SharedTables::FetchTop(const std::string& scenario) {
  topRows_.clear();
  topState_ = TopState::Loading;
  ++topVersion_;
  topRequest_ = HttpRequest::Get(base_ + "/api/v1/scenarios/" + scenario + "/top?limit=" +
                                 std::to_string(kRecordRows));
}

void SharedTables::FetchReplay(const std::string& replay) {
  replayText_.reset();
  replayFailure_.clear();
  replayDone_ = false;
  HttpLimits limits;
  limits.maxResponseBytes = kMaxReplayBytes;
  replayRequest_ = HttpRequest::Get(base_ + "/api/v1/replays/" + replay, limits);
}

std::optional<std::string> SharedTables::TakeReplay(std::string& failure) {
  if (!replayDone_) return std::nullopt;
  replayDone_ = false;
  failure = replayFailure_;
  return std::exchange(replayText_, std::nullopt);
}

void SharedTables::Poll() {
  if (sendRequest_ && sendRequest_->Done()) {
    const HttpResponse r = sendRequest_->Response();
    sendRequest_.reset();
    SendDone(r);
    NextSend();
  }
  if (topRequest_ && topRequest_->Done()) {
    const HttpResponse& r = topRequest_->Response();
    std::string error;
    if (r.status == 200)
      topState_ = ParseSharedTop(r.body, topRows_, error) ? TopState::Ready : TopState::Damaged;
    else if (r.status == 404)
      topState_ = TopState::UnknownScenario;
    else
      topState_ = TopState::Unreachable;
    topRequest_.reset();
    ++topVersion_;
  }
  if (replayRequest_ && replayRequest_->Done()) {
    const HttpResponse& r = replayRequest_->Response();
    if (r.status == 200)
      replayText_ = r.body;
    else
      replayFailure_ = r.status ? "the server answered " + std::to_string(r.status) : r.error;
    replayDone_ = true;
    replayRequest_.reset();
  }
}
