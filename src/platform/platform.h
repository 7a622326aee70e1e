#pragma once
// The thin layer between the game and the machine: clock, window, events,
// fonts, sound output, message boxes and the desktop shell. The game talks only
// to this interface; SdlPlatform runs it on a desktop and HeadlessPlatform
// runs it in tests with a simulated clock.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "base/input_events.h"
#include "engine/input_states.h"
#include "engine/rect.h"
#include "engine/text_raster.h"
#include "engine/virtual_keys.h"
#include "platform/audio_out.h"

namespace klv {

class Surface;

// Receives the window's events in the order they happened.
class EventSink {
 public:
  virtual ~EventSink() = default;
  virtual void OnKeyDown(int /*vk*/, KeyMods) {}
  virtual void OnKeyUp(int /*vk*/, KeyMods) {}
  virtual void OnTextInput(const std::string& /*utf8*/) {}
  // Coordinates are back-buffer pixels in both window modes.
  virtual void OnMouseMove(int /*x*/, int /*y*/) {}
  virtual void OnMouseButton(MouseButton, bool /*down*/, int /*x*/, int /*y*/) {}
  virtual void OnPadButton(PadButton, bool /*down*/) {}
  virtual void OnCloseRequest() {}
  virtual void OnActivate(bool /*active*/) {}
  virtual void OnMaximize() {}  // maximize button or caption double-click
  virtual void OnMinimize() {}  // the window manager minimised the window
  // The gamepad in use was unplugged (its stick and buttons are let go first).
  virtual void OnPadLost() {}
  // The desktop asks the program to end now (a logout, SIGTERM, Ctrl+C in
  // the terminal): nobody is there to answer a question.
  virtual void OnEndSession() {}
};

enum class MessageKind { Info, Error };

class Platform : public TextRasterizer {
 public:
  virtual ~Platform() = default;

  // Monotonic clock in microseconds; the game never reads any other clock.
  virtual uint64_t NowMicros() = 0;
  // Sleeps until the deadline or until an event arrives, whichever is first.
  virtual void WaitUntil(uint64_t deadlineMicros) = 0;
  // Delivers every pending event.
  virtual void PumpEvents(EventSink& sink) = 0;

  virtual void SetFullscreen(bool fullscreen) = 0;
  virtual bool Fullscreen() const = 0;
  // Shows the 800 x 600 back buffer; called every frame, it sends the display
  // only what changed since the last frame shown.
  virtual void Present(const Surface& backBuffer) = 0;
  // The same, told where the frame can differ from the one presented last:
  // nothing outside `changed` did, so only those rectangles are looked at.
  virtual void PresentChanges(const Surface& backBuffer, const std::vector<Rect>& changed) {
    (void)changed;
    Present(backBuffer);
  }
  virtual void Minimize() = 0;
  virtual void ShowCursor(bool show) = 0;
  virtual bool Active() const = 0;

  // Polled input: keys held, by virtual-key code (all released while the
  // window is not focused), and the first game controller or joystick.
  virtual const std::array<bool, 256>& KeysHeld() const = 0;
  virtual JoystickState Joystick() = 0;

  // A modal box with one OK button; returns when the player closes it.
  virtual void ShowMessage(const std::string& utf8, MessageKind kind) = 0;
  // Opens a file or address with the desktop's handler; never waits for it.
  virtual void OpenWithShell(const std::string& pathOrUrl) = 0;

  virtual AudioOut& Audio() = 0;
};

}  // namespace klv
