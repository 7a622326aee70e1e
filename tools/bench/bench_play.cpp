// A busy play scene on the real pictures: ten fish, ten objects, twenty
// bubbles, a fish on the hook, the rising score text and the quota labels of
// all ten kinds, frame after frame.
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#include "app/game.h"
#include "bench.h"
#include "engine/sprite_engine.h"
#include "platform/headless_audio_out.h"
#include "platform/headless_platform.h"
#include "play/fish.h"
#include "play/kruk.h"
#include "play/objcts.h"
#include "play/player.h"
#include "play/puzir.h"
#include "play/round.h"

namespace {

double Percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  size_t i = std::min(v.size() - 1, static_cast<size_t>(p * (v.size() - 1) + 0.5));
  return v[i];
}

template <class T>
int Live(klv::SpriteEngine& engine) {
  int n = 0;
  for (int i = 0; i < engine.Count(); ++i)
    n += dynamic_cast<T*>(&engine.ItemAt(i)) != nullptr && !engine.ItemAt(i).Dying();
  return n;
}

}  // namespace

KLV_BENCH("play: a busy scene") {
  char tmpl[] = "/tmp/klv-bench-play-XXXXXX";
  if (!mkdtemp(tmpl)) return;
  const std::string dir = std::string(tmpl) + "/";
  for (const char* sub : {"Data", "Sound"}) {
    const std::string target = std::filesystem::absolute(ctx.gameDir).string() + "/" + sub;
    if (symlink(target.c_str(), (dir + sub).c_str()) != 0) return;
  }

  {
    klv::HeadlessPlatform platform(std::make_unique<klv::HeadlessAudioOut>());
    platform.SetNow(1'000'000);
    klv::GamePaths paths;
    paths.AppDir = dir;
    klv::Game game(platform, paths, 7);
    game.FormCreate();
    klv::Round& round = *game.Round1;
    klv::SpriteEngine& engine = *game.SpriteEngine1;

    game.StartGame();
    while (round.LevelNo < 16)
      (void)round.StartLevel(klv::LevelStart::AfterBonus);  // ten quota labels
    game.Hold1.Stop();                                      // the clock stays where it is
    round.RoundClock = round.TimeLimit * 60;

    // The hook held deep with a fish on it.
    klv::Player& angler = *round.Players[0];
    game.Mouse.MouseLowerHeld = true;

    std::vector<double> frames, frameCpu;
    uint64_t hooked = 0;
    for (int i = 0; i < 3000; ++i) {
      // Keep the scene full.
      while (Live<klv::Fish>(engine) < 10) {
        ++round.FishCount;
        engine.Create<klv::Fish>(*game.Play1, round);
      }
      while (Live<klv::Objcts>(engine) < 10) {
        ++round.ObjectCount;
        engine.Create<klv::Objcts>(*game.Play1, round);
      }
      while (Live<klv::Puzir>(engine) < 20) engine.Create<klv::Puzir>(*game.Play1, round);
      if (angler.Hook->Y >= 500 && game.Mouse.MouseLowerHeld) {
        // One frame up, then held still: a rising hook that no longer moves.
        game.Mouse.MouseLowerHeld = false;
      } else if (!game.Mouse.MouseLowerHeld && angler.Reeling) {
        game.Mouse.MouseLowerHeld = true;
        bool hasCatch = false;
        for (int k = 0; k < engine.Count(); ++k)
          if (auto* f = dynamic_cast<klv::Fish*>(&engine.ItemAt(k)); f && f->Hooked)
            hasCatch = true;
        if (!hasCatch) {
          // Hang a fish on the hook the way a rising hook would.
          for (int k = 0; k < engine.Count(); ++k) {
            if (auto* f = dynamic_cast<klv::Fish*>(&engine.ItemAt(k));
                f && !f->Hooked && !f->Dying()) {
              angler.Hook->Catching = true;
              bool stop = false;
              f->HitBy(*angler.Hook, stop);
              angler.Hook->Catching = false;
              ++hooked;
              break;
            }
          }
        }
      }
      round.ScorePopupShown = true;
      round.ScorePopupY = 160;
      round.ScorePopupValue = 100;

      const uint64_t due = game.NextDueMicros();
      platform.SetNow(std::max(due, platform.NowMicros()));
      const uint64_t before = game.FrameTimer1.Frames();
      const double c0 = klv::bench::ThreadCpuSeconds();
      const double t0 = klv::bench::NowSeconds();
      game.RunDue();
      const double t1 = klv::bench::NowSeconds();
      const double c1 = klv::bench::ThreadCpuSeconds();
      if (game.FrameTimer1.Frames() != before) {
        frames.push_back((t1 - t0) * 1e6);
        frameCpu.push_back((c1 - c0) * 1e6);
      }
    }

    // The floor: three plain copies of a whole back buffer.
    std::vector<uint32_t> a(800 * 600, 1), b(800 * 600, 2);
    std::vector<double> copies, copiesCpu;
    for (int i = 0; i < 200; ++i) {
      const double u0 = klv::bench::ThreadCpuSeconds();
      const double c0 = klv::bench::NowSeconds();
      for (int k = 0; k < 3; ++k) {
        std::memcpy(b.data(), a.data(), a.size() * 4);
        a[k] = b[k + 1];
      }
      copies.push_back((klv::bench::NowSeconds() - c0) * 1e6);
      copiesCpu.push_back((klv::bench::ThreadCpuSeconds() - u0) * 1e6);
    }
    const double floorUs = Percentile(copies, 0.5);
    const double p99 = Percentile(frames, 0.99);
    const double floorCpuUs = Percentile(copiesCpu, 0.5);
    const double p99Cpu = Percentile(frameCpu, 0.99);
    ctx.Report("play_frames", static_cast<double>(frames.size()));
    ctx.Report("play_frame_p50_us", Percentile(frames, 0.5));
    ctx.Report("play_frame_p99_us", p99);
    ctx.Report("play_p99_to_floor", floorUs > 0 ? p99 / floorUs : 0);
    // The same in the thread's CPU time, which a busy machine does not stretch.
    ctx.Report("play_frame_cpu_p99_us", p99Cpu);
    ctx.Report("play_p99_cpu_to_floor", floorCpuUs > 0 ? p99Cpu / floorCpuUs : 0);
    ctx.Report("play_catches_hung", static_cast<double>(hooked));
  }
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
}
