// A byte buffer with a read/write position: the blocks of block collections, the stored sprite
// sheets and the font are written into and read back from these.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

class TMemoryStream {
 public:
  TMemoryStream() = default;
  // Takes the bytes; the position starts at 0.
  explicit TMemoryStream(std::string bytes) : bytes_(std::move(bytes)) {}
  TMemoryStream(const char* data, size_t size) : bytes_(data, size) {}

  // Writes at the position, overwriting and then growing the buffer; the position moves past the
  // written bytes. A position beyond the end is first filled up with zero bytes.
  void Write(const void* data, size_t size);
  void Write(const std::string& data) { Write(data.data(), data.size()); }
  void WriteInt(int32_t value);

  // Reads up to size bytes from the position, never past the end; returns how many it read.
  size_t Read(void* data, size_t size);
  // Reads exactly size bytes, or nothing at all (position unchanged) when fewer remain.
  [[nodiscard]] bool ReadExact(void* data, size_t size);
  // Reads a 32-bit little-endian integer; false (position unchanged) when fewer than 4 bytes
  // remain.
  [[nodiscard]] bool ReadInt(int32_t& value);
  // Reads up to size bytes into a string (shorter at the end of the buffer).
  std::string ReadString(size_t size);

  size_t Position() const { return pos_; }
  // Any position is allowed; reads beyond the end give nothing.
  void Seek(size_t pos) { pos_ = pos; }
  size_t Size() const { return bytes_.size(); }
  size_t Remaining() const { return pos_ < bytes_.size() ? bytes_.size() - pos_ : 0; }
  // Cuts or zero-extends the buffer; the position is kept.
  void SetSize(size_t size) { bytes_.resize(size, '\0'); }
  void Clear() {
    bytes_.clear();
    pos_ = 0;
  }

  const std::string& Bytes() const { return bytes_; }
  // The bytes from the position to the end.
  std::string Rest() const { return pos_ < bytes_.size() ? bytes_.substr(pos_) : std::string(); }

 private:
  std::string bytes_;
  size_t pos_ = 0;
};
