#pragma once
// The desktop platform on SDL2: one window, 800 x 600 or as the player sizes
// it, or desktop full screen, with the picture scaled to fit and letterboxed;
// keyboard, mouse and game controllers, fonts, message boxes and the
// desktop's opener.

#include <memory>
#include <string>
#include <vector>

#include "platform/pad_directions.h"
#include "platform/platform.h"
#include "platform/screen_patcher.h"
#include "platform/ttf_fonts.h"

union SDL_Event;
struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;
struct SDL_Rect;
struct _SDL_GameController;
struct _SDL_Joystick;

namespace klv {

class SdlPlatform : public Platform {
 public:
  // Opens the window; throws KlvError when the video system cannot start.
  SdlPlatform(const std::string& title, int width, int height);
  ~SdlPlatform() override;

  uint64_t NowMicros() override;
  void WaitUntil(uint64_t deadlineUs) override;
  void PumpEvents(EventSink& sink) override;

  void SetFullscreen(bool fullscreen) override;
  bool Fullscreen() const override { return fullscreen_; }
  void Present(const Surface& backBuffer) override;
  void PresentChanges(const Surface& backBuffer, const std::vector<Rect>& changed) override;
  void Minimize() override;
  void ShowCursor(bool show) override;
  bool Active() const override { return active_; }

  const std::array<bool, 256>& KeysHeld() const override { return keys_; }
  JoystickState Joystick() override;

  TextRaster RenderText(const FontSpec& font, const std::string& utf8) override;
  void ShowMessage(const std::string& utf8, MessageKind kind) override;
  void OpenWithShell(const std::string& pathOrUrl) override;
  AudioOut& Audio() override { return *audio_; }

  // Two things run in child processes, the program started again: the
  // full-screen check of the graphics driver (`PROGRAM --gpu-probe`), so the
  // GL libraries it loads never enter the game's own process, and each
  // message box (message_box.h), so a box never holds the game up when it
  // must end. Every program that opens an SdlPlatform calls this first in
  // main; in such a child it does the child's work and ends the process, and
  // otherwise returns at once. A program that does not call it shows its
  // messages on the error output.
  static void RunChildProcess(int argc, char** argv);

  // The folder of the running program, with a trailing '/'.
  static std::string BaseDir();

 private:
  // Where the frame lands in the window's picture, scaled to fit.
  Rect ComputeViewport(int outW, int outH) const;
  void MapPointer(int wx, int wy, int* bx, int* by) const;
  bool HasGpu();
  bool PresentWithRenderer(const Surface& buffer);
  bool PresentToSurface(const Surface& buffer);
  bool OpenRenderer(bool accelerated);
  void CloseRenderer();
  void OpenController(int index);
  void CloseController();
  // A gamepad's buttons, D-pad and stick as PadButton presses (sdl_gamepad.cpp).
  // Returns whether the event was the gamepad's alone.
  bool PadEvent(const SDL_Event& e, EventSink& sink);

  SDL_Window* window_ = nullptr;
  // Only for full screen on a GPU, or where the window has no surface of its
  // own to draw into (native Wayland).
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  bool noWindowSurface_ = false;
  ScreenPatcher patcher_;
  std::vector<SDL_Rect> sent_;  // the parts of the window updated by a present
  // Where the frame being presented can differ from the last, when known.
  std::vector<Rect> changed_;
  bool changedKnown_ = false;
  _SDL_GameController* controller_ = nullptr;
  _SDL_Joystick* joystick_ = nullptr;
  PadDirections stick_;
  uint8_t hat_ = 0;  // the plain joystick's D-pad as last reported
  int width_, height_;
  int windowW_, windowH_;  // the window's size out of full screen
  bool fullscreen_ = false;
  bool active_ = true;
  bool needFullRedraw_ = true;
  bool gpuKnown_ = false;
  bool gpu_ = false;
  uint64_t lastVersion_ = ~0ull;
  const Surface* lastBuffer_ = nullptr;
  Rect viewport_;
  std::array<bool, 256> keys_{};
  std::array<KeyMods, 256> downMods_{};  // modifiers held when each key went down
  std::array<uint8_t, 512> downVk_{};    // the key code each key (by place) went down as
  std::unique_ptr<TtfFonts> fonts_;
  std::unique_ptr<AudioOut> audio_;
};

}  // namespace klv
