// The gamepad's side of the SDL platform: buttons, D-pad and stick become
// PadButton presses for the menus. Walking and lowering the hook read the
// polled state (SdlPlatform::Joystick) instead.
#include <SDL2/SDL.h>

#include "platform/sdl_platform.h"

namespace klv {
namespace {

struct ButtonPair {
  int sdl;
  PadButton pad;
};

constexpr ButtonPair kControllerButtons[] = {
    {SDL_CONTROLLER_BUTTON_A, PadButton::A},
    {SDL_CONTROLLER_BUTTON_B, PadButton::B},
    {SDL_CONTROLLER_BUTTON_START, PadButton::Start},
    {SDL_CONTROLLER_BUTTON_DPAD_UP, PadButton::Up},
    {SDL_CONTROLLER_BUTTON_DPAD_DOWN, PadButton::Down},
    {SDL_CONTROLLER_BUTTON_DPAD_LEFT, PadButton::Left},
    {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, PadButton::Right},
};

// A joystick without a known layout: its first two buttons are taken as A
// and B, its first hat as the D-pad.
constexpr ButtonPair kJoystickButtons[] = {{0, PadButton::A}, {1, PadButton::B}};

constexpr ButtonPair kHatBits[] = {
    {SDL_HAT_UP, PadButton::Up},
    {SDL_HAT_DOWN, PadButton::Down},
    {SDL_HAT_LEFT, PadButton::Left},
    {SDL_HAT_RIGHT, PadButton::Right},
};

}  // namespace

bool SdlPlatform::PadEvent(const SDL_Event& e, EventSink& sink) {
  auto emit = [&sink](PadButton b, bool down) { sink.OnPadButton(b, down); };
  const SDL_JoystickID controllerId =
      controller_ ? SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller_)) : -1;
  const SDL_JoystickID joystickId = joystick_ ? SDL_JoystickInstanceID(joystick_) : -1;
  switch (e.type) {
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
      if (e.cbutton.which != controllerId) return true;
      for (const ButtonPair& p : kControllerButtons)
        if (p.sdl == e.cbutton.button) emit(p.pad, e.type == SDL_CONTROLLERBUTTONDOWN);
      return true;
    case SDL_CONTROLLERAXISMOTION:
      if (e.caxis.which != controllerId) return true;
      if (e.caxis.axis == SDL_CONTROLLER_AXIS_LEFTX) stick_.Axis(0, e.caxis.value, emit);
      if (e.caxis.axis == SDL_CONTROLLER_AXIS_LEFTY) stick_.Axis(1, e.caxis.value, emit);
      return true;
    // A game controller reports through these too; only a plain joystick's count.
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP:
      if (e.jbutton.which != joystickId) return true;
      for (const ButtonPair& p : kJoystickButtons)
        if (p.sdl == e.jbutton.button) emit(p.pad, e.type == SDL_JOYBUTTONDOWN);
      return true;
    case SDL_JOYAXISMOTION:
      if (e.jaxis.which != joystickId) return true;
      if (e.jaxis.axis < 2) stick_.Axis(e.jaxis.axis, e.jaxis.value, emit);
      return true;
    case SDL_JOYHATMOTION: {
      if (e.jhat.which != joystickId || e.jhat.hat != 0) return true;
      const uint8_t was = hat_;
      hat_ = e.jhat.value;
      for (const ButtonPair& p : kHatBits) {
        if ((was & p.sdl) && !(hat_ & p.sdl)) emit(p.pad, false);
        if (!(was & p.sdl) && (hat_ & p.sdl)) emit(p.pad, true);
      }
      return true;
    }
    case SDL_CONTROLLERDEVICEREMOVED:
    case SDL_JOYDEVICEREMOVED:
      // SDL centres an unplugged pad's stick and lets go of its buttons
      // before it says so; whatever is still marked held is forgotten
      // without a second release. The device is closed below.
      stick_.Reset();
      hat_ = 0;
      return false;
    default:
      return false;
  }
}

}  // namespace klv
