// The web backend: the sdl backend's window, input and sound on the page's canvas, plus what a
// page needs besides. Sleeping yields to the browser (the game's waiting loops never hold the
// page), the clock is the page's, a message box is a line on the page, the game gets an Escape
// when the page asks for one (the browser took the pointer back on that key, or the tab comes back
// during a level), the frame is scaled as the page's setting says, a hidden tab holds the game
// still, and the loading job runs between frames.
#include <SDL.h>
#include <emscripten.h>

#include "platform/Cp1251.h"
#include "platform/System.h"
#include "platform/web/Pending.h"

std::unique_ptr<System> CreateHeadlessSystem(const System::Config& config);
std::unique_ptr<System> CreateSdlSystem(const System::Config& config);

// The page's side (web/index.html); each is optional so the program also runs on a bare page.
EM_JS(void, VorPageMessage, (const char* text),
      { (Module.vorMessage || err)(UTF8ToString(text)); });
EM_JS(int, VorPageTakeEscape, (), { return Module.vorTakeEscape ? Module.vorTakeEscape() : 0; });
// 1 for integer scaling, else sharp.
EM_JS(int, VorPageScale, (), { return Module.vorScale ? Module.vorScale() : 0; });
EM_JS(int, VorPageHidden, (), { return typeof document !== 'undefined' && document.hidden ? 1 : 0; });

namespace {

class WebSystem final : public System {
 public:
  // window: the sdl backend, or the headless one for runs that show nothing.
  explicit WebSystem(std::unique_ptr<System> window)
      : window_(std::move(window)), start_(emscripten_get_now()) {
    // The page is shown by the time the program runs.
    activated_ = true;
  }

  bool OpenWindow(int32_t width, int32_t height) override {
    return window_->OpenWindow(width, height);
  }
  bool IsHeadless() const override { return window_->IsHeadless(); }
  void SetScaleMode(ScaleMode mode) override {
    scale_ = mode;
    window_->SetScaleMode(mode);
  }

  void Present(const Surface& frame) override {
    window_->Present(frame);
    ++presented_;
  }

  void PumpEvents() override {
    window_->PumpEvents();
    for (const InputEvent& e : window_->TakeEvents()) pending_.push_back(e);
    // The game reads the keys once a tick: the Escape stays down until two frames (ticks) later.
    if (escapeDownAt_ >= 0) {
      if (presented_ - escapeDownAt_ >= 2) {
        pending_.push_back({InputEvent::Kind::Key, DIK_ESCAPE, 0});
        escapeDownAt_ = -1;
      }
    } else if (VorPageTakeEscape()) {
      pending_.push_back({InputEvent::Kind::Key, DIK_ESCAPE, 1});
      escapeDownAt_ = presented_;
    }
    if (const ScaleMode mode = VorPageScale() ? ScaleMode::Integer : ScaleMode::Sharp;
        mode != scale_)
      SetScaleMode(mode);
    focused_ = window_->HasFocus();
    quit_ = window_->QuitRequested();
    if (window_->TakeSurfacesReset()) surfacesReset_ = true;
  }

  void ShowMessageBox(const std::string& text, const std::string& caption) override {
    const std::string line = Cp1251ToUtf8(caption) + ": " + Cp1251ToUtf8(text);
    VorPageMessage(line.c_str());
  }

  std::unique_ptr<AudioDevice> OpenAudio() override { return window_->OpenAudio(); }

  uint64_t Ticks() const override { return uint64_t(emscripten_get_now() - start_); }

  void Sleep(uint32_t ms) override {
    emscripten_sleep(ms);
    // A hidden tab holds the game still: no tick runs until it is shown again, and the time it
    // was hidden is not made up (the tick loop runs at most one late tick).
    while (VorPageHidden()) emscripten_sleep(250);
    // A job waiting to run blocks the page while it runs: first let the page show two frames
    // drawn after it started (the loading screen).
    if (!HasPendingWork()) {
      presentedAtWork_ = -1;
    } else if (presentedAtWork_ < 0) {
      presentedAtWork_ = presented_;
    } else if (presented_ - presentedAtWork_ >= 2) {
      RunPendingWork();
      presentedAtWork_ = -1;
    }
  }

 private:
  std::unique_ptr<System> window_;
  double start_;
  int64_t presented_ = 0, presentedAtWork_ = -1;
  // The frame count when the page's Escape went down, or -1.
  int64_t escapeDownAt_ = -1;
};

}  // namespace

std::unique_ptr<System> System::Create(const Config& config) {
  // SDL would otherwise yield to the browser inside every present; this backend yields only
  // where the game waits.
  SDL_SetHint(SDL_HINT_EMSCRIPTEN_ASYNCIFY, "0");
  // The page sizes the canvas and owns full screen (its button and Alt+Enter).
  Config page = config;
  page.fullscreen = false;
  // A headless run is wrapped too: its loading job still needs a waiting loop that runs it.
  std::unique_ptr<System> inner =
      config.headless ? CreateHeadlessSystem(config) : CreateSdlSystem(page);
  if (!inner) return nullptr;
  return std::make_unique<WebSystem>(std::move(inner));
}
