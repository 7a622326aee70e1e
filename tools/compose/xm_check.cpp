// Renders a tracker module with libxmp up to its loop point and measures what a
// listener would hear: length, peak, loudness, spectrum balance and clicks.
//
//   klv-xmcheck FILE [--wav OUT.wav] [--max-seconds N]

#include <xmp.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 44100;

double Db(double v) {
  return v > 0 ? 20.0 * std::log10(v) : -120.0;
}

void WriteWav(const std::string& path, const std::vector<int16_t>& pcm) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return;
  auto u32 = [&](uint32_t v) { std::fwrite(&v, 4, 1, f); };
  auto u16 = [&](uint16_t v) { std::fwrite(&v, 2, 1, f); };
  const uint32_t bytes = uint32_t(pcm.size() * 2);
  std::fwrite("RIFF", 1, 4, f);
  u32(36 + bytes);
  std::fwrite("WAVEfmt ", 1, 8, f);
  u32(16);
  u16(1);
  u16(2);
  u32(kRate);
  u32(kRate * 4);
  u16(4);
  u16(16);
  std::fwrite("data", 1, 4, f);
  u32(bytes);
  std::fwrite(pcm.data(), 2, pcm.size(), f);
  std::fclose(f);
}

// One-pole low-pass as a crude band splitter.
struct OnePole {
  double a, y = 0;
  explicit OnePole(double hz) : a(1.0 - std::exp(-2.0 * M_PI * hz / kRate)) {}
  double operator()(double x) { return y += a * (x - y); }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: klv-xmcheck FILE [--wav OUT.wav] [--max-seconds N]\n");
    return 2;
  }
  std::string wavPath;
  double maxSeconds = 300;
  for (int i = 2; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--wav") == 0) wavPath = argv[i + 1];
    if (std::strcmp(argv[i], "--max-seconds") == 0) maxSeconds = std::atof(argv[i + 1]);
  }
  xmp_context ctx = xmp_create_context();
  if (xmp_load_module(ctx, argv[1]) != 0) {
    std::fprintf(stderr, "%s: libxmp cannot load it\n", argv[1]);
    return 1;
  }
  xmp_module_info info;
  xmp_get_module_info(ctx, &info);
  std::printf("%s: %s, %s, %d channels, %d patterns, %d instruments, %d samples\n", argv[1],
              info.mod->name, info.mod->type, info.mod->chn, info.mod->pat, info.mod->ins,
              info.mod->smp);
  int sampleProblems = 0;
  for (int i = 0; i < info.mod->smp; ++i) {
    const xmp_sample& s = info.mod->xxs[i];
    if (s.len <= 0 || s.data == nullptr) continue;
    auto at = [&](int k) -> int {
      return (s.flg & XMP_SAMPLE_16BIT) ? reinterpret_cast<const int16_t*>(s.data)[k]
                                        : int(reinterpret_cast<const int8_t*>(s.data)[k]) * 256;
    };
    const bool looped = (s.flg & XMP_SAMPLE_LOOP) != 0;
    int worstStep = 0;
    for (int k = 1; k < s.len; ++k) worstStep = std::max(worstStep, std::abs(at(k) - at(k - 1)));
    const int startJump = std::abs(at(0));
    const int endJump = looped ? std::abs(at(s.lpe - 1) - at(s.lps)) : std::abs(at(s.len - 1));
    const bool bad = startJump > 64 || endJump > (looped ? worstStep + 16 : 64);
    sampleProblems += bad;
    std::printf("  sample %d %-10s %6d frames%s start %d, %s %d%s\n", i, s.name, s.len,
                looped ? " looped" : "", startJump, looped ? "seam" : "end", endJump,
                bad ? "  <-- click" : "");
  }

  xmp_start_player(ctx, kRate, 0);
  xmp_set_player(ctx, XMP_PLAYER_INTERP, XMP_INTERP_SPLINE);
  std::vector<int16_t> pcm;
  xmp_frame_info fi;
  const size_t maxFrames = size_t(maxSeconds * kRate);
  while (xmp_play_frame(ctx) == 0) {
    xmp_get_frame_info(ctx, &fi);
    if (fi.loop_count > 0) break;
    const int16_t* b = static_cast<const int16_t*>(fi.buffer);
    pcm.insert(pcm.end(), b, b + fi.buffer_size / 2);
    if (pcm.size() / 2 >= maxFrames) break;
  }
  xmp_end_player(ctx);
  xmp_release_module(ctx);
  xmp_free_context(ctx);

  const size_t frames = pcm.size() / 2;
  double peak = 0, sum = 0;
  double low = 0, mid = 0, high = 0;
  OnePole lp200(200), lp2k(2000);
  // Clicks: a step in the waveform, i.e. one sample-to-sample jump that is loud
  // and far bigger than the jumps just before and after it.
  int clicks = 0;
  {
    std::vector<float> d1(frames, 0.f);
    for (size_t i = 1; i < frames; ++i)
      d1[i] = float(std::fabs((pcm[2 * i] + pcm[2 * i + 1]) - (pcm[2 * i - 2] + pcm[2 * i - 1])) /
                    65536.0);
    size_t last = 0;
    for (size_t i = 17; i + 17 < frames; ++i) {
      if (d1[i] < 0.03f) continue;
      float around = 0;
      for (int k = 1; k <= 16; ++k) around = std::max({around, d1[i - k], d1[i + k]});
      if (d1[i] > 6 * around && i - last > kRate / 100) {
        ++clicks;
        last = i;
        if (clicks <= 5) std::printf("  click at %.3f s (jump %.3f)\n", double(i) / kRate, d1[i]);
      }
    }
  }
  const int window = kRate / 2;  // loudness in half-second windows
  std::vector<double> windowRms;
  double wsum = 0;
  for (size_t i = 0; i < frames; ++i) {
    const double l = pcm[2 * i] / 32768.0, r = pcm[2 * i + 1] / 32768.0;
    const double m = 0.5 * (l + r);
    peak = std::max({peak, std::fabs(l), std::fabs(r)});
    sum += l * l + r * r;
    wsum += l * l + r * r;
    if ((i + 1) % window == 0) {
      windowRms.push_back(std::sqrt(wsum / (2.0 * window)));
      wsum = 0;
    }
    const double a = lp200(m), b = lp2k(m);
    low += a * a;
    mid += (b - a) * (b - a);
    high += (m - b) * (m - b);
  }
  const double rms = frames ? std::sqrt(sum / (2.0 * frames)) : 0;
  const double total = low + mid + high + 1e-12;
  std::sort(windowRms.begin(), windowRms.end());
  const double quiet = windowRms.empty() ? 0 : windowRms[windowRms.size() / 10];
  const double loud = windowRms.empty() ? 0 : windowRms[windowRms.size() * 9 / 10];
  std::printf(
      "  to loop: %.1f s\n  peak: %.2f dBFS\n  rms: %.2f dBFS (10%%..90%% of half-seconds: "
      "%.1f .. %.1f)\n  spectrum: low %.0f%%, mid %.0f%%, high %.0f%%\n  clicks: %d\n",
      double(frames) / kRate, Db(peak), Db(rms), Db(quiet), Db(loud), 100 * low / total,
      100 * mid / total, 100 * high / total, clicks);
  if (!wavPath.empty()) WriteWav(wavPath, pcm);
  return sampleProblems == 0 ? 0 : 1;
}
