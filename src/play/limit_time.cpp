#include "play/limit_time.h"

#include "app/game.h"
#include "engine/picture_collection.h"
#include "engine/sprite_engine.h"
#include "play/play_tables.h"
#include "play/player_time.h"
#include "play/round.h"

namespace klv {

LimitTime::LimitTime(const SpriteLink& link, Game& game) : ImageSprite(link), game_(game) {
  Image = &game_.GameImgs.FindByName("Time1");
  Width = Image->FrameWidth();
  Height = Image->FrameHeight();
  X = kTimeBarX;
  Y = kTimeBarY;
  SetDepth(kDepthFront);
  Fill = game_.SpriteEngine1->Create<PlayerTime>(game_);
}

void LimitTime::DeadAll() {
  if (Fill) Fill->MarkDead();
  Fill = nullptr;
  MarkDead();
  if (game_.Round1->TimeBar == this) game_.Round1->TimeBar = nullptr;
}

}  // namespace klv
