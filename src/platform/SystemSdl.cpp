// The sdl backend: a window showing the 800 x 600 frame scaled to fit, letterboxed,
// nearest-neighbour; relative mouse; text input; one audio device that sounds one buffer at a time.
#include <SDL.h>

#include <cstdio>
#include <cstring>
#include <mutex>

#include "platform/Cp1251.h"
#include "platform/System.h"

std::unique_ptr<System> CreateHeadlessSystem();
std::unique_ptr<System> CreateSdlSystem(bool windowed);

namespace {

class SdlAudio final : public AudioDevice {
 public:
  bool Open() {
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
    buffers_.push_back(std::move(out));
    return int32_t(buffers_.size() - 1);
  }

  HRESULT Play(int32_t buffer) override {
    std::lock_guard lock(mutex_);
    if (buffer < 0 || size_t(buffer) >= buffers_.size()) return DDERR_INVALIDPARAMS;
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
    if (buffer >= 0 && size_t(buffer) < buffers_.size()) {
      buffers_[buffer].clear();
      if (playing_ == buffer) playing_ = -1;
    }
  }

 private:
  static void Callback(void* self, Uint8* stream, int len) {
    static_cast<SdlAudio*>(self)->Mix(stream, size_t(len));
  }
  void Mix(Uint8* stream, size_t len) {
    std::memset(stream, spec_.silence, len);
    std::lock_guard lock(mutex_);
    if (playing_ < 0) return;
    const auto& b = buffers_[playing_];
    const size_t n = std::min(len, b.size() - std::min(position_, b.size()));
    std::memcpy(stream, b.data() + position_, n);
    position_ += n;
    if (position_ >= b.size()) playing_ = -1;
  }

  SDL_AudioDeviceID device_ = 0;
  SDL_AudioSpec spec_{};
  std::mutex mutex_;
  std::vector<std::vector<uint8_t>> buffers_;
  int32_t playing_ = -1;
  size_t position_ = 0;
};

class SdlSystem final : public System {
 public:
  explicit SdlSystem(bool windowed) : windowed_(windowed) {}
  ~SdlSystem() override {
    if (texture_) SDL_DestroyTexture(texture_);
    if (renderer_) SDL_DestroyRenderer(renderer_);
    if (window_) SDL_DestroyWindow(window_);
    SDL_Quit();
  }

  bool Init() { return SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS | SDL_INIT_TIMER) == 0; }

  bool OpenWindow(int32_t width, int32_t height) override {
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    const Uint32 flags = windowed_ ? SDL_WINDOW_RESIZABLE : SDL_WINDOW_FULLSCREEN_DESKTOP;
    window_ = SDL_CreateWindow("Vor", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                               flags);
    if (!window_) return false;
    renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED);
    if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
    if (!renderer_) return false;
    SDL_RenderSetLogicalSize(renderer_, width, height);
    texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                                 width, height);
    if (!texture_) return false;
    SDL_ShowCursor(SDL_DISABLE);
    SDL_SetRelativeMouseMode(SDL_TRUE);
    SDL_StartTextInput();
    return true;
  }

  bool IsHeadless() const override { return false; }

  void Present(const Surface& frame) override {
    if (!texture_) return;
    SDL_UpdateTexture(texture_, nullptr, frame.Data(), frame.Pitch());
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
    SDL_RenderPresent(renderer_);
  }

  void PumpEvents() override {
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
      switch (e.type) {
        case SDL_QUIT: quit_ = true; break;
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
          const bool down = e.type == SDL_KEYDOWN;
          if (const uint8_t code = KeyFromScancode(e.key.keysym.scancode); code && !e.key.repeat)
            pending_.push_back({InputEvent::Kind::Key, code, down ? 1 : 0});
          // Enter and Backspace reach the name entry as characters; a held Enter does not repeat.
          if (down &&
              (e.key.keysym.scancode == SDL_SCANCODE_RETURN ||
               e.key.keysym.scancode == SDL_SCANCODE_KP_ENTER) &&
              !e.key.repeat)
            pending_.push_back({InputEvent::Kind::Char, 13, 0});
          if (down && e.key.keysym.scancode == SDL_SCANCODE_BACKSPACE)
            pending_.push_back({InputEvent::Kind::Char, 8, 0});
          break;
        }
        case SDL_TEXTINPUT:
          for (unsigned char c : Utf8ToCp1251(e.text.text))
            if (c >= 32 && c != 127) pending_.push_back({InputEvent::Kind::Char, c, 0});
          break;
        case SDL_MOUSEMOTION:
          pending_.push_back({InputEvent::Kind::MouseMove, e.motion.xrel, e.motion.yrel});
          break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
          int b = -1;
          switch (e.button.button) {
            case SDL_BUTTON_LEFT: b = 0; break;
            case SDL_BUTTON_RIGHT: b = 1; break;
            case SDL_BUTTON_MIDDLE: b = 2; break;
            case SDL_BUTTON_X1: b = 3; break;
            case SDL_BUTTON_X2: b = 4; break;
          }
          if (b >= 0)
            pending_.push_back(
                {InputEvent::Kind::Button, b, e.type == SDL_MOUSEBUTTONDOWN ? 1 : 0});
          break;
        }
        case SDL_WINDOWEVENT:
          switch (e.window.event) {
            case SDL_WINDOWEVENT_SHOWN:
            case SDL_WINDOWEVENT_EXPOSED: activated_ = true; break;
            case SDL_WINDOWEVENT_FOCUS_GAINED:
              activated_ = true;
              focused_ = true;
              SDL_SetRelativeMouseMode(SDL_TRUE);
              break;
            case SDL_WINDOWEVENT_FOCUS_LOST: focused_ = false; break;
            case SDL_WINDOWEVENT_RESTORED:
              if (!windowed_) SDL_MaximizeWindow(window_);
              activated_ = true;
              break;
          }
          break;
        case SDL_RENDER_TARGETS_RESET:
        case SDL_RENDER_DEVICE_RESET: surfacesReset_ = true; break;
      }
    }
  }

  void ShowMessageBox(const std::string& text, const std::string& caption) override {
    const std::string t = Cp1251ToUtf8(text), c = Cp1251ToUtf8(caption);
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, c.c_str(), t.c_str(), window_) != 0)
      std::fprintf(stderr, "%s: %s\n", c.c_str(), t.c_str());
  }

  std::unique_ptr<AudioDevice> OpenAudio() override {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return nullptr;
    auto audio = std::make_unique<SdlAudio>();
    if (!audio->Open()) return nullptr;
    return audio;
  }

  uint64_t Ticks() const override { return SDL_GetTicks64(); }
  void Sleep(uint32_t ms) override { SDL_Delay(ms); }

 private:
  bool windowed_;
  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
};

}  // namespace

std::unique_ptr<System> CreateSdlSystem(bool windowed) {
  auto s = std::make_unique<SdlSystem>(windowed);
  if (!s->Init()) {
    std::fprintf(stderr, "vor: cannot start the video system: %s\n", SDL_GetError());
    return nullptr;
  }
  return s;
}

// The web build's backend wraps this one and makes the systems itself (web/SystemWeb.cpp).
#ifndef __EMSCRIPTEN__
std::unique_ptr<System> System::Create(bool headless, bool windowed) {
  if (headless) return CreateHeadlessSystem();
  return CreateSdlSystem(windowed);
}
#endif
