// The sound device: buffers made from a PCM wave format and its sample bytes, converted once to
// the device's format; playing a buffer starts it from its beginning, and at most one sounds.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "base/Result.h"

// The wave format record of a sound (the same 18 bytes as the RIFF "fmt " chunk plus cbSize).
struct TWaveFormat {
  uint16_t wFormatTag = 1;  // 1 = PCM, the only tag the device plays
  uint16_t nChannels = 1;
  uint32_t nSamplesPerSec = 22050;
  uint32_t nAvgBytesPerSec = 44100;
  uint16_t nBlockAlign = 2;
  uint16_t wBitsPerSample = 16;
  uint16_t cbSize = 0;
};

class AudioDevice {
 public:
  virtual ~AudioDevice() = default;
  // A buffer handle (>= 0), or a negative result when the format cannot be played.
  virtual int32_t CreateBuffer(const TWaveFormat& format, const uint8_t* data, size_t size) = 0;
  // Starts the buffer from its beginning, cutting whatever was sounding.
  virtual HRESULT Play(int32_t buffer) = 0;
  virtual void Stop() = 0;
  virtual void ReleaseBuffer(int32_t buffer) = 0;
};

// A device that accepts and plays every buffer in silence (headless runs).
std::unique_ptr<AudioDevice> CreateSilentAudio();
