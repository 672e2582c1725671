// Files written in place, with the reason of every failure.
#include "platform/OutputFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

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
  OutputFile file;
  const bool ok = file.Open(path) && file.Write(bytes) && file.Close();
  if (!ok) reason = file.Reason();
  return ok;
}
