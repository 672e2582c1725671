// What the level parser tells about a text as it reads it. The game parses without a report; the
// authors' tools pass one, so they learn what the one parser skips instead of reading the text
// with rules of their own.
#pragma once
#include <cstdint>
#include <string>

class TLevelReport {
 public:
  virtual ~TLevelReport() = default;
  // The parser looked the key up. entry: the index of the pair it took (the first of that key)
  // among the level's pairs, in text order; -1 when the text has no such key.
  virtual void KeyRead(const std::string& key, int32_t entry) = 0;
  // The value of the pair is not taken as written; why says what the game does instead.
  virtual void ValueChanged(int32_t entry, const std::string& why) = 0;
  // The value of the pair is a format error: the parse ends there.
  virtual void FormatError(int32_t entry, const std::string& why) = 0;
};
