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
#include "app/game_recorder.h"
#include "app/replay_runner.h"
#include "engine/cp1251.h"
#include "engine/errors.h"
#include "platform/recording_platform.h"
#include "platform/sdl_platform.h"

namespace {

bool Exists(const std::string& path) {
  return access(path.c_str(), F_OK) == 0;
}

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

}  // namespace

int main(int argc, char** argv) {
  klv::SdlPlatform::RunGpuProbe(argc, argv);
  // --help and --version need no display: they are answered before SDL starts.
  if (int status = klv::HandleCommandLine(argc, argv, std::cout, std::cerr); status >= 0)
    return status;
  std::string replayFile;
  bool check = false;
  if (klv::ReplayRequested(argc, argv, replayFile, check)) {
    if (check) return CheckReplay(replayFile);
    std::fprintf(stderr,
                 "klevaria: watching a replay in the window is not there yet; "
                 "use --replay FILE --check\n");
    return 2;
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
    // Every game is recorded at the platform seam.
    klv::RecordingPlatform recording(*platform);
    klv::Game game(recording, paths, seed);
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
  // The launcher and the link file, when they lie in the current folder.
  if (Exists("fscommand/pgate.exe")) platform->OpenWithShell("fscommand/pgate.exe");
  if (Exists("play.url")) platform->OpenWithShell("play.url");
  return 0;
}
