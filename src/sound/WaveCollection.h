// The sound collection "wave.col": a block collection whose blocks are sounds (see WaveBlock.h),
// played by index on the sound device, one at a time.
#pragma once
#include <cstdint>
#include <string>

#include "assets/Collections.h"

class AudioDevice;

class TWaveCollection : public TMemoryBlocksCollection {
 public:
  // device: not owned; must outlive the collection (the game destroys Sounds before its device).
  explicit TWaveCollection(AudioDevice* device) : Device(device) {}
  ~TWaveCollection() override;

  // Drops the previous buffer (cutting its sound) and makes one from block index. False without
  // a device, for an index out of range, a block too short for its header or for the N samples it
  // announces, an empty sound, or a format the device cannot play; there is then no buffer.
  [[nodiscard]] bool LoadBuffer(int32_t index);
  // Starts the buffer from its beginning. False without a buffer; the device plays sounds once,
  // so a looping request is refused.
  [[nodiscard]] bool PlayBuffer(bool looping);

  // Builds the collection from a list file of "name TAB wav file" lines and saves it. A WAV file
  // that is missing is skipped; one that cannot be loaded still adds an empty block so the indexes
  // stay aligned; either makes the result false.
  bool BuildFromList(const std::string& listFile) override;
  // Adds the WAV file as a block under name (an empty block when it cannot be loaded); false then.
  bool AddWaveFile(const std::string& name, const std::string& wavFileName);

  AudioDevice* Device;
  int32_t Buffer = -1;
  int32_t BufferBytes = 0;

 private:
  void ReleaseBuffer();
};
