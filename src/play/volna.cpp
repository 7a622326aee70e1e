#include "play/volna.h"

#include "engine/picture_collection.h"
#include "play/play_context.h"
#include "play/play_tables.h"

namespace klv {

namespace {
constexpr int kWaveRight = -1;
constexpr int kWaveLeft = -100;
constexpr int kWaveY = 183;
}  // namespace

Volna::Volna(const SpriteLink& link, PlayContext& ctx) : ImageSprite(link), ctx_(ctx) {
  Image = &ctx_.GameImgs.FindByName("Volna");
  Width = Image->FrameWidth();
  Height = Image->FrameHeight();
  FrameCount = Image->FrameTotal();
  LoopFrames = false;
  FrameSpeed = 0;
  X = kWaveRight;
  Y = kWaveY;
  SetDepth(kDepthFront);
}

void Volna::Step(int) {
  if (ctx_.Hold.Held()) return;
  if (X == kWaveRight) WaveDir = -1;
  if (X == kWaveLeft) WaveDir = 1;
  X += WaveDir;
}

}  // namespace klv
