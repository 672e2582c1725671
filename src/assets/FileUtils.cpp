// File helpers, hooks, direction of a vector, colour functions.
#include "assets/FileUtils.h"
#include "assets/TextCase.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <mutex>

#include "platform/Cp1251.h"
#include "platform/OutputFile.h"
#include "platform/UserDirs.h"

namespace fs = std::filesystem;

namespace {

constexpr size_t kPiece = 4096;

std::mutex hookMutex;
std::function<void(const std::string&)> messageHandler;
std::function<void(const std::string&)> logHandler;
std::function<void()> processHandler;

std::mutex folderMutex;
TFileFolders folders;
// Folders already made (or found unusable and reported) in this run.
std::vector<std::string> checkedFolders, unusableFolders;

TFileFolders CurrentFolders() {
  std::lock_guard lock(folderMutex);
  return folders;
}

bool IsBareName(const std::string& name) {
  return !name.empty() && name.find('/') == std::string::npos;
}

// Makes one of the player's folders on first use; false when it cannot be made or written, which
// is said on stderr the first time.
bool UsableFolder(const std::string& dir) {
  std::lock_guard lock(folderMutex);
  if (std::find(checkedFolders.begin(), checkedFolders.end(), dir) != checkedFolders.end())
    return std::find(unusableFolders.begin(), unusableFolders.end(), dir) == unusableFolders.end();
  checkedFolders.push_back(dir);
  std::string error;
  if (MakeUserDir(dir, error)) return true;
  unusableFolders.push_back(dir);
  std::fprintf(stderr, "vor: %s\n", error.c_str());
  return false;
}

void ToStderr(const std::string& text) {
  const std::string line = Cp1251ToUtf8(text) + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
}

template <class F>
F CopyHook(const F& hook) {
  std::lock_guard lock(hookMutex);
  return hook;
}

bool Exists(const std::string& name) {
  struct stat st;
  return ::stat(name.c_str(), &st) == 0;
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

void ShowReadError(const std::string& name) {
  ShowFileMessage(Cp("Ошибка чтения файла ") + name);
}

// Reads pieces of up to 4096 bytes and hands each non-empty one to take, which says whether to go
// on. Returns 1 when read to the end (or stopped), 0 for a missing file, -1 for a read error.
template <class Take>
int ReadPieces(const std::string& name, Take take) {
  const std::string path = ResolveFileName(name);
  if (!Exists(path)) return 0;
  FilePtr f(std::fopen(path.c_str(), "rb"));
  if (!f) return -1;
  char buf[kPiece];
  for (;;) {
    const size_t n = std::fread(buf, 1, sizeof buf, f.get());
    if (n > 0 && !take(buf, n)) return 1;
    if (n < sizeof buf) return std::ferror(f.get()) ? -1 : 1;
  }
}

// A save's temporary file: "." NAME "." and mkstemp's six letters or digits.
std::string TemporaryPattern(const std::string& file) {
  return "." + file + ".XXXXXX";
}

bool IsTemporaryOf(const std::string& entry, const std::string& file) {
  const std::string head = "." + file + ".";
  return entry.size() == TemporaryPattern(file).size() &&
         entry.compare(0, head.size(), head) == 0 &&
         std::all_of(entry.begin() + ptrdiff_t(head.size()), entry.end(), [](char c) {
           return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
         });
}

void RemoveStaleTemporaries(const fs::path& dir, const std::string& file) {
  std::error_code ec;
  std::vector<fs::path> stale;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
    if (IsTemporaryOf(it->path().filename().string(), file) && it->is_regular_file(ec))
      stale.push_back(it->path());
  for (const fs::path& p : stale) fs::remove(p, ec);
}

}  // namespace

void SetFileMessageHandler(std::function<void(const std::string& text)> handler) {
  std::lock_guard lock(hookMutex);
  messageHandler = std::move(handler);
}

void ShowFileMessage(const std::string& text) {
  const auto h = CopyHook(messageHandler);
  h ? h(text) : ToStderr(text);
}

void SetAssetLogHandler(std::function<void(const std::string& text)> handler) {
  std::lock_guard lock(hookMutex);
  logHandler = std::move(handler);
}

void LogAssetMessage(const std::string& text) {
  const auto h = CopyHook(logHandler);
  h ? h(text) : ToStderr(text);
}

void SetProcessMessagesHandler(std::function<void()> handler) {
  std::lock_guard lock(hookMutex);
  processHandler = std::move(handler);
}

void ProcessMessages() {
  const auto h = CopyHook(processHandler);
  if (h) h();
}

void SetFileFolders(const TFileFolders& f) {
  std::lock_guard lock(folderMutex);
  folders = f;
  checkedFolders.clear();
  unusableFolders.clear();
}

std::vector<std::string> LookupFolders() {
  const TFileFolders f = CurrentFolders();
  if (f.Data.empty()) return {"."};
  if (f.Player.empty()) return {f.Data};
  return {f.Player, f.Data};
}

namespace {

// The entry of the folder whose name matches name exactly or else in letter case only.
std::string ResolveInFolder(const std::string& name) {
  if (name.empty() || Exists(name)) return name;
  const fs::path path(name);
  const fs::path dir = path.parent_path();
  const std::string wanted = path.filename().string();
  if (wanted.empty()) return name;
  std::error_code ec;
  fs::directory_iterator it(dir.empty() ? fs::path(".") : dir, ec), end;
  std::string best;
  for (; !ec && it != end; it.increment(ec)) {
    const std::string found = it->path().filename().string();
    if (SameFileNameIgnoringCase(found, wanted) && (best.empty() || found < best)) best = found;
  }
  if (best.empty()) return name;
  return dir.empty() ? best : (dir / best).string();
}

}  // namespace

std::string ResolveFileName(const std::string& name) {
  const TFileFolders f = CurrentFolders();
  if (f.Data.empty() || !IsBareName(name)) return ResolveInFolder(name);
  for (const std::string& dir : LookupFolders()) {
    const std::string path = ResolveInFolder(dir + "/" + name);
    if (Exists(path)) return path;
  }
  return (f.Player.empty() ? f.Data : f.Player) + "/" + name;
}

std::string WritableFileName(const std::string& name) {
  const TFileFolders f = CurrentFolders();
  if (f.Data.empty()) return ResolveInFolder(name);
  std::string path;
  if (IsBareName(name)) {
    if (f.Player.empty()) {
      (void)UsableFolder(f.Player);
      return {};
    }
    path = ResolveInFolder(f.Player + "/" + name);
  } else {
    path = ResolveInFolder(name);
  }
  const std::string dir = fs::path(path).parent_path().string();
  if ((dir == f.Player || dir == f.Cache) && !UsableFolder(dir)) return {};
  return path;
}

std::string CacheFileName(const std::string& name) {
  const TFileFolders f = CurrentFolders();
  if (f.Data.empty()) return name;
  if (f.Cache.empty()) {
    (void)UsableFolder(f.Cache);
    return {};
  }
  return f.Cache + "/" + name;
}

std::string FolderOf(const std::string& name) {
  std::error_code ec;
  const fs::path path = fs::absolute(fs::path(name), ec);
  return (ec ? fs::path(name) : path.lexically_normal()).parent_path().string();
}

bool FileExists(const std::string& name) {
  return Exists(ResolveFileName(name));
}

bool ReadFileToString(const std::string& name, std::string& text, int32_t limit) {
  text.clear();
  const int r = ReadPieces(name, [&](const char* data, size_t n) {
    text.append(data, n);
    return limit == 0 || static_cast<int64_t>(text.size()) < limit;
  });
  if (r < 0) {
    ShowReadError(name);
    text.clear();
  }
  return r > 0;
}

bool ReadFileQuietly(const std::string& name, std::string& bytes) {
  bytes.clear();
  const int r = ReadPieces(name, [&](const char* data, size_t n) {
    bytes.append(data, n);
    return true;
  });
  if (r <= 0) bytes.clear();
  return r > 0;
}

bool ReadFileToList(const std::string& name, std::vector<std::string>& list) {
  list.clear();
  const int r = ReadPieces(name, [&](const char* data, size_t n) {
    list.emplace_back(data, n);
    return true;
  });
  if (r < 0) ShowReadError(name);
  return r > 0;
}

bool WriteStringToFile(const std::string& name, const std::string& text) {
  if (WriteFileAtomically(name, text)) return true;
  ShowFileMessage(Cp("Ошибка записи в файл ") + name);
  return false;
}

bool WriteFileAtomically(const std::string& path, const std::string& bytes) {
  const std::string target = WritableFileName(path);
  const fs::path targetPath(target);
  const std::string file = targetPath.filename().string();
  if (file.empty()) {
    errno = EISDIR;
    return false;
  }
  const fs::path dir = targetPath.parent_path().empty() ? fs::path(".") : targetPath.parent_path();
  // Saves killed between writing and renaming left their temporaries; they go before this one is
  // made, which also gives their room back on a full disk.
  RemoveStaleTemporaries(dir, file);
  std::string tmpl = (dir / TemporaryPattern(file)).string();
  const int fd = ::mkstemp(tmpl.data());
  if (fd < 0) return false;
  // The new file gets the old one's permissions, or the usual ones of a new file.
  struct stat st;
  const mode_t mode = ::stat(target.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644;
  bool ok = ::fchmod(fd, mode) == 0 && WriteAll(fd, bytes) && ::fsync(fd) == 0;
  int error = ok ? 0 : errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (ok && std::rename(tmpl.c_str(), target.c_str()) != 0) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    ::unlink(tmpl.c_str());
    errno = error;
  }
  return ok;
}

float AngleOf(int32_t dx, int32_t dy) {
  constexpr double kPi = 3.14159265358979323846;
  if (dx == 0) return static_cast<float>(dy > 0 ? kPi / 2 : -kPi / 2);
  const double ax = std::fabs(static_cast<double>(dx)), ay = std::fabs(static_cast<double>(dy));
  const double t = static_cast<float>(std::atan(ay / ax));
  if (dx > 0) return static_cast<float>(dy >= 0 ? t : -t);
  return static_cast<float>(dy >= 0 ? kPi - t : t - kPi);
}

int32_t MaxInt(int32_t a, int32_t b) {
  return a > b ? a : b;
}

namespace {
uint32_t Mask(int32_t count, int32_t shift) {
  if (count <= 0 || shift < 0 || shift >= 32) return 0;
  const uint64_t ones = (uint64_t{1} << std::min(count, 32)) - 1;
  return static_cast<uint32_t>(ones << shift);
}
}  // namespace

TPixelFormat PixelFormatFromCounts(int32_t r, int32_t g, int32_t b) {
  TPixelFormat f;
  f.RBitMask = Mask(r, g + b);
  f.GBitMask = Mask(g, b);
  f.BBitMask = Mask(b, 0);
  f.RBitCount = r;
  f.GBitCount = g;
  f.BBitCount = b;
  f.RShift = r + g + b - 8;
  f.GShift = g + b - 8;
  f.BShift = 8 - b;
  f.RLoss = 8 - r;
  f.GLoss = 8 - g;
  f.BLoss = 8 - b;
  return f;
}

int32_t MaskBitCount(uint32_t mask) {
  for (int i = 0; i <= 30; ++i) {
    if (!(mask & (uint32_t{1} << i))) continue;
    int32_t count = 0;
    for (int j = i; j < 32 && (mask & (uint32_t{1} << j)); ++j) ++count;
    return count;
  }
  return 0;
}

TPixelFormat PixelFormatFromMasks(uint32_t r, uint32_t g, uint32_t b) {
  return PixelFormatFromCounts(MaskBitCount(r), MaskBitCount(g), MaskBitCount(b));
}

TPalette GreyPalette() {
  TPalette p;
  for (uint32_t i = 0; i < 256; ++i) p[i] = i * 0x010101u;
  return p;
}

uint32_t ColorFromBytes(uint8_t r, uint8_t g, uint8_t b) {
  return uint32_t{r} * 65536 + uint32_t{g} * 256 + b;
}

uint32_t SwapRedBlue(uint32_t c) {
  return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

TPalette SwapPalette(const TPalette& palette) {
  TPalette p;
  for (size_t i = 0; i < p.size(); ++i) p[i] = SwapRedBlue(palette[i]);
  return p;
}
