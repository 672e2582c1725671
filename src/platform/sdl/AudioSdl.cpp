// The machine's sound device through SDL: one output stream, buffers converted once to its format,
// one buffer sounding at a time. Released buffers give their memory back and their slots are taken
// again, so a long run that plays thousands of sounds keeps only a few.
#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <mutex>

#include "platform/sdl/SdlBackend.h"

namespace {

class SdlAudio final : public AudioDevice {
 public:
  bool Open() {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    subsystem_ = true;
    SDL_AudioSpec want{}, have{};
    want.freq = 44100;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = &SdlAudio::Callback;
    want.userdata = this;
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device_ == 0) return false;
    spec_ = have;
    SDL_PauseAudioDevice(device_, 0);
    return true;
  }
  ~SdlAudio() override {
    if (device_) SDL_CloseAudioDevice(device_);
    if (subsystem_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }

  int32_t CreateBuffer(const TWaveFormat& f, const uint8_t* data, size_t size) override {
    if (f.wFormatTag != 1 || (f.nChannels != 1 && f.nChannels != 2) ||
        (f.wBitsPerSample != 8 && f.wBitsPerSample != 16) || f.nSamplesPerSec < 1000 ||
        f.nSamplesPerSec > 192000)
      return DDERR_INVALIDPARAMS;
    const SDL_AudioFormat fmt = f.wBitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB;
    SDL_AudioStream* stream = SDL_NewAudioStream(fmt, uint8_t(f.nChannels), int(f.nSamplesPerSec),
                                                 spec_.format, spec_.channels, spec_.freq);
    if (!stream) return DDERR_GENERIC;
    const size_t frame = size_t(f.nChannels) * (f.wBitsPerSample / 8);
    const size_t usable = size - size % frame;
    SDL_AudioStreamPut(stream, data, int(usable));
    SDL_AudioStreamFlush(stream);
    std::vector<uint8_t> out(size_t(SDL_AudioStreamAvailable(stream)));
    if (!out.empty()) SDL_AudioStreamGet(stream, out.data(), int(out.size()));
    SDL_FreeAudioStream(stream);
    std::lock_guard lock(mutex_);
    const auto free =
        std::find_if(slots_.begin(), slots_.end(), [](const Slot& s) { return !s.used; });
    if (free != slots_.end()) {
      *free = {std::move(out), true};
      return int32_t(free - slots_.begin());
    }
    slots_.push_back({std::move(out), true});
    return int32_t(slots_.size() - 1);
  }

  HRESULT Play(int32_t buffer) override {
    std::lock_guard lock(mutex_);
    if (!Valid(buffer)) return DDERR_INVALIDPARAMS;
    playing_ = buffer;
    position_ = 0;
    return DD_OK;
  }
  void Stop() override {
    std::lock_guard lock(mutex_);
    playing_ = -1;
  }
  void ReleaseBuffer(int32_t buffer) override {
    std::lock_guard lock(mutex_);
    if (!Valid(buffer)) return;
    slots_[size_t(buffer)] = {};
    if (playing_ == buffer) playing_ = -1;
  }

 private:
  struct Slot {
    std::vector<uint8_t> samples;
    bool used = false;
  };

  bool Valid(int32_t buffer) const {
    return buffer >= 0 && size_t(buffer) < slots_.size() && slots_[size_t(buffer)].used;
  }
  static void Callback(void* self, Uint8* stream, int len) {
    static_cast<SdlAudio*>(self)->Mix(stream, size_t(len));
  }
  void Mix(Uint8* stream, size_t len) {
    std::memset(stream, spec_.silence, len);
    std::lock_guard lock(mutex_);
    if (playing_ < 0) return;
    const auto& b = slots_[size_t(playing_)].samples;
    const size_t n = std::min(len, b.size() - std::min(position_, b.size()));
    if (n) std::memcpy(stream, b.data() + position_, n);
    position_ += n;
    if (position_ >= b.size()) playing_ = -1;
  }

  bool subsystem_ = false;
  SDL_AudioDeviceID device_ = 0;
  SDL_AudioSpec spec_{};
  std::mutex mutex_;
  std::vector<Slot> slots_;
  int32_t playing_ = -1;
  size_t position_ = 0;
};

}  // namespace

std::unique_ptr<AudioDevice> OpenSdlAudio() {
  auto audio = std::make_unique<SdlAudio>();
  if (!audio->Open()) return nullptr;
  return audio;
}
