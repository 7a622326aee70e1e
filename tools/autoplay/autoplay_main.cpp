// klevaria-autoplay: the real game in a real window, for measuring what it
// costs. It idles in the menu, or starts a game and lets the autopilot hold
// the play keys, for a number of seconds, then prints the process's CPU use
// and resident memory as name=value figures.
//   klevaria-autoplay [--play] [--fullscreen] [--seconds N] [--appdir DIR]
#include <sys/resource.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/game.h"
#include "platform/sdl_platform.h"
#include "play/autopilot.h"
#include "settings/config.h"

namespace {

// The desktop platform with the autopilot's keys held on top of the keyboard's.
class AutopilotKeys : public klv::Platform {
 public:
  explicit AutopilotKeys(klv::Platform& inner) : inner_(inner) {}
  void Hold(const std::set<int>& keys) {
    held_ = inner_.KeysHeld();
    for (int k : keys)
      if (k > 0 && k < 256) held_[k] = true;
  }
  uint64_t NowMicros() override { return inner_.NowMicros(); }
  void WaitUntil(uint64_t t) override { inner_.WaitUntil(t); }
  void PumpEvents(klv::EventSink& s) override { inner_.PumpEvents(s); }
  void SetFullscreen(bool f) override { inner_.SetFullscreen(f); }
  bool Fullscreen() const override { return inner_.Fullscreen(); }
  void Present(const klv::Surface& b) override { inner_.Present(b); }
  void PresentChanges(const klv::Surface& b, const std::vector<klv::Rect>& changed) override {
    inner_.PresentChanges(b, changed);
  }
  void Minimize() override { inner_.Minimize(); }
  void ShowCursor(bool s) override { inner_.ShowCursor(s); }
  bool Active() const override { return true; }
  const std::array<bool, 256>& KeysHeld() const override { return held_; }
  klv::JoystickState Joystick() override { return inner_.Joystick(); }
  klv::TextRaster RenderText(const klv::FontSpec& f, const std::string& t) override {
    return inner_.RenderText(f, t);
  }
  void ShowMessage(const std::string& t, klv::MessageKind k) override {
    std::fprintf(stderr, "autoplay: box: %s\n", t.c_str());
    (void)k;
  }
  void OpenWithShell(const std::string&) override {}
  klv::AudioOut& Audio() override { return inner_.Audio(); }

 private:
  klv::Platform& inner_;
  std::array<bool, 256> held_{};
};

double CpuSeconds() {
  struct rusage ru;
  getrusage(RUSAGE_SELF, &ru);
  return ru.ru_utime.tv_sec + ru.ru_stime.tv_sec +
         (ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

long RssKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  klv::SdlPlatform::RunChildProcess(argc, argv);
  bool play = false;
  bool fullscreen = false;
  double seconds = 10;
  std::string appDir;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--play"))
      play = true;
    else if (!std::strcmp(argv[i], "--fullscreen"))
      fullscreen = true;
    else if (!std::strcmp(argv[i], "--seconds") && i + 1 < argc)
      seconds = std::atof(argv[++i]);
    else if (!std::strcmp(argv[i], "--appdir") && i + 1 < argc)
      appDir = argv[++i];
    else {
      std::fprintf(
          stderr,
          "usage: klevaria-autoplay [--play] [--fullscreen] [--seconds N] [--appdir DIR]\n");
      return 2;
    }
  }
  if (!appDir.empty() && appDir.back() != '/') appDir += '/';
  klv::SdlPlatform desktop("Клевария", 800, 600);
  AutopilotKeys platform(desktop);
  klv::GamePaths paths;
  paths.AppDir = appDir;
  klv::Game game(platform, paths, 42);
  game.FormCreate();
  if (fullscreen && game.Cfg->Windowed) {
    game.Cfg->Windowed = false;
    game.ApplyWindowMode();
  }
  std::unique_ptr<klv::Autopilot> pilot;
  auto run = [&](double span) {
    const uint64_t end = platform.NowMicros() + uint64_t(span * 1e6);
    while (!game.Terminated() && platform.NowMicros() < end) {
      platform.PumpEvents(game);
      if (pilot) {
        pilot->NextKeyChanges();
        platform.Hold(pilot->HeldKeys());
      } else
        platform.Hold({});
      game.RunDue();
      platform.WaitUntil(std::min(game.NextDueMicros(), end));
    }
  };
  run(1.0);  // start-up settles
  if (play) {
    // "Начать игру" straight away: wherever the pointer rests, it lights no item.
    game.StartGame();
    pilot = std::make_unique<klv::Autopilot>(*game.Play1, *game.Round1, game.GameState);
    run(3.0);
  }
  const double cpu0 = CpuSeconds();
  const uint64_t t0 = platform.NowMicros();
  run(seconds);
  const double wall = (platform.NowMicros() - t0) / 1e6;
  const double pct = wall > 0 ? (CpuSeconds() - cpu0) / wall * 100 : 0;
  std::string name = play ? "play" : "idle";
  if (fullscreen) name += "_full";
  std::printf("%s_cpu_pct=%.2f %s_rss_mb=%.1f\n", name.c_str(), pct, name.c_str(),
              RssKb() / 1024.0);
  return 0;
}
