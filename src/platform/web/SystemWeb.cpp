// The web backend: the sdl backend's window, input and sound on the page's canvas, plus what a
// page needs besides. Sleeping yields to the browser (the game's waiting loops never hold the
// page), the clock is the page's, a message box is a line on the page, the game gets an Escape
// when the page asks for one (the browser took the pointer back on that key, or the tab comes back
// during a level), the frame is scaled as the page's setting says, a hidden tab holds the game
// still, and the loading job runs between frames. A frame is handed to the screen when the browser
// next paints (one texture update of the newest frame drawn; none when no new frame came), not in
// the middle of the tick that drew it.
#include <SDL.h>
#include <emscripten.h>

#include "base/Cp1251.h"
#include "platform/Backend.h"
#include "platform/sdl/SdlBackend.h"
#include "platform/web/Pending.h"

// The page's side (web/index.html); each is optional so the program also runs on a bare page.
EM_JS(void, VorPageMessage, (const char* text),
      { (Module.vorMessage || err)(UTF8ToString(text)); });
EM_JS(void, VorPageGameEnded, (int status), {
  if (Module.vorEnded) Module.vorEnded(status);
});
EM_JS(int, VorPageTakeEscape, (), { return Module.vorTakeEscape ? Module.vorTakeEscape() : 0; });
// The page's on-screen keys (web/touch.js): a DirectInput code pressed, or 0.
EM_JS(int, VorPageTakeKey, (), { return Module.vorTakeKey ? Module.vorTakeKey() : 0; });
// What the page's text field typed: one character (a Unicode code point; 13 Enter, 8 Backspace),
// or 0 when nothing more waits.
EM_JS(int, VorPageTakeChar, (), { return Module.vorTakeChar ? Module.vorTakeChar() : 0; });
EM_JS(void, VorPageScreen, (int state, int waitedKey),
      { if (Module.vorScreen) Module.vorScreen(state, waitedKey); });
// 1 for integer scaling, else sharp.
EM_JS(int, VorPageScale, (), { return Module.vorScale ? Module.vorScale() : 0; });
EM_JS(int, VorPageHidden, (), { return typeof document !== 'undefined' && document.hidden ? 1 : 0; });
// Asks the browser to call vor_show_frame before it next paints, once however many frames wait.
// Module.vorShown counts the frames handed to the screen and the milliseconds it took.
EM_JS(void, VorPageFrameReady, (), {
  if (Module.vorFrameAsked) return;
  Module.vorFrameAsked = true;
  requestAnimationFrame(() => {
    Module.vorFrameAsked = false;
    const start = performance.now();
    if (!Module._vor_show_frame()) return;
    const shown = Module.vorShown || (Module.vorShown = { frames: 0, ms: 0 });
    ++shown.frames;
    shown.ms += performance.now() - start;
  });
});

namespace {

// The running game's state for the page's tests; empty while none runs.
std::function<std::string()> watchedState;

class WebSystem;
// The system whose newest frame waits for the browser's paint, if any.
WebSystem* showing = nullptr;

class WebSystem final : public System {
 public:
  // window: the sdl backend, or the headless one for runs that show nothing.
  explicit WebSystem(std::unique_ptr<System> window)
      : window_(std::move(window)), start_(emscripten_get_now()) {
    // The page is shown by the time the program runs.
    activated_ = true;
  }
  ~WebSystem() override {
    if (showing == this) showing = nullptr;
  }

  bool OpenWindow(int32_t width, int32_t height) override {
    return window_->OpenWindow(width, height);
  }
  bool IsHeadless() const override { return window_->IsHeadless(); }
  void SetScaleMode(ScaleMode mode) override {
    scale_ = mode;
    window_->SetScaleMode(mode);
  }

  // Only the newest frame is kept (the back buffer itself, no copy); the browser's paint shows it.
  void Present(const Surface& frame) override {
    ++presented_;
    if (window_->IsHeadless()) {
      window_->Present(frame);
      ++shown_;
      return;
    }
    waiting_ = &frame;
    showing = this;
    VorPageFrameReady();
  }

  // Hands the waiting frame to the screen: false when none waits.
  bool ShowWaitingFrame() {
    if (!waiting_) return false;
    const Surface* frame = waiting_;
    waiting_ = nullptr;
    if (frame->IsLost()) return false;
    window_->Present(*frame);
    ++shown_;
    return true;
  }

