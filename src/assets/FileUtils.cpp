// File helpers, hooks, direction of a vector, colour functions.
#include "assets/FileUtils.h"
#include "base/TextCase.h"

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

#include "base/Cp1251.h"
#include "base/PortableMath.h"
#include "platform/InputFile.h"
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
// Folders already made, or found unusable (with the system's error) and reported, in this run.
std::vector<std::string> checkedFolders;
std::vector<std::pair<std::string, int>> unusableFolders;
// The error of the last unusable folder this thread asked for, for the write that cannot be done.
thread_local int lastFolderError = 0;

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
  if (std::find(checkedFolders.begin(), checkedFolders.end(), dir) != checkedFolders.end()) {
    for (const auto& [folder, error] : unusableFolders)
      if (folder == dir) {
        lastFolderError = error;
        return false;
      }
    return true;
  }
  checkedFolders.push_back(dir);
  std::string error;
  if (MakeUserDir(dir, error)) return true;
  lastFolderError = errno ? errno : ENOENT;
  unusableFolders.emplace_back(dir, lastFolderError);
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

}  // namespace

std::string FileStamp(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return "-";
  char text[160];
  std::snprintf(text, sizeof text, "%llx.%llx.%llx.%llx.%lx.%llx.%lx",
                static_cast<unsigned long long>(st.st_size),
                static_cast<unsigned long long>(st.st_dev),
                static_cast<unsigned long long>(st.st_ino),
                static_cast<unsigned long long>(st.st_mtim.tv_sec), long(st.st_mtim.tv_nsec),
                static_cast<unsigned long long>(st.st_ctim.tv_sec), long(st.st_ctim.tv_nsec));
  return text;
}

namespace {

void ShowReadError(const std::string& name) {
  ShowFileMessage(Cp("Ошибка чтения файла ") + name);
}

// Says on stderr why a file that exists was not read.
void TellWhyNotRead(const std::string& name, const std::string& reason) {
  std::fprintf(stderr, "vor: cannot read %s: %s\n", name.c_str(), reason.c_str());
}

// Reads the regular file behind name in pieces of up to 4096 bytes and hands each to take, which
// says whether to go on. Returns 1 when read to the end (or stopped), 0 for a missing file, -1
// when it could not be read, or was refused: not a regular file, or over maxBytes (then, with
// prefixOnly, only its first maxBytes are read). Why is told on stderr.
template <class Take>
int ReadPieces(const std::string& name, size_t maxBytes, bool prefixOnly, Take take) {
  std::string reason;
  const ReadOutcome r = ReadRegularFilePieces(ResolveFileName(name), maxBytes, kPiece, take,
                                              reason, prefixOnly);
  if (r == ReadOutcome::Ok) return 1;
  if (r == ReadOutcome::Missing) return 0;
  TellWhyNotRead(name, reason);
  return -1;
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

std::string WriteFolderOf(const std::string& name) {
  const TFileFolders f = CurrentFolders();
  if (!f.Data.empty() && IsBareName(name)) return f.Player.empty() ? "(no folder)" : f.Player;
  return FolderOf(name);
}

bool FileExists(const std::string& name) {
  return Exists(ResolveFileName(name));
}

bool ReadFileToString(const std::string& name, std::string& text, int32_t limit,
                      size_t maxBytes) {
  text.clear();
  // A limit stops the reading after the piece that reaches it; a longer file is then no fault.
  const size_t wanted = limit > 0 ? (size_t(limit) + kPiece - 1) / kPiece * kPiece : 0;
  const bool prefix = limit > 0 && wanted <= maxBytes;
  const int r = ReadPieces(name, prefix ? wanted : maxBytes, prefix,
                           [&](const char* data, size_t n) {
                             text.append(data, n);
                             return true;
                           });
  if (r < 0) {
    ShowReadError(name);
    text.clear();
  }
  return r > 0;
}

bool ReadFileQuietly(const std::string& name, std::string& bytes, size_t maxBytes) {
  bytes.clear();
  std::string reason;
  const std::string path = ResolveFileName(name);
  const ReadOutcome r = ReadRegularFile(path, maxBytes, bytes, reason);
  if (r == ReadOutcome::NotRegular || r == ReadOutcome::TooLarge) TellWhyNotRead(name, reason);
  return r == ReadOutcome::Ok;
}

bool ReadFileToList(const std::string& name, std::vector<std::string>& list, size_t maxBytes) {
  list.clear();
  const int r = ReadPieces(name, maxBytes, false, [&](const char* data, size_t n) {
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
  lastFolderError = 0;
  const std::string target = WritableFileName(path);
  if (target.empty()) {
    errno = lastFolderError ? lastFolderError : ENOENT;
    return false;
  }
  return ReplaceFileAtomically(target, bytes);
}

float AngleOf(int32_t dx, int32_t dy) {
  constexpr double kPi = 3.14159265358979323846;
  if (dx == 0) return static_cast<float>(dy > 0 ? kPi / 2 : -kPi / 2);
  const double ax = std::fabs(static_cast<double>(dx)), ay = std::fabs(static_cast<double>(dy));
  const double t = static_cast<float>(PortableAtan(ay / ax));
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
