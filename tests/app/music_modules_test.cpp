// The shipped tunes as a player hears them, rendered with libxmp up to the
// point where they loop.

#include <gtest/gtest.h>
#include <xmp.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace {

struct Measured {
  double secondsToLoop = 0;
  double peakDb = -120;
  double rmsDb = -120;
  int rows = 0;
};

double Db(double v) {
  return v > 0 ? 20 * std::log10(v) : -120;
}

Measured Measure(const std::string& path, std::vector<std::string>& problems) {
  Measured m;
  xmp_context ctx = xmp_create_context();
  if (xmp_load_module(ctx, const_cast<char*>(path.c_str())) != 0) {
    problems.push_back(path + " does not load");
    xmp_free_context(ctx);
    return m;
  }
  xmp_module_info info;
  xmp_get_module_info(ctx, &info);
  for (int i = 0; i < info.mod->len; ++i) m.rows += info.mod->xxp[info.mod->xxo[i]]->rows;
  // Samples begin from silence and end in it, or loop without a seam.
  for (int i = 0; i < info.mod->smp; ++i) {
    const xmp_sample& s = info.mod->xxs[i];
    if (s.len <= 1 || s.data == nullptr) continue;
    auto at = [&](int k) {
      return (s.flg & XMP_SAMPLE_16BIT) ? int(reinterpret_cast<const int16_t*>(s.data)[k])
                                        : int(reinterpret_cast<const int8_t*>(s.data)[k]) * 256;
    };
    int worst = 0;
    for (int k = 1; k < s.len; ++k) worst = std::max(worst, std::abs(at(k) - at(k - 1)));
    if (std::abs(at(0)) > 64) problems.push_back(std::string(s.name) + " starts with a click");
    if (s.flg & XMP_SAMPLE_LOOP) {
      if (std::abs(at(s.lpe - 1) - at(s.lps)) > worst + 16)
        problems.push_back(std::string(s.name) + " has a seam at its loop");
    } else if (std::abs(at(s.len - 1)) > 64) {
      problems.push_back(std::string(s.name) + " ends with a click");
    }
  }
  xmp_start_player(ctx, 44100, 0);
  double peak = 0, sum = 0;
  size_t frames = 0;
  xmp_frame_info fi;
  while (xmp_play_frame(ctx) == 0 && frames < 44100u * 300) {
    xmp_get_frame_info(ctx, &fi);
    if (fi.loop_count > 0) break;
    const int16_t* b = static_cast<const int16_t*>(fi.buffer);
    for (int i = 0; i < fi.buffer_size / 2; ++i) {
      const double v = b[i] / 32768.0;
      peak = std::max(peak, std::fabs(v));
      sum += v * v;
    }
    frames += size_t(fi.buffer_size) / 4;
  }
  xmp_end_player(ctx);
  xmp_release_module(ctx);
  xmp_free_context(ctx);
  m.secondsToLoop = frames / 44100.0;
  m.peakDb = Db(peak);
  m.rmsDb = frames ? Db(std::sqrt(sum / (2.0 * frames))) : -120;
  return m;
}

TEST(MusicModules, LongCleanAndEquallyLoud) {
  std::vector<std::string> problems;
  const Measured menu = Measure(std::string(KLV_GAME_DIR) + "/Sound/1.xm", problems);
  const Measured play = Measure(std::string(KLV_GAME_DIR) + "/Sound/2.xm", problems);
  for (const std::string& p : problems) ADD_FAILURE() << p;
  for (const Measured* m : {&menu, &play}) {
    EXPECT_GE(m->secondsToLoop, 60.0);
    EXPECT_GE(m->rows, 32 * 16) << "at least 32 bars";
    EXPECT_LT(m->peakDb, -1.0);
    EXPECT_GT(m->rmsDb, -30.0) << "too quiet to hear over the effects";
  }
  EXPECT_NEAR(menu.rmsDb, play.rmsDb, 2.0);
  std::printf("menu: %.1f s, peak %.2f dBFS, rms %.2f dBFS; play: %.1f s, peak %.2f, rms %.2f\n",
              menu.secondsToLoop, menu.peakDb, menu.rmsDb, play.secondsToLoop, play.peakDb,
              play.rmsDb);
}

}  // namespace
