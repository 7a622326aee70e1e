// Whole frames of the real game on the headless platform: a scripted visit of
// the menus and a game played by the autopilot.
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
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

double Percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  size_t i = std::min(v.size() - 1, static_cast<size_t>(p * (v.size() - 1) + 0.5));
  return v[i];
}

double ChildrenCpuMs() {
  struct rusage ru;
  getrusage(RUSAGE_CHILDREN, &ru);
  return (ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) * 1e3 +
         (ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e3;
}

// Start-up of a whole process: klevaria-script (beside this program) starts
// the game and runs until its first frame is presented; median of 5 runs,
// in wall time and in the user and system CPU time it took (`cpuMs`).
double StartupMs(const std::string& appDir, double& cpuMs) {
  char self[4096];
  ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return 0;
  self[n] = 0;
  std::string bin = std::filesystem::path(self).parent_path() / "klevaria-script";
  std::string script = appDir + "first-frame.kls";
  std::FILE* f = std::fopen(script.c_str(), "w");
  if (!f) return 0;
  std::fputs("wait 16\n", f);
  std::fclose(f);
  std::string cmd = "'" + bin + "' --appdir '" + appDir + "' '" + script + "' >/dev/null 2>&1";
  std::vector<double> runs, cpu;
  for (int i = 0; i < 5; ++i) {
    double c0 = ChildrenCpuMs();
    double t0 = klv::bench::NowSeconds();
    if (std::system(cmd.c_str()) != 0) return 0;
    runs.push_back((klv::bench::NowSeconds() - t0) * 1000);
    cpu.push_back(ChildrenCpuMs() - c0);
  }
  std::remove(script.c_str());
  cpuMs = Percentile(cpu, 0.5);
  return Percentile(runs, 0.5);
}

// Advances the simulated clock through the runner, timing each frame.
// `cpu` gets the frames' times in the thread's CPU time.
void TimedWait(klv::ScriptRunner& runner, uint64_t ms, std::vector<double>& frames,
               std::vector<double>& cpu) {
  double t0 = 0, c0 = 0;
  runner.BeforeRunDue = [&] {
    c0 = klv::bench::ThreadCpuSeconds();
    t0 = klv::bench::NowSeconds();
  };
  runner.AfterRunDue = [&](bool frameRan) {
    const double t1 = klv::bench::NowSeconds();
    const double c1 = klv::bench::ThreadCpuSeconds();
    if (!frameRan) return;
    frames.push_back((t1 - t0) * 1e6);
    cpu.push_back((c1 - c0) * 1e6);
  };
  runner.Wait(ms);
  runner.BeforeRunDue = nullptr;
  runner.AfterRunDue = nullptr;
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
  std::vector<double> frames, frameCpu;
  runner.Execute("seed 7");
  double t0 = klv::bench::NowSeconds();
  TimedWait(runner, 20, frames, frameCpu);  // start-up and the first frame
  double startupCpuMs = 0;
  double startupMs = StartupMs(dir, startupCpuMs);
  (void)t0;
  if (runner.TheGame().Terminated()) {
    ctx.Report("startup_ms", startupMs);
    ctx.Report("startup_cpu_ms", startupCpuMs);
    return;
  }
  frames.clear();
  frameCpu.clear();
  for (const char* line : {"key Down", "key Down", "key Up", "key Up", "key Return"}) {
    runner.Execute(line);
    TimedWait(runner, 500, frames, frameCpu);
  }
  runner.Execute("autopilot on");
  TimedWait(runner, 60000, frames, frameCpu);

  // The floor: three plain copies of a whole back buffer.
  std::vector<uint32_t> a(800 * 600, 1), b(800 * 600, 2);
  std::vector<double> copies, copiesCpu;
  for (int i = 0; i < 200; ++i) {
    double u0 = klv::bench::ThreadCpuSeconds();
    double c0 = klv::bench::NowSeconds();
    for (int k = 0; k < 3; ++k) {
      std::memcpy(b.data(), a.data(), a.size() * 4);
      a[k] = b[k + 1];
    }
    copies.push_back((klv::bench::NowSeconds() - c0) * 1e6);
    copiesCpu.push_back((klv::bench::ThreadCpuSeconds() - u0) * 1e6);
  }
  double floorUs = Percentile(copies, 0.5);
  double floorCpuUs = Percentile(copiesCpu, 0.5);
  double p99Cpu = Percentile(frameCpu, 0.99);
  double p50 = Percentile(frames, 0.5), p99 = Percentile(frames, 0.99);
  struct rusage ru;
  getrusage(RUSAGE_SELF, &ru);
  ctx.Report("frames", static_cast<double>(frames.size()));
  ctx.Report("frame_p50_us", p50);
  ctx.Report("frame_p99_us", p99);
  ctx.Report("floor_us", floorUs);
  ctx.Report("p99_to_floor", floorUs > 0 ? p99 / floorUs : 0);
  // The same in the thread's CPU time, which a busy machine does not stretch.
  ctx.Report("frame_cpu_p99_us", p99Cpu);
  ctx.Report("p99_cpu_to_floor", floorCpuUs > 0 ? p99Cpu / floorCpuUs : 0);
  ctx.Report("startup_ms", startupMs);
  ctx.Report("startup_cpu_ms", startupCpuMs);
  ctx.Report("rss_mb", ru.ru_maxrss / 1024.0);
  ctx.Report("autopilot_level", runner.TheGame().Round1->LevelNo);
}
