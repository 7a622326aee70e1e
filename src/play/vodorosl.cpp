#include "play/vodorosl.h"

#include "app/game.h"
#include "engine/picture_collection.h"
#include "play/play_tables.h"

namespace klv {

Vodorosl::Vodorosl(const SpriteLink& link, Game& game, int x, int y, const char* picture)
    : ImageSprite(link), game_(game) {
  Image = &game_.GameImgs.FindByName(picture);
  Width = Image->FrameWidth();
  Height = Image->FrameHeight();
  FrameCount = Image->FrameTotal();
  LoopFrames = true;
  AnimDelay = static_cast<uint8_t>(10 + game_.Rng.Below(5));
  X = x;
  Y = y;
  SetDepth(kDepthWeed);
}

void Vodorosl::Step(int moveCount) {
  if (game_.Held()) return;
  if (AnimDelay != 0 && moveCount % AnimDelay != 0) return;
  ++FramePos;
  if (FramePos >= FrameCount) FramePos = 0;
}

}  // namespace klv