  void PumpEvents() override {
    window_->PumpEvents();
    for (const InputEvent& e : window_->TakeEvents()) pending_.push_back(e);
    // The game reads the keys once a tick: a key of the page stays down until two frames (ticks)
    // later, then the next one goes down.
    if (pageKeyDownAt_ >= 0) {
      if (presented_ - pageKeyDownAt_ >= 2) {
        pending_.push_back({InputEvent::Kind::Key, pageKey_, 0});
        pageKeyDownAt_ = -1;
      }
    } else if (const int key = VorPageTakeEscape() ? DIK_ESCAPE : VorPageTakeKey();
               key > 0 && key < 256) {
      pageKey_ = key;
      pending_.push_back({InputEvent::Kind::Key, pageKey_, 1});
      pageKeyDownAt_ = presented_;
    }
    // Typed as characters, as the keyboard's text is; at most a line's worth a pass.
    for (int i = 0; i < 64; ++i) {
      const int c = VorPageTakeChar();
      if (c <= 0) break;
      if (c == 13 || c == 8) {
        pending_.push_back({InputEvent::Kind::Char, c, 0});
        continue;
      }
      if (const auto b = CodePointToCp1251(char32_t(c)); b && *b >= 32 && *b != 127)
        pending_.push_back({InputEvent::Kind::Char, *b, 0});
    }
    if (const ScaleMode mode = VorPageScale() ? ScaleMode::Integer : ScaleMode::Sharp;
        mode != scale_)
      SetScaleMode(mode);
    focused_ = window_->HasFocus();
    quit_ = window_->QuitRequested();
    if (window_->TakeSurfacesReset()) surfacesReset_ = true;
  }

  void ShowScreen(int32_t state, uint8_t waitedKey) override { VorPageScreen(state, waitedKey); }

  void ShowMessageBox(const std::string& text, const std::string& caption) override {
    const std::string line = Cp1251ToUtf8(caption) + ": " + Cp1251ToUtf8(text);
    VorPageMessage(line.c_str());
  }

  std::unique_ptr<AudioDevice> OpenAudio() override { return window_->OpenAudio(); }

  void WatchGame(std::function<std::string()> stateJson) override {
    watchedState = std::move(stateJson);
  }
  // The page stays; it tells the player the game has ended.
  void GameEnded(int status) override {
    watchedState = nullptr;
    // The game's surfaces may go: the last frame was shown or is dropped.
    ShowWaitingFrame();
    waiting_ = nullptr;
    VorPageGameEnded(status);
  }

  uint64_t Ticks() const override { return uint64_t(emscripten_get_now() - start_); }

  void Sleep(uint32_t ms) override {
    emscripten_sleep(ms);
    // A hidden tab holds the game still: no tick runs until it is shown again, and the time it
    // was hidden is not made up (the tick loop runs at most one late tick).
    while (VorPageHidden()) emscripten_sleep(250);
    // A job waiting to run blocks the page while it runs: first let the page show two frames
    // drawn after it started (the loading screen); a browser that does not paint (a window out of
    // sight) holds it up for half a second at most.
    if (!HasPendingWork()) {
      shownAtWork_ = -1;
    } else if (shownAtWork_ < 0) {
      shownAtWork_ = shown_;
      presentedAtWork_ = presented_;
      workSeenAt_ = emscripten_get_now();
    } else if (shown_ - shownAtWork_ >= 2 ||
               (presented_ - presentedAtWork_ >= 2 && emscripten_get_now() - workSeenAt_ >= 500)) {
      RunPendingWork();
      shownAtWork_ = -1;
    }
  }

 private:
  std::unique_ptr<System> window_;
  double start_;
  // Frames drawn (ticks) and frames handed to the screen; their counts when a job came, and when.
  int64_t presented_ = 0, shown_ = 0, presentedAtWork_ = -1, shownAtWork_ = -1;
  double workSeenAt_ = 0;
  // The newest frame drawn and not yet shown (the game's back buffer), or null.
  const Surface* waiting_ = nullptr;
  // The page's key held down and the frame count when it went down, or -1.
  int32_t pageKey_ = 0;
  int64_t pageKeyDownAt_ = -1;
};

}  // namespace

// The page's view of the game, for its tests: the state dump of the game now, or "" when none runs.
extern "C" EMSCRIPTEN_KEEPALIVE const char* vor_state_json() {
  static std::string json;
  json = watchedState ? watchedState() : std::string();
  return json.c_str();
}

// Called by the browser before it paints (VorPageFrameReady): 1 when a frame was handed over.
extern "C" EMSCRIPTEN_KEEPALIVE int vor_show_frame() {
  return showing && showing->ShowWaitingFrame() ? 1 : 0;
}

void InstallWindowBackend() {
  WindowBackend backend;
  backend.create = [](const System::Config& config) -> std::unique_ptr<System> {
    // SDL would otherwise yield to the browser inside every present; this backend yields only
    // where the game waits.
    SDL_SetHint(SDL_HINT_EMSCRIPTEN_ASYNCIFY, "0");
    // The page sizes the canvas and owns full screen (its button and Alt+Enter).
    System::Config page = config;
    page.fullscreen = false;
    // A headless run is wrapped too: its loading job still needs a waiting loop that runs it.
    std::unique_ptr<System> inner =
        config.headless ? CreateHeadlessSystem(config) : CreateSdlSystem(page);
    if (!inner) return nullptr;
    return std::make_unique<WebSystem>(std::move(inner));
  };
  backend.openMachineAudio = OpenSdlAudio;
  SetWindowBackend(backend);
}
