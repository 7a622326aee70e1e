// Image collections: loading the game's two files (read, decode, upload) and
// drawing frames onto the 800 x 600 back buffer.
#include <algorithm>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <vector>

#include "bench.h"
#include "engine/picture_collection.h"

namespace {

using klv::bench::NowSeconds;

// A 100 x 60 fish: an ellipse on the key colour, or with soft alpha edges.
klv::Surface FishPicture(bool alpha) {
  klv::Surface s(100, 60);
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 100; ++x) {
      const double d = (x - 49.5) * (x - 49.5) / 2500.0 + (y - 29.5) * (y - 29.5) / 900.0;
      const uint32_t colour = klv::Rgb(uint8_t(60 + x), uint8_t(120 + y), 40) & 0xFFFFFF;
      if (alpha)
        s.Set(x, y, (uint32_t(d < 0.85 ? 255 : d < 1 ? 128 : 0) << 24) | colour);
      else
        s.Set(x, y, d < 1 ? 0xFF000000u | colour : 0xFFFF00FFu);
    }
  return s;
}

// Microseconds per call of draw(i), over enough calls to take about 0.2 s.
template <typename F>
double PerCallMicros(F draw) {
  int n = 1000;
  while (true) {
    const double t0 = NowSeconds();
    for (int i = 0; i < n; ++i) draw(i);
    const double t = NowSeconds() - t0;
    if (t > 0.2 || n > (1 << 24)) return t / n * 1e6;
    n *= 4;
  }
}

}  // namespace

KLV_BENCH("images") {
  const std::string menu = ctx.gameDir + "/Data/MenuImgs.icf";
  const std::string game = ctx.gameDir + "/Data/GameImgs.icf";
  if (std::filesystem::exists(menu) && std::filesystem::exists(game)) {
    // Wall time, and the process's CPU time, which other load on a shared
    // machine does not inflate; medians of 5.
    std::vector<double> wall, cpu;
    for (int run = 0; run < 5; ++run) {
      klv::PictureCollection a, b;
      const double t0 = NowSeconds();
      const std::clock_t c0 = std::clock();
      a.LoadCollection(menu);
      b.LoadCollection(game);
      cpu.push_back(double(std::clock() - c0) * 1000.0 / CLOCKS_PER_SEC);
      wall.push_back((NowSeconds() - t0) * 1000);
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    ctx.Report("icf_load_ms", wall[wall.size() / 2]);
    ctx.Report("icf_load_cpu_ms", cpu[cpu.size() / 2]);
  }

  klv::Surface back(800, 600, 0xFF000000);
  klv::PictureCollection c;
  klv::PictureCollectionItem& keyed = c.Add();
  keyed.SetPicture(FishPicture(false), klv::PictureKind::Dib);
  keyed.TransparentColor = 0xFF00FF;
  keyed.Upload();
  klv::PictureCollectionItem& soft = c.Add();
  soft.SetPicture(FishPicture(true), klv::PictureKind::Png);
  soft.Upload();

  ctx.Report("drawframe_us", PerCallMicros([&](int i) {
               keyed.DrawFrame(&back, (i * 37) % 700, (i * 53) % 540, 0);
             }));
  ctx.Report("drawframe_alpha_us", PerCallMicros([&](int i) {
               soft.DrawFrame(&back, (i * 37) % 700, (i * 53) % 540, 0);
             }));
  ctx.Report("rotateframe_us", PerCallMicros([&](int i) {
               keyed.RotateFrame(&back, 100 + (i * 37) % 600, 100 + (i * 53) % 400, 100, 60, 0, 0.5,
                                 0.5, 64);
             }));
  // The score table's panel: an opaque 700 x 400 picture mixed in at 200.
  klv::PictureCollectionItem& panel = c.Add();
  panel.SetPicture(klv::Surface(700, 400, 0xFF203040), klv::PictureKind::Dib);
  panel.Transparent = false;
  panel.Upload();
  ctx.Report("blend_panel_us", PerCallMicros([&](int) {
               panel.BlendFrame(&back, {50, 90, 750, 490}, 0, 200);
             }));
  ctx.Report("stretch_keyed_700x400_us", PerCallMicros([&](int) {
               keyed.StretchFrame(&back, {50, 90, 750, 490}, 0);
             }));
}
