// A gamepad through the SDL platform: SDL's virtual joystick stands in for a
// real one, and SDL's dummy video driver for the display.
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "platform/sdl_platform.h"

namespace klv {
namespace {

class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old, hadOld_ = true;
    setenv(name, value, 1);
  }
  ~ScopedEnv() {
    if (hadOld_)
      setenv(name_.c_str(), old_.c_str(), 1);
    else
      unsetenv(name_.c_str());
  }

 private:
  std::string name_, old_;
  bool hadOld_ = false;
};

class PadRecorder : public EventSink {
 public:
  void OnPadButton(PadButton b, bool down) override {
    static const char* const kNames[] = {"up", "down", "left", "right", "a", "b", "start"};
    events.push_back(std::string(down ? "+" : "-") + kNames[int(b)]);
  }
  void OnKeyUp(int, KeyMods) override { events.push_back("key"); }
  void OnPadLost() override { events.push_back("lost"); }
  std::vector<std::string> events;
};

TEST(SdlGamepad, AVirtualControllerReachesTheGameAsPadButtons) {
  ScopedEnv video("SDL_VIDEODRIVER", "dummy");
  ScopedEnv audio("SDL_AUDIODRIVER", "dummy");
  // The dummy display never gives the window the focus, and SDL holds back a
  // pad's events from a window without it.
  SDL_SetHintWithPriority(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1", SDL_HINT_OVERRIDE);
  SdlPlatform platform("Клевария", 800, 600);
  EXPECT_FALSE(platform.Joystick().present);

  const int index = SDL_JoystickAttachVirtual(
      SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX, SDL_CONTROLLER_BUTTON_MAX, 0);
  ASSERT_GE(index, 0) << SDL_GetError();
  ASSERT_TRUE(SDL_IsGameController(index));
  SDL_Joystick* pad = SDL_JoystickOpen(index);  // the test's hand on the pad
  ASSERT_NE(pad, nullptr) << SDL_GetError();
  PadRecorder sink;
  platform.PumpEvents(sink);  // the platform takes the new pad
  EXPECT_TRUE(platform.Joystick().present);
  sink.events.clear();

  auto button = [&pad](SDL_GameControllerButton b, bool down) {
    SDL_JoystickSetVirtualButton(pad, b, down ? 1 : 0);
  };
  auto axis = [&pad](SDL_GameControllerAxis a, int value) {
    SDL_JoystickSetVirtualAxis(pad, a, static_cast<Sint16>(value));
  };
  struct Step {
    const char* what;
    std::function<void()> act;
    std::vector<std::string> events;
  };
  const Step steps[] = {
      {"A down", [&] { button(SDL_CONTROLLER_BUTTON_A, true); }, {"+a"}},
      {"A up", [&] { button(SDL_CONTROLLER_BUTTON_A, false); }, {"-a"}},
      {"B", [&] { button(SDL_CONTROLLER_BUTTON_B, true); }, {"+b"}},
      {"B up", [&] { button(SDL_CONTROLLER_BUTTON_B, false); }, {"-b"}},
      {"Start", [&] { button(SDL_CONTROLLER_BUTTON_START, true); }, {"+start"}},
      {"Start up", [&] { button(SDL_CONTROLLER_BUTTON_START, false); }, {"-start"}},
      {"D-pad up", [&] { button(SDL_CONTROLLER_BUTTON_DPAD_UP, true); }, {"+up"}},
      {"D-pad up let go", [&] { button(SDL_CONTROLLER_BUTTON_DPAD_UP, false); }, {"-up"}},
      {"D-pad right", [&] { button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true); }, {"+right"}},
      {"D-pad right let go", [&] { button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, false); }, {"-right"}},
      {"X is no menu button", [&] { button(SDL_CONTROLLER_BUTTON_X, true); }, {}},
      {"X up", [&] { button(SDL_CONTROLLER_BUTTON_X, false); }, {}},
      {"stick down", [&] { axis(SDL_CONTROLLER_AXIS_LEFTY, 30000); }, {"+down"}},
      {"stick back", [&] { axis(SDL_CONTROLLER_AXIS_LEFTY, 0); }, {"-down"}},
      {"right stick is not for menus", [&] { axis(SDL_CONTROLLER_AXIS_RIGHTX, -32768); }, {}},
      {"stick left", [&] { axis(SDL_CONTROLLER_AXIS_LEFTX, -32768); }, {"+left"}},
  };
  for (const Step& s : steps) {
    s.act();
    sink.events.clear();
    platform.PumpEvents(sink);
    EXPECT_EQ(sink.events, s.events) << s.what;
  }
  // Play reads the same pad as a polled state: the stick held left walks left.
  JoystickState held = platform.Joystick();
  EXPECT_EQ(held.x, -1000);
  EXPECT_EQ(held.y, 0);

  // Unplugged with the stick held: SDL centres the stick first, as it lets go
  // of held keys when the window loses the focus, and the direction is let go
  // once; then the game hears that the pad is gone, once.
  SDL_JoystickClose(pad);
  ASSERT_EQ(SDL_JoystickDetachVirtual(index), 0) << SDL_GetError();
  sink.events.clear();
  platform.PumpEvents(sink);
  EXPECT_EQ(sink.events, (std::vector<std::string>{"-left", "lost"}));
  EXPECT_FALSE(platform.Joystick().present);

  // Plugged in again: the new pad's stick presses from the centre.
  const int again = SDL_JoystickAttachVirtual(
      SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX, SDL_CONTROLLER_BUTTON_MAX, 0);
  ASSERT_GE(again, 0) << SDL_GetError();
  pad = SDL_JoystickOpen(again);
  ASSERT_NE(pad, nullptr) << SDL_GetError();
  platform.PumpEvents(sink);
  sink.events.clear();
  axis(SDL_CONTROLLER_AXIS_LEFTY, -32768);
  platform.PumpEvents(sink);
  EXPECT_EQ(sink.events, std::vector<std::string>{"+up"});

  // A second pad plugged in and out beside the one in use changes nothing;
  // the one in use going is still heard.
  const int spare = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_ARCADE_STICK, 2, 4, 0);
  ASSERT_GE(spare, 0) << SDL_GetError();
  platform.PumpEvents(sink);
  sink.events.clear();
  ASSERT_EQ(SDL_JoystickDetachVirtual(spare), 0) << SDL_GetError();
  platform.PumpEvents(sink);
  EXPECT_EQ(sink.events, std::vector<std::string>{});
  EXPECT_TRUE(platform.Joystick().present);
  SDL_JoystickClose(pad);
  SDL_JoystickDetachVirtual(again);
  sink.events.clear();
  platform.PumpEvents(sink);
  EXPECT_EQ(std::count(sink.events.begin(), sink.events.end(), "lost"), 1);
  EXPECT_EQ(sink.events.back(), "lost");
  SDL_ResetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS);
}

}  // namespace
}  // namespace klv
