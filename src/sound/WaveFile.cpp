// RIFF WAVE reading for building the sound collection.
#include "sound/WaveFile.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "assets/MemoryStream.h"
#include "platform/InputFile.h"
#include "sound/WaveBlock.h"

namespace {

constexpr uint32_t FourCC(const char (&s)[5]) {
  return uint32_t(uint8_t(s[0])) | uint32_t(uint8_t(s[1])) << 8 | uint32_t(uint8_t(s[2])) << 16 |
         uint32_t(uint8_t(s[3])) << 24;
}

uint32_t Le(const std::string& b, size_t pos, size_t size) {
  uint32_t v = 0;
  for (size_t i = 0; i < size; ++i) v |= uint32_t(uint8_t(b[pos + i])) << (8 * i);
  return v;
}

}  // namespace

bool TWaveSoundRead::OpenWave(const std::string& fileName) {
  CloseWave();
  std::string bytes, reason;
  if (ReadRegularFile(fileName, kMaxDataFileBytes, bytes, reason) != ReadOutcome::Ok) return false;
  return OpenBytes(std::move(bytes));
}

bool TWaveSoundRead::FindChunk(uint32_t id, size_t from, size_t end, TChunkInfo& chunk) const {
  size_t pos = from;
  while (pos + 8 <= end) {
    const uint32_t cid = Le(file_, pos, 4);
    const size_t size = Le(file_, pos + 4, 4);
    const size_t data = pos + 8;
    if (cid == id) {
      chunk.Id = cid;
      chunk.Size = uint32_t(std::min(size, end - data));
      chunk.DataOffset = data;
      return true;
    }
    pos = data + size + (size & 1);  // chunks are padded to an even length
  }
  return false;
}

bool TWaveSoundRead::OpenBytes(std::string bytes) {
  CloseWave();
  file_ = std::move(bytes);
  const auto fail = [this] {
    CloseWave();
    return false;
  };
  if (file_.size() < 12 || Le(file_, 0, 4) != FourCC("RIFF")) return fail();
  RiffChunk.Id = FourCC("RIFF");
  RiffChunk.DataOffset = 8;
  RiffChunk.Size = uint32_t(std::min<size_t>(Le(file_, 4, 4), file_.size() - 8));
  RiffChunk.FormType = Le(file_, 8, 4);
  if (RiffChunk.Size < 4 || RiffChunk.FormType != FourCC("WAVE")) return fail();
  const size_t riffEnd = RiffChunk.DataOffset + RiffChunk.Size;

  TChunkInfo fmt;
  if (!FindChunk(FourCC("fmt "), RiffChunk.DataOffset + 4, riffEnd, fmt) || fmt.Size < 16)
    return fail();
  Format = ReadWaveFormat(std::string_view(file_).substr(fmt.DataOffset, 16));
  Format.cbSize = 0;
  FormatExtra.clear();
  if (Format.wFormatTag != 1 && fmt.Size >= 18) {
    const uint16_t extra = uint16_t(Le(file_, fmt.DataOffset + 16, 2));
    if (18u + extra > fmt.Size) return fail();
    Format.cbSize = extra;
    FormatExtra = file_.substr(fmt.DataOffset + 18, extra);
  }
  if (!RestartData()) return fail();
  return true;
}

bool TWaveSoundRead::RestartData() {
  if (RiffChunk.Size < 4) return false;
  if (!FindChunk(FourCC("data"), RiffChunk.DataOffset + 4, RiffChunk.DataOffset + RiffChunk.Size,
                 DataChunk))
    return false;
  dataPos_ = DataChunk.DataOffset;
  return true;
}

bool TWaveSoundRead::ReadData(uint32_t count, uint8_t* destination, uint32_t& read) {
  read = std::min(count, DataChunk.Size);
  if (read > 0) std::memcpy(destination, file_.data() + dataPos_, read);
  dataPos_ += read;
  DataChunk.Size -= read;
  return true;
}

void TWaveSoundRead::CloseWave() {
  file_.clear();
  file_.shrink_to_fit();
  Format = TWaveFormat{};
  FormatExtra.clear();
  DataChunk = TChunkInfo{};
  RiffChunk = TChunkInfo{};
  dataPos_ = 0;
}

TWave::~TWave() {
  if (Device && Buffer >= 0) Device->ReleaseBuffer(Buffer);
}

bool TWave::LoadFile(const std::string& fileName) {
  if (!Device) return false;
  if (!Reader.OpenWave(fileName)) return false;
  BufferBytes = Reader.DataChunk.Size;
  return FillBuffer();
}

bool TWave::FillBuffer() {
  if (!Device) return false;
  std::vector<uint8_t> samples(BufferBytes);
  uint32_t read = 0;
  Reader.ReadData(BufferBytes, samples.data(), read);
  if (!Reader.RestartData()) return false;
  if (Buffer >= 0) Device->ReleaseBuffer(Buffer);
  Buffer = Device->CreateBuffer(Reader.Format, samples.data(), read);
  return Buffer >= 0;
}

void TWave::SaveToStream(TMemoryStream& stream) {
  std::string samples(Reader.DataChunk.Size, '\0');
  uint32_t read = 0;
  Reader.ReadData(uint32_t(samples.size()), reinterpret_cast<uint8_t*>(samples.data()), read);
  samples.resize(read);
  stream.Clear();
  stream.Write(MakeWaveBlock(Reader.Format, samples));
  stream.Seek(0);
}
