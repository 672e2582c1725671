// The sdl backend: a window showing the 800 x 600 frame scaled to fit, letterboxed (by whole
// factors in a window; in full screen and on the page sharp or integer, see sdl/FrameFit.h), in
// full screen or a window, at the display's own pixels; relative mouse; text input; game controllers
// with hot-plug; the machine's sound device.
#include <SDL.h>

#include <algorithm>
#include <array>
#include <bitset>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <utility>

#include "base/Cp1251.h"
#include "platform/Pad.h"
#include "platform/Resources.h"
#include "platform/Backend.h"
#include "platform/sdl/FrameFit.h"
#include "platform/sdl/SdlBackend.h"

std::unique_ptr<System> CreateSdlSystem(const System::Config& config);

namespace {

std::optional<PadButton> PadButtonOf(Uint8 b) {
  switch (b) {
    case SDL_CONTROLLER_BUTTON_A: return PadButton::A;
    case SDL_CONTROLLER_BUTTON_B: return PadButton::B;
    case SDL_CONTROLLER_BUTTON_X: return PadButton::X;
    case SDL_CONTROLLER_BUTTON_Y: return PadButton::Y;
    case SDL_CONTROLLER_BUTTON_START: return PadButton::Start;
    case SDL_CONTROLLER_BUTTON_BACK: return PadButton::Back;
    case SDL_CONTROLLER_BUTTON_DPAD_UP: return PadButton::DpUp;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN: return PadButton::DpDown;
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT: return PadButton::DpLeft;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT: return PadButton::DpRight;
    case SDL_CONTROLLER_BUTTON_LEFTSHOULDER: return PadButton::LeftShoulder;
    case SDL_CONTROLLER_BUTTON_RIGHTSHOULDER: return PadButton::RightShoulder;
    default: return std::nullopt;
  }
}

std::optional<PadAxis> PadAxisOf(Uint8 a) {
  switch (a) {
    case SDL_CONTROLLER_AXIS_LEFTX: return PadAxis::LeftX;
    case SDL_CONTROLLER_AXIS_LEFTY: return PadAxis::LeftY;
    case SDL_CONTROLLER_AXIS_RIGHTX: return PadAxis::RightX;
    case SDL_CONTROLLER_AXIS_RIGHTY: return PadAxis::RightY;
    default: return std::nullopt;
  }
}

class SdlSystem final : public System {
 public:
  explicit SdlSystem(bool machineSound) : machineSound_(machineSound) {}
  ~SdlSystem() override {
    for (auto& [id, pad] : pads_) SDL_GameControllerClose(pad.controller);
    if (enlarged_) SDL_DestroyTexture(enlarged_);
    if (texture_) SDL_DestroyTexture(texture_);
    if (renderer_) SDL_DestroyRenderer(renderer_);
    if (window_) SDL_DestroyWindow(window_);
    SDL_Quit();
  }

  // Video comes up with the window, so a run without a display fails where the game opens it;
  // pads are welcome but not needed.
  void Init() {
    NameTheApplication();
    // A finger is the game's own input (Touch.h): SDL's mouse made from it would act twice, and a
    // mouse makes no fingers.
    SDL_SetHint(SDL_HINT_TOUCH_MOUSE_EVENTS, "0");
    SDL_SetHint(SDL_HINT_MOUSE_TOUCH_EVENTS, "0");
    if (SDL_Init(SDL_INIT_EVENTS | SDL_INIT_TIMER) != 0) {
      initError_ = SDL_GetError();
      return;
    }
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0)
      std::fprintf(stderr, "vor: no game controllers: %s\n", SDL_GetError());
  }

