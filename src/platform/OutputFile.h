// Writing files: whole files replaced atomically (by way of a temporary file and a rename, under a
// lock that the game's other copies respect), and files written in place (recordings, and dumps
// or screenshots sent to a device or a pipe). Every failure keeps the system's reason.
#pragma once
#include <string>
#include <string_view>

// Writes all of bytes to the open descriptor fd, going on after interruptions and short writes;
// false on an error (errno tells which).
[[nodiscard]] bool WriteAll(int fd, std::string_view bytes);

// The file that a save of path replaces: path itself, or where its symbolic links lead (a link
// relative to the link's folder), so that a save goes through a link and keeps it.
std::string FollowLinks(const std::string& path);

// Holds the lock of a file, shared with every copy of the game on the machine: flock on the
// hidden file ".NAME.lock" beside the file (after FollowLinks), made when missing and removed when
// the lock is given back. The constructor waits for a copy that holds it. A thread that already
// holds the lock of that file holds it again at once. Held() is false when no lock could be had
// (a folder that cannot be written, a file system without locks): the caller goes on without.
class FileLock {
 public:
  explicit FileLock(const std::string& path);
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  bool Held() const { return held_; }

 private:
  std::string lockPath_;
  int fd_ = -1;
  bool held_ = false;
  bool nested_ = false;
};

// Creates or replaces path (after FollowLinks) with bytes by way of a temporary file
// ".NAME.XXXXXX" in the same folder, flushed to disk and renamed over it, so a crash or a full
// disk never leaves a half-written file. Holds the file's lock meanwhile; under it, temporaries
// of that name left by saves that were killed are removed first (only those, only in that
// folder: any other writer of the file would hold the lock). The new file keeps the old one's
// permissions. On failure the temporary is removed, the old file kept, errno tells why and the
// result is false.
[[nodiscard]] bool ReplaceFileAtomically(const std::string& path, std::string_view bytes);

class OutputFile {
 public:
  OutputFile() = default;
  // Closes a file still open; its errors are lost (call Close to see them).
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Creates or truncates path for writing.
  [[nodiscard]] bool Open(const std::string& path);
  [[nodiscard]] bool Write(std::string_view bytes);
  // Closes the file; false when closing reported an error (a write the system had deferred).
  [[nodiscard]] bool Close();
  bool IsOpen() const { return fd_ >= 0; }
  // Why the last failed call failed, in the system's words.
  const std::string& Reason() const { return reason_; }

 private:
  bool Fail();
  int fd_ = -1;
  std::string reason_;
};

// Creates or replaces path with bytes: a regular file (or a new one) atomically as
// ReplaceFileAtomically does, so a kill never leaves half a dump; a device or pipe in place. A
// folder that takes no temporary file (but a file in it that may be written) is written in place.
// On failure reason says why.
[[nodiscard]] bool WriteWholeFile(const std::string& path, std::string_view bytes,
                                  std::string& reason);
