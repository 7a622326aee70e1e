// Whole frames of the real game on the headless platform: a scripted visit of
// the menus and a game played by the autopilot.
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "app/game.h"
#include "app/script_runner.h"
#include "bench.h"
#include "platform/headless_platform.h"
#include "play/round.h"

namespace {

const double kProcessStart = klv::bench::NowSeconds();

double Percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  size_t i = std::min(v.size() - 1, static_cast<size_t>(p * (v.size() - 1) + 0.5));
  return v[i];
}

// Advances the simulated clock like ScriptRunner::Wait, timing each frame.
void TimedWait(klv::ScriptRunner& runner, uint64_t ms, std::vector<double>& frames) {
  klv::Game& game = runner.TheGame();
  klv::HeadlessPlatform& platform = runner.Platform();
  const uint64_t target = platform.NowMicros() + ms * 1000;
  while (!game.Terminated()) {
    uint64_t due = game.NextDueMicros();
    if (due > target) break;
    platform.SetNow(std::max(due, platform.NowMicros()));
    platform.PumpEvents(game);
    uint64_t before = game.FrameTimer1.Frames();
    double t0 = klv::bench::NowSeconds();
    game.RunDue();
    double t1 = klv::bench::NowSeconds();
    if (game.FrameTimer1.Frames() != before) frames.push_back((t1 - t0) * 1e6);
  }
  platform.SetNow(target);
}

}  // namespace

KLV_BENCH("frame: menus and a game played by the autopilot") {
  klv::ScriptOptions options;
  options.appDir = ctx.gameDir;
  char tmpl[] = "/tmp/klv-bench-XXXXXX";
  if (!mkdtemp(tmpl)) return;
  // A private game folder so the bench never touches the player's settings.
  std::string dir = std::string(tmpl) + "/";
  for (const char* sub : {"Data", "Sound"}) {
    std::string target = std::filesystem::absolute(ctx.gameDir).string() + "/" + sub;
    std::string link = dir + sub;
    if (symlink(target.c_str(), link.c_str()) != 0) return;
  }
  options.appDir = dir;

  klv::ScriptRunner runner(options);
  std::vector<double> frames;
  runner.Execute("seed 7");
  double t0 = klv::bench::NowSeconds();
  TimedWait(runner, 20, frames);  // start-up and the first frame
  double startupMs = (klv::bench::NowSeconds() - kProcessStart) * 1000;
  (void)t0;
  if (runner.TheGame().Terminated()) {
    ctx.Report("startup_ms", startupMs);
    return;
  }
  frames.clear();
  for (const char* line : {"key Down", "key Down", "key Up", "key Up", "key Return"}) {
    runner.Execute(line);
    TimedWait(runner, 500, frames);
  }
  runner.Execute("autopilot on");
  TimedWait(runner, 60000, frames);

  // The floor: three plain copies of a whole back buffer.
  std::vector<uint32_t> a(800 * 600, 1), b(800 * 600, 2);
  std::vector<double> copies;
  for (int i = 0; i < 200; ++i) {
    double c0 = klv::bench::NowSeconds();
    for (int k = 0; k < 3; ++k) {
      std::memcpy(b.data(), a.data(), a.size() * 4);
      a[k] = b[k + 1];
    }
    copies.push_back((klv::bench::NowSeconds() - c0) * 1e6);
  }
  double floorUs = Percentile(copies, 0.5);
  double p50 = Percentile(frames, 0.5), p99 = Percentile(frames, 0.99);
  struct rusage ru;
  getrusage(RUSAGE_SELF, &ru);
  ctx.Report("frames", static_cast<double>(frames.size()));
  ctx.Report("frame_p50_us", p50);
  ctx.Report("frame_p99_us", p99);
  ctx.Report("floor_us", floorUs);
  ctx.Report("p99_to_floor", floorUs > 0 ? p99 / floorUs : 0);
  ctx.Report("startup_ms", startupMs);
  ctx.Report("rss_mb", ru.ru_maxrss / 1024.0);
  ctx.Report("autopilot_level", runner.TheGame().Round1->LevelNo);
}
