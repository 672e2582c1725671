// Reading whole files safely: only regular files are read (a pipe, a device or a folder could block
// the game forever or never end), and never more than a bound that suits the kind of file.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/LargeMemory.h"

// Bounds of the files the game reads, by kind.
// Texts written by hand or by the game: level texts, lists, scripts, settings.
constexpr size_t kMaxTextFileBytes = size_t{8} << 20;
// Recorded scripts (one line per input event) may run for hours.
constexpr size_t kMaxScriptFileBytes = size_t{64} << 20;
// A compiled scenario: the header and a hundred levels of at most 1 MB each.
constexpr size_t kMaxStoredLevelBytes = size_t{1} << 20;
constexpr size_t kMaxScenarioFileBytes = 768 + 100 * kMaxStoredLevelBytes;
// Collections of pictures and sounds, and "graph.dat" made from them; also the bound of every
// read that names no other.
constexpr size_t kMaxDataFileBytes = size_t{256} << 20;

enum class ReadOutcome {
  Ok,
  Missing,     // no such file (or a path through something that is not a folder)
  NotRegular,  // a folder, pipe, device or socket: refused without reading
  TooLarge,    // larger than the bound: refused without reading
  Failed,      // it could not be opened or read
};

// Reads the regular file path into bytes. It is opened without blocking and checked after
// opening, so a pipe or device put there is never read. A file longer than maxBytes is refused
// (TooLarge), unless prefixOnly, when its first maxBytes bytes are read. On any outcome but Ok,
// bytes is empty and reason says why in a few words ("not a regular file (a FIFO)", "too large
// (3221225472 bytes; at most 8388608)", "Permission denied").
ReadOutcome ReadRegularFile(const std::string& path, size_t maxBytes, std::string& bytes,
                            std::string& reason, bool prefixOnly = false);
// The same, handing the bytes to take in pieces of at most pieceBytes as they are read (all of
// them non-empty; joined they give the file's bytes, or its first maxBytes with prefixOnly); take
// returns false to stop reading, which still counts as Ok. On a refusal take is never called; on
// a read error it may have been.
ReadOutcome ReadRegularFilePieces(const std::string& path, size_t maxBytes, size_t pieceBytes,
                                  const std::function<bool(const char* data, size_t size)>& take,
                                  std::string& reason, bool prefixOnly = false);

// A whole file's bytes, read straight into a buffer of its size: no zeroing first and no pieces
// copied on (the start reads tens of megabytes of "graph.dat" this way). Not a mapping: a file cut
// short by another program while mapped would stop the game; a read just comes back shorter.
class FileBytes {
 public:
  const char* data() const { return static_cast<const char*>(bytes_.data()); }
  size_t size() const { return size_; }
  std::string_view view() const { return {data(), size_}; }

 private:
  friend ReadOutcome ReadRegularFileInPlace(const std::string&, size_t, FileBytes&, std::string&);
  LargeMemory bytes_;
  size_t size_ = 0;
};

// ReadRegularFile into bytes in place, with the same checks and outcomes (no prefixOnly): a file
// that grows while it is read past the size it had when opened is refused as TooLarge if that
// passes maxBytes, and otherwise read to its end.
ReadOutcome ReadRegularFileInPlace(const std::string& path, size_t maxBytes, FileBytes& bytes,
                                   std::string& reason);
