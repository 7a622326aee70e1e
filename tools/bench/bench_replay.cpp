// Recorded games: how many bytes a minute of ordinary play takes, what
// recording costs a frame, and how fast a replay plays back.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>

#include "app/game_recorder.h"
#include "app/replay_runner.h"
#include "app/script_runner.h"
#include "bench.h"
#include "platform/headless_platform.h"
#include "platform/recording_platform.h"
#include "replay/replay_file.h"

namespace {

// Receives events and does nothing with them.
class NoSink : public klv::EventSink {};

}  // namespace

KLV_BENCH("replay: size, recording cost and playback speed of an autopilot game") {
  char tmpl[] = "/tmp/klv-bench-replay-XXXXXX";
  if (!mkdtemp(tmpl)) return;
  const std::string dir = std::string(tmpl) + "/";
  for (const char* sub : {"Data", "Sound"}) {
    const std::string target = std::filesystem::absolute(ctx.gameDir).string() + "/" + sub;
    if (symlink(target.c_str(), (dir + sub).c_str()) != 0) return;
  }
  // Five minutes of the autopilot, then "Да" to leaving and a name.
  klv::ScriptOptions options;
  options.appDir = dir;
  options.scoreService = "http://127.0.0.1:1";
  std::string path;
  {
    klv::ScriptRunner runner(options);
    std::ostringstream out, err;
    runner.Run(
        "seed 9\nwait 300\nkey Return\nwait 2500\nautopilot on\nwait 300000\n"
        "autopilot off\nkey Escape\nkey Y\nkey Return\n",
        out, err);
    runner.Recorder().Finish();
    path = runner.Recorder().LastPath();
  }
  if (path.empty()) {
    std::printf("  no replay was written\n");
    return;
  }
  const klv::ReplayFile replay = klv::ReadReplayFile(path);
  const double minutes = replay.Result.GameMs / 60000.0;
  const double bytes = double(std::filesystem::file_size(path));
  ctx.Report("replay_bytes_per_minute", minutes > 0 ? bytes / minutes : 0);
  ctx.Report("replay_input_bytes_per_minute_unpacked",
             minutes > 0 ? double(replay.Input.size()) / minutes : 0);

  // Playback as fast as it goes, without hashing pictures, as --check does.
  const double t0 = klv::bench::NowSeconds();
  const klv::ReplayOutcome outcome = klv::RunReplay(replay, dir, false);
  const double playSeconds = klv::bench::NowSeconds() - t0;
  std::printf("  played back: %s\n", outcome.Matches(replay.Result) ? "matches" : "DIFFERS");
  ctx.Report("replay_speed_x_real_time",
             playSeconds > 0 ? replay.Result.GameMs / 1000.0 / playSeconds : 0);
  const double frameUs = outcome.Frames ? playSeconds * 1e6 / outcome.Frames : 0;

  // What recording adds to a pass of the loop: the clock, an event now and
  // then, and the three polls of a frame, through the recording platform and
  // straight to the headless one.
  klv::HeadlessPlatform headless;
  klv::RecordingPlatform recording(headless);
  NoSink sink;
  constexpr int kPasses = 200000;
  auto run = [&](klv::Platform& p) {
    const double start = klv::bench::NowSeconds();
    for (int i = 0; i < kPasses; ++i) {
      headless.SetNow(uint64_t(i) * 10000);
      if (i % 40 == 0) {
        if ((i / 40) % 2)
          headless.PressKey(37);
        else
          headless.ReleaseKey(37);
      }
      p.PumpEvents(sink);
      volatile bool sideEffect = p.KeysHeld()[37];
      (void)sideEffect;
      p.Joystick();
      p.Active();
    }
    return (klv::bench::NowSeconds() - start) * 1e9 / kPasses;
  };
  const double plainNs = run(headless);
  recording.StartRecording();
  const double recordedNs = run(recording);
  recording.StopRecording();
  const double costNs = recordedNs > plainNs ? recordedNs - plainNs : 0;
  ctx.Report("replay_recording_ns_per_frame", costNs);
  ctx.Report("replay_recording_percent_of_frame", frameUs > 0 ? costNs / 10.0 / frameUs : 0);
  std::error_code ec;
  std::filesystem::remove_all(tmpl, ec);
}
