// The headless backend: no window, a silent sound device, ticks back to back. Drawing still goes
// into real surfaces, so screenshots and pixel checks work.
#include <chrono>
#include <cstdio>
#include <thread>

#include "base/Cp1251.h"
#include "platform/Backend.h"

namespace {

class SilentAudio final : public AudioDevice {
 public:
  int32_t CreateBuffer(const TWaveFormat& f, const uint8_t*, size_t) override {
    if (f.wFormatTag != 1 || f.nChannels < 1 || f.nChannels > 2 ||
        (f.wBitsPerSample != 8 && f.wBitsPerSample != 16))
      return DDERR_INVALIDPARAMS;
    return buffers_++;
  }
  HRESULT Play(int32_t buffer) override {
    return buffer >= 0 && buffer < buffers_ ? DD_OK : DDERR_INVALIDPARAMS;
  }
  void Stop() override {}
  void ReleaseBuffer(int32_t) override {}

 private:
  int32_t buffers_ = 0;
};

class HeadlessSystem final : public System {
 public:
  explicit HeadlessSystem(bool machineSound) : machineSound_(machineSound) { activated_ = true; }
  bool OpenWindow(int32_t, int32_t) override { return true; }
  bool IsHeadless() const override { return true; }
  void Present(const Surface&) override {}
  void PumpEvents() override {}
  void ShowMessageBox(const std::string& text, const std::string& caption) override {
    std::fprintf(stderr, "%s: %s\n", Cp1251ToUtf8(caption).c_str(), Cp1251ToUtf8(text).c_str());
  }
  std::unique_ptr<AudioDevice> OpenAudio() override {
    if (machineSound_) return OpenMachineAudio();
    return CreateSilentAudio();
  }
  uint64_t Ticks() const override {
    return uint64_t(std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - start_)
                        .count());
  }
  void Sleep(uint32_t ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

 private:
  bool machineSound_;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace

std::unique_ptr<AudioDevice> CreateSilentAudio() {
  return std::make_unique<SilentAudio>();
}

std::unique_ptr<System> CreateHeadlessSystem(const System::Config& config) {
  auto s = std::make_unique<HeadlessSystem>(config.machineSound);
  s->SetFullscreen(config.fullscreen);
  return s;
}