  bool OpenWindow(int32_t width, int32_t height) override {
    if (!initError_.empty()) return Refuse("cannot start SDL", initError_.c_str());
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return Refuse("no display", SDL_GetError());
    // These drivers show nothing: a run on them would play unseen.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || !std::strcmp(driver, "dummy") || !std::strcmp(driver, "offscreen") ||
        !std::strcmp(driver, "evdev"))
      return Refuse("no display", driver ? driver : "no video driver");
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    frameW_ = width;
    frameH_ = height;
    window_ = SDL_CreateWindow("Vor", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                               SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI);
    if (!window_) return Refuse("cannot make the window", SDL_GetError());
    SetIcon();
    renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED);
    if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
    if (!renderer_) return Refuse("cannot make the renderer", SDL_GetError());
    texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                                 width, height);
    if (!texture_) return Refuse("cannot make the frame texture", SDL_GetError());
    ApplyMode();
    SDL_ShowWindow(window_);
    SDL_ShowCursor(SDL_DISABLE);
    SDL_SetRelativeMouseMode(SDL_TRUE);
    SDL_StartTextInput();
    return true;
  }

  bool IsHeadless() const override { return false; }

  void SetFullscreen(bool on) override {
    fullscreen_ = on;
    if (window_) ApplyMode();
  }

  // The frame goes to the rectangle FitFrame gives for the output's pixels: straight at a whole
  // factor (nearest-neighbour), else enlarged to the whole factor first and smoothed down.
  void Present(const Surface& frame) override {
    if (!texture_) return;
    SDL_UpdateTexture(texture_, nullptr, frame.Data(), frame.Pitch());
    int outW = 0, outH = 0, winW = 0, winH = 0;
    if (SDL_GetRendererOutputSize(renderer_, &outW, &outH) != 0) {
      outW = frameW_;
      outH = frameH_;
    }
    SDL_GetWindowSize(window_, &winW, &winH);
    const FrameFit fit = FitFrame(outW, outH, frameW_, frameH_, ShownMode());
    shownFit_ = fit;
    shownOutW_ = outW;
    shownOutH_ = outH;
    // Relative mouse motion comes in window units and counts in frame pixels.
    if (fit.w > 0 && fit.h > 0 && winW > 0 && winH > 0) {
      motionScaleX_ = double(fit.w) / frameW_ * winW / outW;
      motionScaleY_ = double(fit.h) / frameH_ * winH / outH;
    }
    const bool smooth = fit.w != fit.factor * frameW_ || fit.h != fit.factor * frameH_;
    SDL_Texture* shown = texture_;
    if (smooth && fit.factor > 1) {
      if (SDL_Texture* big = Enlarged(fit.factor)) {
        SDL_SetTextureScaleMode(texture_, SDL_ScaleModeNearest);
        if (SDL_SetRenderTarget(renderer_, big) == 0) {
          SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
          SDL_SetRenderTarget(renderer_, nullptr);
          shown = big;
        }
      }
    }
    SDL_SetTextureScaleMode(shown, smooth ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    const SDL_Rect dest{fit.x, fit.y, fit.w, fit.h};
    SDL_RenderCopy(renderer_, shown, nullptr, &dest);
    SDL_RenderPresent(renderer_);
  }

  void PumpEvents() override {
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
      switch (e.type) {
        case SDL_QUIT: quit_ = true; break;
        case SDL_KEYDOWN:
        case SDL_KEYUP: Key(e.key); break;
        case SDL_TEXTINPUT:
          for (unsigned char c : Utf8ToCp1251(e.text.text))
            if (c >= 32 && c != 127) pending_.push_back({InputEvent::Kind::Char, c, 0});
          break;
        case SDL_MOUSEMOTION: {
          if (FromFinger(e.motion.which)) break;
          // In frame pixels, the fractions carried to the next motion.
          const double x = motionRestX_ + e.motion.xrel / motionScaleX_;
          const double y = motionRestY_ + e.motion.yrel / motionScaleY_;
          const int32_t dx = int32_t(x), dy = int32_t(y);
          motionRestX_ = x - dx;
          motionRestY_ = y - dy;
          if (dx || dy) pending_.push_back({InputEvent::Kind::MouseMove, dx, dy});
          break;
        }
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
          if (e.button.which == SDL_TOUCH_MOUSEID) break;
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
        case SDL_FINGERDOWN:
        case SDL_FINGERMOTION:
        case SDL_FINGERUP: Finger(e.tfinger); break;
        case SDL_CONTROLLERDEVICEADDED: AddPad(e.cdevice.which); break;
        case SDL_CONTROLLERDEVICEREMOVED: RemovePad(e.cdevice.which); break;
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP: {
          const auto it = pads_.find(e.cbutton.which);
          const auto b = PadButtonOf(e.cbutton.button);
          if (it == pads_.end() || !b) break;
          const bool down = e.type == SDL_CONTROLLERBUTTONDOWN;
          it->second.buttons.set(size_t(*b), down);
          pending_.push_back({InputEvent::Kind::PadButton, int32_t(*b), down ? 1 : 0});
          break;
        }
        case SDL_CONTROLLERAXISMOTION: {
          const auto it = pads_.find(e.caxis.which);
          const auto a = PadAxisOf(e.caxis.axis);
          if (it == pads_.end() || !a) break;
          it->second.axes[size_t(*a)] = e.caxis.value;
          PadAxisEvent(*a, e.caxis.value);
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
              if (fullscreen_) ApplyMode();
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
    std::fprintf(stderr, "%s: %s\n", c.c_str(), t.c_str());
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, c.c_str(), t.c_str(), window_);
  }

  std::unique_ptr<AudioDevice> OpenAudio() override {
    return machineSound_ ? OpenSdlAudio() : CreateSilentAudio();
  }

  uint64_t Ticks() const override { return SDL_GetTicks64(); }
  void Sleep(uint32_t ms) override { SDL_Delay(ms); }

 private:
  struct Pad {
    SDL_GameController* controller = nullptr;
    std::bitset<size_t(PadButton::Count)> buttons;
    std::array<int32_t, size_t(PadAxis::Count)> axes{};
  };

  // Gives up on the display: what was made goes, and video is shut so the message box that
  // follows does not go through a driver that shows nothing.
  bool Refuse(const char* what, const char* why) {
    std::fprintf(stderr, "vor: %s: %s\n", what, why);
    if (enlarged_) SDL_DestroyTexture(enlarged_);
    if (texture_) SDL_DestroyTexture(texture_);
    if (renderer_) SDL_DestroyRenderer(renderer_);
    if (window_) SDL_DestroyWindow(window_);
    texture_ = nullptr;
    enlarged_ = nullptr;
    renderer_ = nullptr;
    window_ = nullptr;
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return false;
  }

  // A dock or task bar ties a window to its launcher by the window's class (X11) or app id
  // (Wayland), which SDL takes from these variables when video starts; they name the desktop
  // entry. A value already in the environment is the player's choice and stays.
  static void NameTheApplication() {
    for (const char* name : {"SDL_VIDEO_X11_WMCLASS", "SDL_VIDEO_WAYLAND_WMCLASS", "SDL_APP_ID"})
      setenv(name, VOR_APP_ID, 0);
    SDL_SetHint(SDL_HINT_APP_NAME, "Vor");
  }

  // The window's icon, drawn as the desktop's icons are. A window without one still plays.
  void SetIcon() {
    const IconResource icon = WindowIconResource();
    if (!icon.pixels || icon.size <= 0) return;
    SDL_Surface* s =
        SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(icon.pixels), icon.size, icon.size,
                                           32, icon.size * 4, SDL_PIXELFORMAT_ARGB8888);
    if (!s) return;
    SDL_SetWindowIcon(window_, s);
    SDL_FreeSurface(s);
  }

  void Key(const SDL_KeyboardEvent& k) {
    const bool down = k.type == SDL_KEYDOWN;
    const bool enter =
        k.keysym.scancode == SDL_SCANCODE_RETURN || k.keysym.scancode == SDL_SCANCODE_KP_ENTER;
    // Alt+Enter switches the display and is not the game's Enter, nor is its release.
    if (enter && down && (k.keysym.mod & KMOD_ALT)) {
      if (!k.repeat) toggleFullscreen_ = true;
      enterSwallowed_ = true;
      return;
    }
    if (enter && !down && enterSwallowed_) {
      enterSwallowed_ = false;
      return;
    }
    if (const uint8_t code = KeyFromScancode(k.keysym.scancode); code && !k.repeat)
      pending_.push_back({InputEvent::Kind::Key, code, down ? 1 : 0});
    // A press of Enter or Backspace reaches the name entry as a character through KeyCharacter,
    // as a script's key does; a held Backspace repeats here, a held Enter does not.
    if (down && k.repeat && k.keysym.scancode == SDL_SCANCODE_BACKSPACE)
      pending_.push_back({InputEvent::Kind::Char, 8, 0});
  }

  // The first finger on the screen is the one the game follows; others are ignored until it lifts.
  // Its place is a point of the frame, whose pixels SDL's renderer maps into the window.
  void Finger(const SDL_TouchFingerEvent& f) {
    if (!window_ || !renderer_) return;
    // A lift that went missing (the window lost the screen) frees the finger followed; the new
    // touch starts afresh without a tap.
    if (f.type == SDL_FINGERDOWN && finger_ && !FingerStillDown()) finger_.reset();
    if (f.type == SDL_FINGERDOWN) {
      if (finger_) return;
      finger_ = {f.touchId, f.fingerId};
    } else if (!finger_ || finger_->first != f.touchId || finger_->second != f.fingerId) {
      return;
    }
    // SDL gives the place as a fraction of the window; the frame stands where the last present put
    // it, and a finger in the bars around it counts at the frame's edge.
    const auto to = [](float at, int32_t out, int32_t start, int32_t size, int32_t pixels) {
      if (size <= 0) return int32_t(0);
      const double p = (double(std::clamp(at, 0.0f, 1.0f)) * out - start) * pixels / size;
      return int32_t(std::clamp<long>(std::lround(p), 0, pixels));
    };
    const std::array<int32_t, 2> at = {
        to(f.x, shownOutW_, shownFit_.x, shownFit_.w, frameW_),
        to(f.y, shownOutH_, shownFit_.y, shownFit_.h, frameH_)};
    switch (f.type) {
      case SDL_FINGERDOWN: pending_.push_back({InputEvent::Kind::FingerDown, at[0], at[1]}); break;
      case SDL_FINGERMOTION:
        if (at != fingerAt_) pending_.push_back({InputEvent::Kind::FingerMove, at[0], at[1]});
        break;
      case SDL_FINGERUP:
        if (at != fingerAt_) pending_.push_back({InputEvent::Kind::FingerMove, at[0], at[1]});
        pending_.push_back({InputEvent::Kind::FingerUp, at[0], at[1]});
        finger_.reset();
        break;
    }
    fingerAt_ = at;
  }

  // Mouse motion a finger makes: SDL's own, and what a system makes of a touch while a finger is
  // followed (on X11 the raw motion of relative mode comes from every device, a touch screen too).
  bool FromFinger(Uint32 mouse) const { return mouse == SDL_TOUCH_MOUSEID || finger_.has_value(); }

  bool FingerStillDown() const {
    const int n = SDL_GetNumTouchFingers(finger_->first);
    for (int i = 0; i < n; ++i)
      if (const SDL_Finger* f = SDL_GetTouchFinger(finger_->first, i);
          f && f->id == finger_->second)
        return true;
    return false;
  }

  // Only the last position of an axis within one pass counts: a stick reports every small move.
  void PadAxisEvent(PadAxis a, int32_t value) {
    if (!pending_.empty() && pending_.back().kind == InputEvent::Kind::PadAxis &&
        pending_.back().a == int32_t(a))
      pending_.back().b = value;
    else
      pending_.push_back({InputEvent::Kind::PadAxis, int32_t(a), value});
  }

  void AddPad(int deviceIndex) {
    SDL_GameController* c = SDL_GameControllerOpen(deviceIndex);
    if (!c) return;
    const SDL_JoystickID id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(c));
    if (pads_.count(id)) {
      SDL_GameControllerClose(c);
      return;
    }
    pads_[id].controller = c;
  }

  // A pad pulled out lets go of everything it held.
  void RemovePad(SDL_JoystickID id) {
    const auto it = pads_.find(id);
    if (it == pads_.end()) return;
    for (size_t b = 0; b < it->second.buttons.size(); ++b)
      if (it->second.buttons[b]) pending_.push_back({InputEvent::Kind::PadButton, int32_t(b), 0});
    for (size_t a = 0; a < it->second.axes.size(); ++a)
      if (it->second.axes[a]) PadAxisEvent(PadAxis(a), 0);
    SDL_GameControllerClose(it->second.controller);
    pads_.erase(it);
  }

  // Full screen covers the display with a borderless window of its size before asking for full
  // screen, so the frame is letterboxed even where no window manager grants the request.
  void ApplyMode() {
#ifndef __EMSCRIPTEN__
    // (On a page the page sizes the canvas and owns full screen.)
    const int display = std::max(0, SDL_GetWindowDisplayIndex(window_));
    SDL_Rect bounds{0, 0, frameW_, frameH_};
    SDL_GetDisplayBounds(display, &bounds);
    if (fullscreen_) {
      SDL_SetWindowBordered(window_, SDL_FALSE);
      SDL_SetWindowSize(window_, bounds.w, bounds.h);
      SDL_SetWindowPosition(window_, bounds.x, bounds.y);
      SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP);
    } else {
      SDL_SetWindowFullscreen(window_, 0);
      SDL_SetWindowBordered(window_, SDL_TRUE);
      SDL_Rect usable = bounds;
      SDL_GetDisplayUsableBounds(display, &usable);
      // The largest whole factor that fits the desktop, at least 1.
      const int scale = std::max(1, std::min(usable.w / frameW_, usable.h / frameH_));
      SDL_SetWindowSize(window_, frameW_ * scale, frameH_ * scale);
      SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED_DISPLAY(display),
                            SDL_WINDOWPOS_CENTERED_DISPLAY(display));
    }
