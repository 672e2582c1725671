// Byte buffer with a position.
#include "assets/MemoryStream.h"

#include <algorithm>
#include <cstring>

#include "base/Bytes.h"

void TMemoryStream::Write(const void* data, size_t size) {
  if (size == 0) return;
  if (pos_ + size > bytes_.size()) bytes_.resize(pos_ + size, '\0');
  std::memcpy(bytes_.data() + pos_, data, size);
  pos_ += size;
}

void TMemoryStream::WriteInt(int32_t value) {
  Write(IntToBytes(value));
}

size_t TMemoryStream::Read(void* data, size_t size) {
  const size_t n = std::min(size, Remaining());
  if (n > 0) std::memcpy(data, bytes_.data() + pos_, n);
  pos_ += n;
  return n;
}

bool TMemoryStream::ReadExact(void* data, size_t size) {
  if (size > Remaining()) return false;
  Read(data, size);
  return true;
}

bool TMemoryStream::ReadInt(int32_t& value) {
  if (Remaining() < 4) return false;
  value = ReadInt32At(bytes_, pos_);
  pos_ += 4;
  return true;
}

std::string TMemoryStream::ReadString(size_t size) {
  const size_t n = std::min(size, Remaining());
  std::string s = bytes_.substr(std::min(pos_, bytes_.size()), n);
  pos_ += n;
  return s;
}
