// Bounded reading of regular files.
#include "platform/InputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <vector>

namespace {

const char* KindName(mode_t mode) {
  if (S_ISREG(mode)) return "a regular file";
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISCHR(mode)) return "a character device";
  if (S_ISBLK(mode)) return "a block device";
  if (S_ISSOCK(mode)) return "a socket";
  return "not a regular file";
}

bool IsMissing(int error) {
  return error == ENOENT || error == ENOTDIR;
}

ReadOutcome Refuse(ReadOutcome outcome, std::string& reason, std::string why) {
  reason = std::move(why);
  return outcome;
}

ReadOutcome OpenFailed(int error, std::string& reason) {
  return IsMissing(error) ? Refuse(ReadOutcome::Missing, reason, "no such file")
                          : Refuse(ReadOutcome::Failed, reason, std::strerror(error));
}

std::string NotRegular(mode_t mode) {
  return std::string("not a regular file (") + KindName(mode) + ")";
}

std::string Larger(uint64_t size, size_t maxBytes) {
  return "too large (" + std::to_string(size) + " bytes; at most " + std::to_string(maxBytes) +
         ")";
}

struct Descriptor {
  int fd;
  ~Descriptor() {
    if (fd >= 0) ::close(fd);
  }
};

// Opens path for reading once it is known to be a regular file of at most maxBytes (unless
// prefixOnly); size is its size when opened.
ReadOutcome OpenRegular(const std::string& path, size_t maxBytes, bool prefixOnly, Descriptor& file,
                        uint64_t& size, std::string& reason) {
  // Looked at before opening, as opening some devices already does something; and again after,
  // through the descriptor, in case the name was changed in between. Opening does not wait for a
  // writer, should a pipe have been put there after all.
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return OpenFailed(errno, reason);
  if (!S_ISREG(st.st_mode)) return Refuse(ReadOutcome::NotRegular, reason, NotRegular(st.st_mode));
  file.fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (file.fd < 0) return OpenFailed(errno, reason);
  if (::fstat(file.fd, &st) != 0) return Refuse(ReadOutcome::Failed, reason, std::strerror(errno));
  if (!S_ISREG(st.st_mode)) return Refuse(ReadOutcome::NotRegular, reason, NotRegular(st.st_mode));
  size = st.st_size > 0 ? uint64_t(st.st_size) : 0;
  if (size > maxBytes && !prefixOnly)
    return Refuse(ReadOutcome::TooLarge, reason, Larger(size, maxBytes));
  return ReadOutcome::Ok;
}

}  // namespace

ReadOutcome ReadRegularFilePieces(const std::string& path, size_t maxBytes, size_t pieceBytes,
                                  const std::function<bool(const char* data, size_t size)>& take,
                                  std::string& reason, bool prefixOnly) {
  reason.clear();
  Descriptor file{-1};
  uint64_t size = 0;
  const ReadOutcome opened = OpenRegular(path, maxBytes, prefixOnly, file, size, reason);
  if (opened != ReadOutcome::Ok) return opened;

  std::vector<char> piece;
  try {
    piece.resize(std::max<size_t>(pieceBytes, 1));
  } catch (const std::bad_alloc&) {
    return Refuse(ReadOutcome::Failed, reason, "not enough memory");
  }
  // A file that grows past the bound while it is read is refused too; one byte more tells.
  uint64_t done = 0;
  for (;;) {
    const uint64_t left = uint64_t(maxBytes) - std::min<uint64_t>(done, maxBytes);
    const size_t want = left >= piece.size() ? piece.size() : size_t(left) + 1;
    const ssize_t n = ::read(file.fd, piece.data(), want);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Refuse(ReadOutcome::Failed, reason, std::strerror(errno));
    if (n == 0) return ReadOutcome::Ok;
    size_t got = size_t(n);
    const bool over = done + got > maxBytes;
    if (over && !prefixOnly) return Refuse(ReadOutcome::TooLarge, reason, Larger(done + got, maxBytes));
    if (over) got = size_t(maxBytes - done);
    done += got;
    if (got > 0 && !take(piece.data(), got)) return ReadOutcome::Ok;
    if (over) return ReadOutcome::Ok;
  }
}

ReadOutcome ReadRegularFile(const std::string& path, size_t maxBytes, std::string& bytes,
                            std::string& reason, bool prefixOnly) {
  bytes.clear();
  struct stat st {};
  // Room for the whole file at once: large files are not copied over and over as they grow.
  if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
    try {
      bytes.reserve(size_t(std::min<uint64_t>(uint64_t(st.st_size), maxBytes)));
    } catch (const std::bad_alloc&) {
      reason = "not enough memory";
      return ReadOutcome::Failed;
    }
  }
  const ReadOutcome r = ReadRegularFilePieces(
      path, maxBytes, size_t{1} << 20,
      [&](const char* data, size_t n) {
        bytes.append(data, n);
        return true;
      },
      reason, prefixOnly);
  if (r != ReadOutcome::Ok) {
    bytes.clear();
    bytes.shrink_to_fit();
  }
  return r;
}

ReadOutcome ReadRegularFileInPlace(const std::string& path, size_t maxBytes, FileBytes& bytes,
                                   std::string& reason) {
  bytes = FileBytes();
  reason.clear();
  Descriptor file{-1};
  uint64_t size = 0;
  const ReadOutcome opened = OpenRegular(path, maxBytes, false, file, size, reason);
  if (opened != ReadOutcome::Ok) return opened;
  // One byte more than the size asks whether the file grew since it was opened.
  const size_t room = size_t(size) + 1;
  LargeMemory buffer;
  try {
    buffer = LargeMemory(room);
  } catch (const std::bad_alloc&) {
    return Refuse(ReadOutcome::Failed, reason, "not enough memory");
  }
  char* const into = static_cast<char*>(buffer.data());
  size_t done = 0;
  while (done < room) {
    const ssize_t n = ::read(file.fd, into + done, room - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Refuse(ReadOutcome::Failed, reason, std::strerror(errno));
    if (n == 0) break;
    done += size_t(n);
  }
  if (done == room) {
    // It grew while read: the rest goes through the bounded reader in pieces, from the start.
    std::string all;
    const ReadOutcome r = ReadRegularFile(path, maxBytes, all, reason);
    if (r != ReadOutcome::Ok) return r;
    try {
      buffer = LargeMemory(all.size());
    } catch (const std::bad_alloc&) {
      return Refuse(ReadOutcome::Failed, reason, "not enough memory");
    }
    std::memcpy(buffer.data(), all.data(), all.size());
    done = all.size();
  }
  bytes.bytes_ = std::move(buffer);
  bytes.size_ = done;
  return ReadOutcome::Ok;
}
