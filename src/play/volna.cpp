#include "play/volna.h"

#include "app/game.h"
#include "engine/picture_collection.h"
#include "play/play_tables.h"

namespace klv {

namespace {
constexpr int kWaveRight = -1;
constexpr int kWaveLeft = -100;
constexpr int kWaveY = 183;
}  // namespace

Volna::Volna(const SpriteLink& link, Game& game) : ImageSprite(link), game_(game) {
  Image = &game_.GameImgs.FindByName("Volna");
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
  if (game_.Held()) return;
  if (X == kWaveRight) WaveDir = -1;
  if (X == kWaveLeft) WaveDir = 1;
  X += WaveDir;
}

}  // namespace klv
