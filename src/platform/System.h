// The one seam between the game and the machine: the window (or its headless stand-in), the
// presented frame, events, the message box and the sound device. Three backends: sdl, headless and
// web (the sdl one on a page, src/platform/web/).
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Audio.h"
#include "platform/Input.h"
#include "platform/Surface.h"

// How a frame smaller than its window is enlarged (see platform/sdl/FrameFit.h): sharp (whole-factor
// pixels smoothed down to the largest size that fits) or integer (the largest whole factor).
enum class ScaleMode : uint8_t { Sharp, Integer };

class System {
 public:
  virtual ~System() = default;

  struct Config {
    bool headless = false;      // no window, ticks back to back
    bool fullscreen = true;     // else an ordinary resizable window
    bool machineSound = false;  // the machine's sound device, else a silent one
    ScaleMode scale = ScaleMode::Sharp;  // in full screen (a window is scaled by whole factors)
  };
  static std::unique_ptr<System> Create(const Config& config);
  // A silent system; windowed: an ordinary window instead of full screen.
  static std::unique_ptr<System> Create(bool headless, bool windowed) {
    Config c;
    c.headless = headless;
    c.fullscreen = !windowed;
    return Create(c);
  }

  // Opens the window titled "Vor" showing a frame of that size; false when no display can show
  // it (no display server, a driver that shows nothing, no window or renderer), with the reason
  // on standard error.
  virtual bool OpenWindow(int32_t width, int32_t height) = 0;
  virtual bool IsHeadless() const = 0;
  // Shows a frame (scaled to the window, letterboxed).
  virtual void Present(const Surface& frame) = 0;
  // Collects window and input events into the pending queue; returns immediately.
  virtual void PumpEvents() = 0;
  // Input events collected since the last call, in order.
  std::vector<InputEvent> TakeEvents() { return std::move(pending_); }
  // The window was activated (shown or focused) at least once.
  bool Activated() const { return activated_; }
  bool HasFocus() const { return focused_; }
  bool QuitRequested() const { return quit_; }
  // The device dropped every surface (the sdl backend's render targets were reset).
  bool TakeSurfacesReset() {
    const bool r = surfacesReset_;
    surfacesReset_ = false;
    return r;
  }

  // Full screen (the frame letterboxed as the scale mode says) or a window (the frame scaled by a
  // whole factor that fits the desktop, letterboxed when resized). Any time.
  virtual void SetFullscreen(bool on) { fullscreen_ = on; }
  bool Fullscreen() const { return fullscreen_; }
  // How full screen (and the page) scales the frame. Any time.
  virtual void SetScaleMode(ScaleMode mode) { scale_ = mode; }
  ScaleMode Scale() const { return scale_; }
  // The player asked to switch between full screen and a window (Alt+Enter) since the last call.
  bool TakeFullscreenToggle() {
    const bool r = toggleFullscreen_;
    toggleFullscreen_ = false;
    return r;
  }

  // What the screen asks of the page around the game, for the controls it shows beside it: the
  // game's state (its number) and the key the screen waits for (a DirectInput code, 0 for none).
  // Only a page has such controls.
  virtual void ShowScreen(int32_t /*state*/, uint8_t /*waitedKey*/) {}

  // A modal message box where one can be shown, and always a line on standard error; text and
  // caption are cp1251.
  virtual void ShowMessageBox(const std::string& text, const std::string& caption) = 0;
  // The sound device, or null when there is none.
  virtual std::unique_ptr<AudioDevice> OpenAudio() = 0;

  // What hosts the program (a page) may watch: the game's state as JSON when it asks, and the
  // end of the game with its exit status. A window or a terminal watches nothing.
  virtual void WatchGame(std::function<std::string()> stateJson) { (void)stateJson; }
  virtual void GameEnded(int status) { (void)status; }

  // Milliseconds since start (monotonic) and sleeping, for the tick loop.
  virtual uint64_t Ticks() const = 0;
  virtual void Sleep(uint32_t ms) = 0;

 protected:
  std::vector<InputEvent> pending_;
  bool activated_ = false;
  bool focused_ = true;
  bool quit_ = false;
  bool surfacesReset_ = false;
  bool fullscreen_ = true;
  ScaleMode scale_ = ScaleMode::Sharp;
  bool toggleFullscreen_ = false;
};
