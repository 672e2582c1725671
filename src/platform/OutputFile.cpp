// Files replaced atomically under a lock, and files written in place, with the reason of every
// failure.
#include "platform/OutputFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The permissions a new file gets: those of the process's file mask, read once before any thread
// could be making files. The owner always keeps reading and writing its own saves (the page's
// runtime reports a mask that would leave none).
const mode_t kNewFileMode = [] {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return mode_t((0666 & ~mask) | S_IRUSR | S_IWUSR);
}();

// The locks this process holds, with the thread that holds each: a thread that takes a lock it
// holds already must not wait for itself.
std::mutex heldMutex;
struct HeldLock {
  std::string path;
  std::thread::id thread;
  int depth;
};
std::vector<HeldLock> heldLocks;

std::string LockPathOf(const std::string& file) {
  const fs::path target(FollowLinks(file));
  const fs::path dir = target.parent_path();
  const std::string name = "." + target.filename().string() + ".lock";
  return dir.empty() ? name : (dir / name).string();
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

bool WriteInPlace(const std::string& path, std::string_view bytes, std::string& reason) {
  OutputFile file;
  const bool ok = file.Open(path) && file.Write(bytes) && file.Close();
  if (!ok) reason = file.Reason();
  return ok;
}

}  // namespace

bool WriteAll(int fd, std::string_view bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) {
      errno = ENOSPC;  // a device that takes nothing more
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

std::string FollowLinks(const std::string& path) {
  std::string p = path;
  // As many links as the system itself follows.
  for (int hop = 0; hop < 40; ++hop) {
    struct stat st {};
    if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return p;
    std::string link(PATH_MAX, '\0');
    const ssize_t n = ::readlink(p.c_str(), link.data(), link.size());
    if (n <= 0 || size_t(n) >= link.size()) return p;
    link.resize(size_t(n));
    const fs::path dir = fs::path(p).parent_path();
    p = link[0] == '/' || dir.empty() ? link : (dir / link).string();
  }
  return p;
}

FileLock::FileLock(const std::string& path) : lockPath_(LockPathOf(path)) {
  {
    std::lock_guard guard(heldMutex);
    for (HeldLock& h : heldLocks)
      if (h.path == lockPath_ && h.thread == std::this_thread::get_id()) {
        ++h.depth;
        held_ = nested_ = true;
        return;
      }
  }
  // The holder removes the lock file before it lets go, so a lock taken on a file that is no
  // longer the one of that name is taken again on the new one.
  for (int attempt = 0; attempt < 100 && !held_; ++attempt) {
    fd_ = ::open(lockPath_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd_ < 0) return;
    int r = 0;
#ifndef __EMSCRIPTEN__  // one page is one copy; its files live in the page's own storage
    do r = ::flock(fd_, LOCK_EX);
    while (r != 0 && errno == EINTR);
#endif
    if (r != 0) break;
    struct stat mine {}, named {};
    if (::fstat(fd_, &mine) == 0 && ::stat(lockPath_.c_str(), &named) == 0 &&
        mine.st_dev == named.st_dev && mine.st_ino == named.st_ino) {
      held_ = true;
      break;
    }
    ::close(fd_);
    fd_ = -1;
  }
  if (!held_) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    return;
  }
  std::lock_guard guard(heldMutex);
  heldLocks.push_back({lockPath_, std::this_thread::get_id(), 1});
}

FileLock::~FileLock() {
  if (!held_) return;
  {
    std::lock_guard guard(heldMutex);
    const auto it = std::find_if(heldLocks.begin(), heldLocks.end(), [&](const HeldLock& h) {
      return h.path == lockPath_ && h.thread == std::this_thread::get_id();
    });
    if (it != heldLocks.end() && --it->depth > 0) return;
    if (it != heldLocks.end()) heldLocks.erase(it);
  }
  if (nested_) return;
  const int saved = errno;
  ::unlink(lockPath_.c_str());
  ::close(fd_);
  errno = saved;
}

bool ReplaceFileAtomically(const std::string& path, std::string_view bytes) {
  const std::string target = FollowLinks(path);
  const fs::path targetPath(target);
  const std::string file = targetPath.filename().string();
  if (file.empty()) {
    errno = EISDIR;
    return false;
  }
  const fs::path dir = targetPath.parent_path().empty() ? fs::path(".") : targetPath.parent_path();
  const FileLock lock(target);
  // Saves killed between writing and renaming left their temporaries; they go before this one is
  // made, which also gives their room back on a full disk. Without the lock another copy may be
  // writing one of them, so they stay.
  if (lock.Held()) RemoveStaleTemporaries(dir, file);
  std::string tmpl = (dir / TemporaryPattern(file)).string();
  const int fd = ::mkostemp(tmpl.data(), O_CLOEXEC);
  if (fd < 0) return false;
  // The new file gets the old one's permissions, or the usual ones of a new file.
  struct stat st;
  const mode_t mode = ::stat(target.c_str(), &st) == 0 ? (st.st_mode & 07777) : kNewFileMode;
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

OutputFile::~OutputFile() {
  if (fd_ >= 0) ::close(fd_);
}

bool OutputFile::Fail() {
  reason_ = std::strerror(errno);
  return false;
}

bool OutputFile::Open(const std::string& path) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  return fd_ >= 0 || Fail();
}

bool OutputFile::Write(std::string_view bytes) {
  if (fd_ < 0) {
    errno = EBADF;
    return Fail();
  }
  return WriteAll(fd_, bytes) || Fail();
}

bool OutputFile::Close() {
  if (fd_ < 0) return true;
  const int r = ::close(fd_);
  fd_ = -1;
  return r == 0 || Fail();
}

bool WriteWholeFile(const std::string& path, std::string_view bytes, std::string& reason) {
  struct stat st {};
  const bool special = ::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode);
  if (special) return WriteInPlace(path, bytes, reason);
  if (ReplaceFileAtomically(path, bytes)) return true;
  const int error = errno;
  // A folder the player may not add files to, holding a file they may write.
  if ((error == EACCES || error == EPERM || error == EROFS) && ::access(path.c_str(), W_OK) == 0)
    return WriteInPlace(path, bytes, reason);
  reason = std::strerror(error);
  return false;
}
