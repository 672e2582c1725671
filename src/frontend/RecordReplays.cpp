// Finding, keeping and removing the replays of a table's rows.
#include "frontend/RecordReplays.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <vector>

#include "base/Sha256.h"
#include "platform/OutputFile.h"

namespace fs = std::filesystem;

namespace {

constexpr size_t kKeyDigits = 16;
constexpr std::string_view kSuffix = ".replay";

bool IsHex(std::string_view s) {
  return std::all_of(s.begin(), s.end(),
                     [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

// The row key of a replay's file name, or "" for a file that is not named as a replay.
std::string KeyOfFile(const std::string& name) {
  constexpr size_t size = 2 * kKeyDigits + 1 + kSuffix.size();
  if (name.size() != size || name[kKeyDigits] != '-' || !name.ends_with(kSuffix)) return {};
  const std::string_view n(name);
  if (!IsHex(n.substr(0, kKeyDigits)) || !IsHex(n.substr(kKeyDigits + 1, kKeyDigits))) return {};
  return name.substr(0, kKeyDigits);
}

// The replay files of the folder by row key, each list in name order.
std::map<std::string, std::vector<std::string>> FilesByKey(const std::string& folder) {
  std::map<std::string, std::vector<std::string>> files;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    const std::string key = KeyOfFile(name);
    if (!key.empty() && it->is_regular_file(ec)) files[key].push_back(name);
  }
  for (auto& [key, names] : files) std::sort(names.begin(), names.end());
  return files;
}

}  // namespace

std::string ReplayFolderOf(const std::string& tablePath) {
  std::string base = tablePath;
  if (base.size() >= 4 && base.compare(base.size() - 4, 4, ".tbl") == 0)
    base.resize(base.size() - 4);
  return base + ".replays";
}

std::string RowReplayKey(const TRecordRow& row) {
  std::string bytes;
  auto add = [&](int64_t v) { bytes += std::to_string(v) + ","; };
  add(row.used != 0);
  bytes.append(row.name, std::min<size_t>(row.nameLength, sizeof row.name));
  bytes += ",";
  for (int64_t v :
       {int64_t(row.score), int64_t(row.targets), int64_t(row.medals), int64_t(row.levels),
        int64_t(row.won), int64_t(row.difficulty), int64_t(row.misses)})
    add(v);
  return Sha256Hex(bytes).substr(0, kKeyDigits);
}

bool KeepRowReplay(const std::string& tablePath, const TRecordRow& row, const std::string& text,
                   std::string& error) {
  const std::string folder = ReplayFolderOf(tablePath);
  std::error_code ec;
  fs::create_directory(folder, ec);
  if (ec) {
    error = "cannot make the folder " + folder + ": " + ec.message();
    return false;
  }
  const std::string path = folder + "/" + RowReplayKey(row) + "-" +
                           Sha256Hex(text).substr(0, kKeyDigits) + std::string(kSuffix);
  if (!ReplaceFileAtomically(path, text)) {
    error = "cannot write " + path + ": " + std::strerror(errno);
    return false;
  }
  // The new name is on disk before the table that names it.
  if (const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); fd >= 0) {
    (void)::fsync(fd);
    ::close(fd);
  }
  return true;
}

std::array<std::string, kRecordRows> RowReplays(const std::string& tablePath,
                                                const TRecordRow (&rows)[kRecordRows]) {
  std::array<std::string, kRecordRows> paths;
  const std::string folder = ReplayFolderOf(tablePath);
  auto files = FilesByKey(folder);
  std::map<std::string, size_t> taken;
  for (int i = 0; i < kRecordRows; ++i) {
    if (!rows[i].used) continue;
    const std::string key = RowReplayKey(rows[i]);
    const auto it = files.find(key);
    size_t& k = taken[key];
    if (it != files.end() && k < it->second.size()) paths[i] = folder + "/" + it->second[k++];
  }
  return paths;
}

void DropUnnamedReplays(const std::string& tablePath, const TRecordRow (&rows)[kRecordRows]) {
  const std::string folder = ReplayFolderOf(tablePath);
  std::map<std::string, size_t> named;
  for (const TRecordRow& r : rows)
    if (r.used) ++named[RowReplayKey(r)];
  for (const auto& [key, names] : FilesByKey(folder)) {
    const size_t keep = named.count(key) ? named[key] : 0;
    for (size_t i = keep; i < names.size(); ++i) {
      std::error_code ec;
      fs::remove(folder + "/" + names[i], ec);
    }
  }
}
