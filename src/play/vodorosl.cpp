#include "play/vodorosl.h"

#include "engine/picture_collection.h"
#include "engine/random.h"
#include "play/play_context.h"
#include "play/play_tables.h"

namespace klv {

Vodorosl::Vodorosl(const SpriteLink& link, PlayContext& ctx, int x, int y, const char* picture)
    : ImageSprite(link), ctx_(ctx) {
  Image = &ctx_.GameImgs.FindByName(picture);
  Width = Image->FrameWidth();
  Height = Image->FrameHeight();
  FrameCount = Image->FrameTotal();
  LoopFrames = true;
  AnimDelay = static_cast<uint8_t>(10 + ctx_.Rng.Below(5));
  X = x;
  Y = y;
  SetDepth(kDepthWeed);
}

void Vodorosl::Step(int moveCount) {
  if (ctx_.Hold.Held()) return;
  if (AnimDelay != 0 && moveCount % AnimDelay != 0) return;
  ++FramePos;
  if (FramePos >= FrameCount) FramePos = 0;
}

}  // namespace klv