#endif
  }

  // A window shows the frame at a whole factor (crisp pixels) when it is large enough for one, and
  // otherwise smoothed to fit; full screen and the page as the player chose.
  ScaleMode ShownMode() const {
#ifdef __EMSCRIPTEN__
    return scale_;
#else
    return fullscreen_ ? scale_ : ScaleMode::Integer;
#endif
  }

  // The render target the frame is enlarged into, at factor x its size; null where the renderer
  // has no targets or the size is too large for it (the frame is then smoothed straight).
  SDL_Texture* Enlarged(int32_t factor) {
    if (enlarged_ && enlargedFactor_ == factor) return enlarged_;
    if (enlarged_) SDL_DestroyTexture(enlarged_);
    enlarged_ = nullptr;
    enlargedFactor_ = factor;
    if (!SDL_RenderTargetSupported(renderer_)) return nullptr;
    enlarged_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET,
                                  frameW_ * factor, frameH_ * factor);
    return enlarged_;
  }

  bool machineSound_;
  std::string initError_;
  bool enterSwallowed_ = false;
  int32_t frameW_ = 800, frameH_ = 600;
  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  SDL_Texture* enlarged_ = nullptr;
  int32_t enlargedFactor_ = 0;
  // Window units per frame pixel of the frame as last shown, and the motion not yet a whole pixel.
  double motionScaleX_ = 1, motionScaleY_ = 1, motionRestX_ = 0, motionRestY_ = 0;
  // Where the last present put the frame, on an output of that many pixels (fingers are placed
  // by it).
  FrameFit shownFit_;
  int32_t shownOutW_ = 0, shownOutH_ = 0;
  std::map<SDL_JoystickID, Pad> pads_;
  // The finger followed (touch device, finger) and where it was last told.
  std::optional<std::pair<SDL_TouchID, SDL_FingerID>> finger_;
  std::array<int32_t, 2> fingerAt_{};
};

}  // namespace

std::unique_ptr<System> CreateSdlSystem(const System::Config& config) {
  auto s = std::make_unique<SdlSystem>(config.machineSound);
  s->Init();
  s->SetFullscreen(config.fullscreen);
  s->SetScaleMode(config.scale);
  return s;
}
