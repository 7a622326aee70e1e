#include "play/limit_time.h"

#include "engine/picture_collection.h"
#include "engine/sprite_engine.h"
#include "play/play_context.h"
#include "play/play_tables.h"
#include "play/player_time.h"
#include "play/round.h"

namespace klv {

LimitTime::LimitTime(const SpriteLink& link, PlayContext& ctx, Round& round)
    : ImageSprite(link), round_(round) {
  Image = &ctx.GameImgs.FindByName("Time1");
  Width = Image->FrameWidth();
  Height = Image->FrameHeight();
  X = kTimeBarX;
  Y = kTimeBarY;
  SetDepth(kDepthFront);
  Fill = ctx.Engine.Create<PlayerTime>(ctx, round);
}

void LimitTime::DeadAll() {
  if (Fill) Fill->MarkDead();
  Fill = nullptr;
  MarkDead();
  if (round_.TimeBar == this) round_.TimeBar = nullptr;
}

}  // namespace klv
