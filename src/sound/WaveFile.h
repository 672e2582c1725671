// Reading RIFF WAVE files, used only when "wave.col" is built from WAV files.
//
//   "RIFF" size "WAVE", then chunks: id (4), size (4), data (size, padded to even).
//   "fmt " holds at least 16 bytes of the wave format; a format other than PCM (tag 1) follows
//   them with a 16-bit count E and E extra bytes. "data" holds the samples.
//
// Sizes are trusted only as far as the file goes: a chunk that claims more bytes than the file
// holds is cut to what is there, so what is read and stored stays consistent.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/Audio.h"

class TMemoryStream;

struct TChunkInfo {
  uint32_t Id = 0;
  uint32_t Size = 0;      // bytes of data, cut to the file's end
  uint32_t FormType = 0;  // RIFF chunks only
  size_t DataOffset = 0;  // first byte of the data in the file
};

class TWaveSoundRead {
 public:
  // Reads the file's format and finds its sample data. False for a missing file or one that is
  // not a RIFF WAVE with a usable "fmt " and a "data" chunk.
  [[nodiscard]] bool OpenWave(const std::string& fileName);
  // The same, for a file's bytes already in memory.
  [[nodiscard]] bool OpenBytes(std::string bytes);
  // Copies up to count bytes of the samples that are left; read tells how many.
  bool ReadData(uint32_t count, uint8_t* destination, uint32_t& read);
  // Starts the sample data again from its beginning.
  [[nodiscard]] bool RestartData();
  void CloseWave();

  // The format; cbSize is the number of extra bytes, which are in FormatExtra.
  TWaveFormat Format;
  std::string FormatExtra;
  TChunkInfo DataChunk;  // Size shrinks as data is read
  TChunkInfo RiffChunk;

 private:
  bool FindChunk(uint32_t id, size_t from, size_t end, TChunkInfo& chunk) const;
  std::string file_;
  size_t dataPos_ = 0;
};

// One WAV file on its way into a sound block: it passes through a device buffer, so only sounds
// the device can play are taken.
class TWave {
 public:
  // device: not owned; must outlive the wave.
  explicit TWave(AudioDevice* device) : Device(device) {}
  ~TWave();
  TWave(const TWave&) = delete;
  TWave& operator=(const TWave&) = delete;

  // False without a device, for an unreadable file or a format the device refuses.
  [[nodiscard]] bool LoadFile(const std::string& fileName);
  [[nodiscard]] bool FillBuffer();
  // Writes the sound as a block of "wave.col" (the extra format bytes are dropped).
  void SaveToStream(TMemoryStream& stream);

  TWaveSoundRead Reader;
  int32_t Buffer = -1;
  uint32_t BufferBytes = 0;
  AudioDevice* Device;
};
