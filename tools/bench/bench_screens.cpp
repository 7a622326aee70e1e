// Frames of each screen around play, on the headless platform: the menu, the
// options overlay with the text field being edited, the high-score table,
// help, the quit question and the name entry.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/game.h"
#include "app/script_runner.h"
#include "bench.h"
#include "platform/headless_platform.h"

namespace {

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// Microseconds per frame, the median over `frames` frames of whatever screen
// is shown, run by the runner as a script's `wait` runs them (the game reads
// its clock through the recording platform, which the runner advances). At
// most 20 s of game time, so a screen whose frames stop cannot hold the bench.
double FrameMicros(klv::ScriptRunner& runner, int frames) {
  std::vector<double> times;
  double t0 = 0;
  runner.BeforeRunDue = [&] { t0 = klv::bench::NowSeconds(); };
  runner.AfterRunDue = [&](bool frameRan) {
    if (frameRan) times.push_back((klv::bench::NowSeconds() - t0) * 1e6);
  };
  for (int i = 0;
       i < 200 && static_cast<int>(times.size()) < frames && !runner.TheGame().Terminated(); ++i)
    runner.Wait(100);
  runner.BeforeRunDue = nullptr;
  runner.AfterRunDue = nullptr;
  return Median(times);
}

}  // namespace

KLV_BENCH("screens: one frame of each screen") {
  char tmpl[] = "/tmp/klv-bench-screens-XXXXXX";
  if (!mkdtemp(tmpl)) return;
  const std::string dir = std::string(tmpl) + "/";
  const std::string gameDir = std::filesystem::absolute(ctx.gameDir).string();
  for (const char* sub : {"Data", "Sound"}) {
    if (symlink((gameDir + "/" + sub).c_str(), (dir + sub).c_str()) != 0) {
      std::perror("symlink");
      return;
    }
  }
  klv::ScriptOptions options;
  options.appDir = dir;
  klv::ScriptRunner runner(options);
  runner.Execute("seed 7");
  runner.Execute("wait 100");
  if (runner.TheGame().Terminated()) {
    for (const std::string& m : runner.Platform().messages) std::fprintf(stderr, "%s\n", m.c_str());
    return;
  }
  constexpr int kFrames = 300;
  ctx.Report("menu_frame_us", FrameMicros(runner, kFrames));
  for (const char* line : {"click 300 287", "click 400 380", "type Рыбак"}) runner.Execute(line);
  ctx.Report("options_frame_us", FrameMicros(runner, kFrames));
  for (const char* line : {"key Escape", "click 300 337"}) runner.Execute(line);
  ctx.Report("hiscores_frame_us", FrameMicros(runner, kFrames));
  for (const char* line : {"key Escape", "click 300 385"}) runner.Execute(line);
  ctx.Report("help_frame_us", FrameMicros(runner, kFrames));
  for (const char* line : {"key Escape", "key Escape"}) runner.Execute(line);
  ctx.Report("question_frame_us", FrameMicros(runner, kFrames));
  for (const char* line :
       {"key N", "key Return", "wait 3000", "set score 950", "key Escape", "key Y", "type Петя"})
    runner.Execute(line);
  ctx.Report("name_entry_frame_us", FrameMicros(runner, kFrames));
}
