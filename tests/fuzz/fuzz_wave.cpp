// Sound data of any content: as one block of "wave.col" and as a RIFF WAVE file. Nothing may be
// read past the bytes given (the device keeps a copy of every buffer, so a read past the block
// shows), and a WAV file that is read becomes a block that parses with the samples it holds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "assets/MemoryStream.h"
#include "sound/WaveBlock.h"
#include "sound/WaveCollection.h"
#include "sound/WaveFile.h"

namespace {

class CopyingDevice : public AudioDevice {
 public:
  int32_t CreateBuffer(const TWaveFormat& f, const uint8_t* data, size_t size) override {
    if (f.wFormatTag != 1) return DDERR_INVALIDPARAMS;
    last.assign(data, data + size);
    return 1;
  }
  HRESULT Play(int32_t) override { return DD_OK; }
  void Stop() override {}
  void ReleaseBuffer(int32_t) override {}
  std::vector<uint8_t> last;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The block is copied into a buffer of its exact size.
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  CopyingDevice device;
  TWaveCollection sounds(&device);
  sounds.AddBlock("s", bytes);
  if (sounds.LoadBuffer(0)) {
    if (size < kWaveBlockHeader || device.last.size() > size - kWaveBlockHeader) abort();
    if (!sounds.PlayBuffer(false)) abort();
  }

  TWave wave(&device);
  if (wave.Reader.OpenBytes(bytes)) {
    const uint32_t samples = wave.Reader.DataChunk.Size;
    if (samples > size) abort();
    TMemoryStream stream;
    wave.SaveToStream(stream);
    TWaveBlockView view;
    if (!ParseWaveBlock(stream.Bytes(), view) || view.SampleBytes != samples) abort();
    if (view.Format.cbSize != 0) abort();
  }
  return 0;
}
