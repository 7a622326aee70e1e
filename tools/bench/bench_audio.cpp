// The audio callback's cost: one 1024-frame buffer at 44100 Hz with the play
// tune and all four effects sounding, as a percentage of the buffer's duration.
#include <algorithm>
#include <vector>

#include "app/sound_system.h"
#include "bench.h"
#include "platform/headless_audio_out.h"

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
  double total = 0, worst = 0;
  for (int i = 0; i < kBuffers; ++i) {
    // Keep all four effects sounding (Poimal and Over are short).
    if (i % 4 == 0)
      for (const char* e : effects) sound.PlayEffect(e);
    const double t0 = klv::bench::NowSeconds();
    out.Render(buf.data(), kFrames);
    const double dt = klv::bench::NowSeconds() - t0;
    total += dt;
    worst = std::max(worst, dt);
  }
  ctx.Report("audio_cb_pct", 100.0 * total / kBuffers / bufferSeconds);
  ctx.Report("audio_cb_worst_pct", 100.0 * worst / bufferSeconds);
}
