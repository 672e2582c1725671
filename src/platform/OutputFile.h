// Files written in place (recordings, state dumps, screenshots): the path may be a device or a
// pipe, so there is no temporary file and rename. Every failure keeps the system's reason.
#pragma once
#include <string>
#include <string_view>

// Writes all of bytes to the open descriptor fd, going on after interruptions and short writes;
// false on an error (errno tells which).
[[nodiscard]] bool WriteAll(int fd, std::string_view bytes);

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

// Creates or replaces path with bytes, in place. On failure reason says why.
[[nodiscard]] bool WriteWholeFile(const std::string& path, std::string_view bytes,
                                  std::string& reason);
