// The real game in a real X window (a private Xvfb) with SDL's virtual
// controller as its gamepad: unplugged in play, the game pauses and shows it.
#include <SDL2/SDL.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "app/game.h"
#include "app/hold.h"
#include "engine/virtual_keys.h"
#include "platform/sdl_platform.h"
#include "play/round.h"
#include "screens/screens.h"

extern char** environ;

namespace klv {
namespace {

// An X server of the test's own on a display it picks; gone with the object.
class PrivateXServer {
 public:
  PrivateXServer() {
    int fds[2];
    if (pipe(fds) != 0) return;
    const std::string fd = std::to_string(fds[1]);
    const char* argv[] = {"Xvfb",        "-displayfd", fd.c_str(), "-screen", "0",
                          "1024x768x24", "-nolisten",  "tcp",      nullptr};
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const int spawned =
        posix_spawnp(&pid_, "Xvfb", &files, nullptr, const_cast<char* const*>(argv), environ);
    posix_spawn_file_actions_destroy(&files);
    close(fds[1]);
    if (spawned != 0) {
      pid_ = -1;
      close(fds[0]);
      return;
    }
    // Xvfb writes the display's number once it listens; 20 s at most.
    char number[16] = {};
    size_t got = 0;
    pollfd p{fds[0], POLLIN, 0};
    while (got < sizeof number - 1 && poll(&p, 1, 20000) > 0) {
      const ssize_t n = read(fds[0], number + got, sizeof number - 1 - got);
      if (n <= 0) break;
      got += size_t(n);
      if (number[got - 1] == '\n') break;
    }
    close(fds[0]);
    if (got > 1) display_ = ":" + std::string(number, got - 1);
  }
  ~PrivateXServer() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  const std::string& Display() const { return display_; }

 private:
  pid_t pid_ = -1;
  std::string display_;
};

// White pixels where play writes "Пауза".
int WhiteInPauseBanner(const Surface& frame) {
  int white = 0;
  for (int y = 285; y < 325; ++y)
    for (int x = 360; x < 470; ++x)
      if ((frame.Pixels()[y * frame.Width() + x] & 0xFFFFFFu) == 0xFFFFFFu) ++white;
  return white;
}

TEST(SdlPadUnplugged, UnpluggingTheGamepadInPlayPausesTheGame) {
  PrivateXServer x;
  ASSERT_FALSE(x.Display().empty()) << "Xvfb did not start";
  setenv("DISPLAY", x.Display().c_str(), 1);
  setenv("SDL_VIDEODRIVER", "x11", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  // No window manager gives the window the focus: the pad's events are taken
  // from the background.
  SDL_SetHintWithPriority(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1", SDL_HINT_OVERRIDE);

  static std::mt19937_64 names(std::random_device{}());
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("klv-pad-" + std::to_string(names()));
  std::filesystem::create_directories(dir);
  for (const char* sub : {"Data", "Sound"})
    std::filesystem::create_directory_symlink(std::filesystem::path(KLV_GAME_DIR) / sub, dir / sub);
  {
    SdlPlatform platform("Клевария", 800, 600);
    GamePaths paths;
    paths.AppDir = dir.string() + "/";
    Game game(platform, paths, 5);
    game.ScoreService = "http://127.0.0.1:1";
    game.FormCreate();
    auto run = [&](int ms) {
      const uint64_t end = platform.NowMicros() + uint64_t(ms) * 1000;
      while (platform.NowMicros() < end && !game.Terminated()) {
        platform.PumpEvents(game);
        game.RunDue();
        platform.WaitUntil(std::min(end, game.NextDueMicros()));
      }
    };

    const int index = SDL_JoystickAttachVirtual(
        SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX, SDL_CONTROLLER_BUTTON_MAX, 0);
    ASSERT_GE(index, 0) << SDL_GetError();
    SDL_Joystick* pad = SDL_JoystickOpen(index);
    ASSERT_NE(pad, nullptr) << SDL_GetError();
    run(300);
    ASSERT_TRUE(platform.Joystick().present);
    // A on the pad starts a game from the menu. (X put the pointer in the
    // middle of the screen, over the second item: the first is chosen again.)
    game.Screens1->MenuPos = 1;
    SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_A, 1);
    run(100);
    SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_A, 0);
    run(100);
    ASSERT_EQ(game.GameState, Screen::Game);
    run(2600);  // the "Готовсь!" hold
    ASSERT_FALSE(game.Hold1.Held()) << "play does not run";
    const int clock = game.Round1->RoundClock;
    EXPECT_LT(clock, 1100);
    EXPECT_EQ(WhiteInPauseBanner(game.OnScreen()), 0);

    // The player's hand still on the pad when it comes loose.
    SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTX, 32767);
    run(100);
    SDL_JoystickClose(pad);
    ASSERT_EQ(SDL_JoystickDetachVirtual(index), 0) << SDL_GetError();
    run(100);
    EXPECT_TRUE(game.Hold1.Paused());
    const int pausedAt = game.Round1->RoundClock;
    run(1000);
    EXPECT_EQ(game.Round1->RoundClock, pausedAt) << "the clock ran on";
    EXPECT_GT(WhiteInPauseBanner(game.OnScreen()), 50) << "no \"Пауза\" on screen";
    EXPECT_EQ(game.GameState, Screen::Game);

    // P resumes, as after the focus was lost.
    game.OnKeyUp(vk::Letter('P'), {});
    run(600);
    EXPECT_FALSE(game.Hold1.Held());
    EXPECT_LT(game.Round1->RoundClock, pausedAt);
    EXPECT_EQ(WhiteInPauseBanner(game.OnScreen()), 0);
  }
  SDL_ResetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS);
  unsetenv("SDL_VIDEODRIVER");
  unsetenv("DISPLAY");
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
}

}  // namespace
}  // namespace klv
