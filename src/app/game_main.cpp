// The game's entry point: opens the window, runs the start-up sequence and the
// loop, and opens the launcher and the link file left beside the game at exit.
#include <unistd.h>

#include <cstdio>
#include <exception>
#include <iostream>
#include <random>
#include <string>

#include "app/app_dir.h"
#include "app/command_line.h"
#include "app/game.h"
#include "engine/errors.h"
#include "platform/sdl_platform.h"

namespace {

bool Exists(const std::string& path) {
  return access(path.c_str(), F_OK) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  klv::SdlPlatform::RunGpuProbe(argc, argv);
  // --help and --version need no display: they are answered before SDL starts.
  if (int status = klv::HandleCommandLine(argc, argv, std::cout, std::cerr); status >= 0)
    return status;
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
  // The launcher and the link file, when they lie in the current folder.
  if (Exists("fscommand/pgate.exe")) platform->OpenWithShell("fscommand/pgate.exe");
  if (Exists("play.url")) platform->OpenWithShell("play.url");
  return 0;
}
