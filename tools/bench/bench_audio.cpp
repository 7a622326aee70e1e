// The audio callback's cost: one 1024-frame buffer at 44100 Hz with the play
// tune and all four effects sounding (the effects replayed every fourth buffer,
// so the mixer runs its full pool of voices), as a percentage of the buffer's
// duration, in thread CPU time.
#include <time.h>

#include <algorithm>
#include <vector>

#include "app/sound_system.h"
#include "bench.h"
#include "platform/headless_audio_out.h"

namespace {

// CPU time of this thread: a busy machine preempting the bench does not count.
double ThreadSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return double(ts.tv_sec) + ts.tv_nsec * 1e-9;
}

}  // namespace

KLV_BENCH("audio") {
  klv::HeadlessAudioOut out;
  klv::SoundSystem sound(out, ctx.gameDir);
  uint8_t music = 1;
  if (!sound.StartPlayMusic(music)) {
    ctx.Report("audio_cb_pct", -1);  // no tune built
    return;
  }
  constexpr int kFrames = 1024;
  const double bufferSeconds = double(kFrames) / out.SampleRate();
  std::vector<int16_t> buf(2 * kFrames);
  const char* effects[] = {"Up", "Poimal", "Level", "Over"};
  const int kBuffers = 2000;  // about 46 s of sound
  double total = 0;
  std::vector<double> times;
  times.reserve(kBuffers);
  for (int i = 0; i < kBuffers; ++i) {
    // Keep all four effects sounding (Poimal and Over are short).
    if (i % 4 == 0)
      for (const char* e : effects) sound.PlayEffect(e);
    const double t0 = ThreadSeconds();
    out.Render(buf.data(), kFrames);
    const double dt = ThreadSeconds() - t0;
    total += dt;
    times.push_back(dt);
  }
  std::sort(times.begin(), times.end());
  ctx.Report("audio_cb_pct", 100.0 * total / kBuffers / bufferSeconds);
  // The slow tail: a buffer that overruns its duration would be heard as a drop-out.
  ctx.Report("audio_cb_p99_pct", 100.0 * times[times.size() * 99 / 100] / bufferSeconds);
}
