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
#include "app/game_recorder.h"
#include "app/replay_runner.h"
#include "app/replay_viewer.h"
#include "app/user_settings.h"
#include "engine/cp1251.h"
#include "engine/errors.h"
#include "online/score_submission.h"
#include "online/world_table.h"
#include "platform/player_dirs.h"
#include "platform/recording_platform.h"
#include "platform/sdl_platform.h"
#include "platform/ttf_fonts.h"

namespace {

// --replay FILE --check: the game played again without a window; its end
// against the file's.
int CheckReplay(const std::string& file) {
  try {
    const klv::ReplayFile replay = klv::ReadReplayFile(file);
    const std::string appDir = klv::FindAppDir(klv::SdlPlatform::BaseDir());
    const klv::ReplayOutcome got = klv::RunReplay(replay, appDir, false);
    const klv::ReplayResult& want = replay.Result;
    std::printf("score %u, level %u, name %s\n", unsigned(got.Score), unsigned(got.Level),
                klv::Cp1251ToUtf8(want.Name).c_str());
    if (got.Matches(want)) return 0;
    std::fprintf(stderr,
                 "klevaria: %s: the replay does not end as recorded: the file says score %u, "
                 "level %u after %u frames; played again: score %u, level %u after %u frames%s\n",
                 file.c_str(), unsigned(want.Score), unsigned(want.Level), unsigned(want.Frames),
                 unsigned(got.Score), unsigned(got.Level), unsigned(got.Frames),
                 got.Ended ? "" : ", still playing");
    return 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "klevaria: %s\n", e.what());
    return 1;
  }
}

// --replay FILE: the recorded game shown in a window at the pace it was
// played (P pauses, F four times as fast, Esc or a click ends it).
int WatchReplay(klv::Platform& window, const std::string& file) {
  auto refuse = [&](const std::string& why) {
    std::fprintf(stderr, "klevaria: %s\n", why.c_str());
    window.ShowMessage("Не удалось показать повтор: " + why, klv::MessageKind::Error);
    return 1;
  };
  try {
    const klv::ReplayFile replay = klv::ReadReplayFile(file);
    const std::string appDir = klv::FindAppDir(klv::SdlPlatform::BaseDir());
    klv::Surface shown;
    klv::ReplayViewer viewer(window, shown, replay, appDir);
    // Each pass takes a record of the file, which is bounded, and the
    // player can end it at any time.
    while (!viewer.Ended()) {
      window.PumpEvents(viewer);
      viewer.RunDue();
      if (!viewer.Ended()) window.WaitUntil(viewer.NextDueMicros());
    }
    if (!viewer.Error().empty()) return refuse(file + ": " + viewer.Error());
    return 0;
  } catch (const std::exception& e) {
    return refuse(e.what());
  }
}

}  // namespace

int main(int argc, char** argv) {
  klv::SdlPlatform::RunChildProcess(argc, argv);
  // --help and --version need no display: they are answered before SDL starts.
  klv::StartOptions options;
  if (int status = klv::HandleCommandLine(argc, argv, std::cout, std::cerr, &options); status >= 0)
    return status;
  if (options.ReplayFile && options.Check) return CheckReplay(*options.ReplayFile);
  // fontconfig's files are read on a thread meanwhile the window opens.
  klv::TtfFonts::StartLookup();
  // The world table: the command line's, else the settings file's, else the
  // build's (empty in the packages: a player sets up the table they use).
  std::string scoreService = KLV_SCORE_SERVICE;
  if (options.ScoreService) {
    scoreService = *options.ScoreService;
  } else {
    std::string error;
    const klv::UserSettings settings = klv::ReadUserSettings(
        klv::UserSettingsPath(std::getenv("XDG_CONFIG_HOME"), klv::HomeDir().c_str()), error);
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
  if (options.ReplayFile) return WatchReplay(*platform, *options.ReplayFile);
  klv::GamePaths paths;
  const std::string base = klv::SdlPlatform::BaseDir();
  paths.AppDir = klv::FindAppDir(base);
  const bool installed = paths.AppDir != base;
  // Installed, the settings and scores belong to the player, never to the
  // system's data folder; a game folder of its own keeps them unless it is
  // not writable.
  if (installed || access(paths.AppDir.c_str(), W_OK) != 0) {
    const klv::PlayerDataDir player = klv::FindPlayerDataDir();
    if (player.Dir.empty()) {
      paths.SettingsInMemory = true;
      paths.UnusableDir = player.Tried;
      paths.UnusableError = player.Error;
    } else if (installed) {
      paths.ConfigDir = player.Dir;
    } else {
      paths.UserDir = player.Dir;
    }
  }

  std::random_device entropy;
  uint64_t seed = (uint64_t(entropy()) << 32) ^ entropy() ^ platform->NowMicros();
  {
    // Every game is recorded at the platform seam.
    klv::RecordingPlatform recording(*platform);
    klv::Game game(recording, paths, seed);
    game.ScoreService = scoreService;
    game.StartWindowed = options.Windowed;
    game.StartSubmission = klv::HttpSubmissionStarter();
    klv::GameRecorder recorder(game, recording);
    game.Recorder = &recorder;
    try {
      game.FormCreate();
    } catch (const std::exception& e) {
      std::fprintf(stderr, "klevaria: %s\n", e.what());
      platform->ShowMessage(e.what(), klv::MessageKind::Error);
      return 1;
    }
    while (!game.Terminated()) {
      try {
        recorder.Poll();
        recording.PumpEvents(game);
        game.RunDue();
      } catch (const klv::FatalError& e) {
        std::fprintf(stderr, "klevaria: %s\n", e.what());
        recorder.Finish();
        platform->ShowMessage(e.what(), klv::MessageKind::Error);
        return 1;
      } catch (const std::exception& e) {
        // An unexpected error: say what it was and carry on.
        std::fprintf(stderr, "klevaria: %s\n", e.what());
        platform->ShowMessage(e.what(), klv::MessageKind::Error);
      }
      if (!game.Terminated()) recording.WaitUntil(game.NextDueMicros());
    }
    recorder.Finish();
  }
  // The link file, when the game's own folder holds one.
  klv::OpenExitLinks(paths.AppDir, klv::IsLinkFile,
                     [&](const std::string& link) { platform->OpenWithShell(link); });
  return 0;
}
