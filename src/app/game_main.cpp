// The game's entry point: opens the window, runs the start-up sequence and the
// loop, and opens the link file kept in the game's folder at exit.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <random>
#include <string>

#include "app/app_dir.h"
#include "app/command_line.h"
#include "app/game.h"
#include "app/user_settings.h"
#include "engine/errors.h"
#include "online/world_table.h"
#include "platform/sdl_platform.h"

int main(int argc, char** argv) {
  klv::SdlPlatform::RunGpuProbe(argc, argv);
  // --help and --version need no display: they are answered before SDL starts.
  klv::StartOptions options;
  if (int status = klv::HandleCommandLine(argc, argv, std::cout, std::cerr, &options); status >= 0)
    return status;
  // The world table: the command line's, else the settings file's, else the
  // build's (empty in the packages: a player sets up the table they use).
  std::string scoreService = KLV_SCORE_SERVICE;
  if (options.ScoreService) {
    scoreService = *options.ScoreService;
  } else {
    std::string error;
    const klv::UserSettings settings = klv::ReadUserSettings(
        klv::UserSettingsPath(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME")), error);
    if (!error.empty()) std::fprintf(stderr, "klevaria: %s (skipped)\n", error.c_str());
    if (settings.ScoreService) scoreService = *settings.ScoreService;
  }
  // With no display SDL would fall back to drawing off screen, and the game
  // would run unseen until killed (over ssh, for one). A driver named in
  // SDL_VIDEODRIVER is taken as meant.
  if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") &&
      !std::getenv("SDL_VIDEODRIVER")) {
    std::fprintf(stderr,
                 "klevaria: no display: neither DISPLAY nor WAYLAND_DISPLAY is set; "
                 "the game needs an X11 or Wayland desktop\n");
    return 1;
  }
  std::unique_ptr<klv::SdlPlatform> platform;
  try {
    platform = std::make_unique<klv::SdlPlatform>("Клевария", 800, 600);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "klevaria: %s\n", e.what());
    return 1;
  }
  klv::GamePaths paths;
  const std::string base = klv::SdlPlatform::BaseDir();
  paths.AppDir = klv::FindAppDir(base);
  if (paths.AppDir != base) {
    // Installed: the settings and scores belong to the player, not the system.
    paths.ConfigDir = klv::SdlPlatform::UserDataDir();
  } else if (access(paths.AppDir.c_str(), W_OK) != 0) {
    paths.UserDir = klv::SdlPlatform::UserDataDir();
  }

  std::random_device entropy;
  uint64_t seed = (uint64_t(entropy()) << 32) ^ entropy() ^ platform->NowMicros();
  {
    klv::Game game(*platform, paths, seed);
    game.ScoreService = scoreService;
    try {
      game.FormCreate();
    } catch (const std::exception& e) {
      std::fprintf(stderr, "klevaria: %s\n", e.what());
      platform->ShowMessage(e.what(), klv::MessageKind::Error);
      return 1;
    }
    while (!game.Terminated()) {
      try {
        platform->PumpEvents(game);
        game.RunDue();
      } catch (const klv::FatalError& e) {
        std::fprintf(stderr, "klevaria: %s\n", e.what());
        platform->ShowMessage(e.what(), klv::MessageKind::Error);
        return 1;
      } catch (const std::exception& e) {
        // An unexpected error: say what it was and carry on.
        std::fprintf(stderr, "klevaria: %s\n", e.what());
        platform->ShowMessage(e.what(), klv::MessageKind::Error);
      }
      if (!game.Terminated()) platform->WaitUntil(game.NextDueMicros());
    }
  }
  // The link file, when the game's own folder holds one.
  klv::OpenExitLinks(paths.AppDir, klv::IsLinkFile,
                     [&](const std::string& link) { platform->OpenWithShell(link); });
  return 0;
}
