// The sprite engine under load: 200 animated image sprites with per-pixel
// alpha swim across an 800 x 600 back buffer; each frame every sprite moves,
// tests itself against all the others, and the whole tree is drawn.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "bench.h"
#include "engine/image_sprite.h"
#include "engine/picture_collection.h"
#include "engine/sprite_engine.h"
#include "engine/surface.h"

namespace {

constexpr int kSprites = 200;
constexpr int kFrames = 600;
constexpr int kFrameW = 60, kFrameH = 30, kFrameCount = 4;

// Four 60 x 30 frames of a soft-edged oval with a tail that moves per frame.
klv::Surface MakeFishStrip() {
  klv::Surface strip(kFrameW * kFrameCount, kFrameH, 0);
  for (int f = 0; f < kFrameCount; ++f) {
    for (int y = 0; y < kFrameH; ++y) {
      for (int x = 0; x < kFrameW; ++x) {
        const double dx = (x - 26.0) / 24.0, dy = (y - 15.0) / 12.0;
        double d = dx * dx + dy * dy;
        const bool tail = x > 46 && std::abs(y - 15 - (f - 1.5) * 2) < (x - 44) * 0.6;
        if (tail) d = std::min(d, 0.5);
        if (d >= 1.0) continue;
        const auto alpha = static_cast<uint32_t>(std::min(255.0, (1.0 - d) * 1024.0));
        strip.Set(f * kFrameW + x, y, (alpha << 24) | 0x3E8E41u);
      }
    }
  }
  return strip;
}

class BenchFish : public klv::ImageSprite {
 public:
  BenchFish(const klv::SpriteLink& link, klv::PictureCollectionItem& image, uint32_t seed)
      : ImageSprite(link) {
    Image = &image;
    Width = kFrameW;
    Height = kFrameH;
    FrameCount = kFrameCount;
    LoopFrames = true;
    FrameSpeed = 0.25;
    X = static_cast<int>(seed % 860) - 30;
    Y = 230 + static_cast<int>((seed / 860) % 300);
    dx_ = (seed & 1) ? 2 : -3;
  }
  void Step(int moveCount) override {
    ImageSprite::Step(moveCount);
    X += dx_;
    if (X > 800) X = -kFrameW;
    if (X < -kFrameW) X = 800;
    hits += CheckHits();
  }
  void HitBy(Sprite&, bool&) override {}
  static inline int64_t hits = 0;

 private:
  int dx_;
};

}  // namespace

KLV_BENCH("sprites: 200 image sprites moved, hit-tested and drawn") {
  klv::PictureCollectionItem item;
  item.PatternWidth = kFrameW;
  item.PatternHeight = kFrameH;
  item.SetPicture(MakeFishStrip(), klv::PictureKind::Png);
  item.Upload();

  klv::Surface backBuffer(800, 600);
  klv::SpriteEngine engine;
  engine.SetTarget(&backBuffer);
  uint32_t seed = 12345;
  for (int i = 0; i < kSprites; ++i) {
    seed = seed * 1103515245u + 12345u;
    engine.Create<BenchFish>(item, seed >> 8);
  }

  std::vector<double> times;
  times.reserve(kFrames);
  uint8_t frameCounter = 0;
  for (int f = 0; f < kFrames; ++f) {
    const double t0 = klv::bench::NowSeconds();
    backBuffer.Fill(0);
    engine.Move(++frameCounter);
    engine.FlushDead();
    engine.Draw();
    times.push_back((klv::bench::NowSeconds() - t0) * 1e6);
  }
  std::sort(times.begin(), times.end());
  ctx.Report("sprites200_us", times[times.size() / 2]);
  std::printf("  (%.1f hits per frame)\n", double(BenchFish::hits) / kFrames);
}
