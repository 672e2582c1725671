// Playing the stored sounds and building "wave.col" from WAV files.
#include "sound/WaveCollection.h"

#include <memory>
#include <utility>
#include <vector>

#include "assets/FileUtils.h"
#include "assets/MemoryStream.h"
#include "platform/Audio.h"
#include "sound/WaveBlock.h"
#include "sound/WaveFile.h"

TWaveCollection::~TWaveCollection() {
  ReleaseBuffer();
}

void TWaveCollection::ReleaseBuffer() {
  if (Device && Buffer >= 0) Device->ReleaseBuffer(Buffer);
  Buffer = -1;
  BufferBytes = 0;
}

bool TWaveCollection::LoadBuffer(int32_t index) {
  if (!Device) return false;
  ReleaseBuffer();
  const TMemoryStream* block = GetBlock(index);
  if (!block) return false;
  TWaveBlockView sound;
  if (!ParseWaveBlock(block->Bytes(), sound) || sound.SampleBytes == 0) return false;
  const int32_t buffer = Device->CreateBuffer(sound.Format, sound.Samples, sound.SampleBytes);
  if (buffer < 0) return false;
  Buffer = buffer;
  BufferBytes = int32_t(sound.SampleBytes);
  return true;
}

bool TWaveCollection::PlayBuffer(bool looping) {
  if (!Device || Buffer < 0 || looping) return false;
  return Succeeded(Device->Play(Buffer));
}

bool TWaveCollection::AddWaveFile(const std::string& name, const std::string& wavFileName) {
  TWave wave(Device);
  auto stream = std::make_unique<TMemoryStream>();
  const bool loaded = wave.LoadFile(wavFileName);
  if (loaded) wave.SaveToStream(*stream);
  AddBlock(name, std::move(stream));
  return loaded;
}

bool TWaveCollection::BuildFromList(const std::string& listFile) {
  Clear();
  std::vector<std::pair<std::string, std::string>> lines;
  if (!ReadListFile(listFile, lines)) return false;
  bool ok = true;
  for (const auto& [name, wavFile] : lines) {
    const std::string path = ResolveFileName(wavFile);
    if (!FileExists(path)) {
      ok = false;
      continue;
    }
    if (!AddWaveFile(name, path)) ok = false;
  }
  return Save() && ok;
}
