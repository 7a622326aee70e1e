#include "play/puzir.h"

#include "engine/picture_collection.h"
#include "engine/random.h"
#include "play/play_context.h"
#include "play/play_tables.h"
#include "play/round.h"

namespace klv {

namespace {
constexpr int kBubbleStartY = 500;
}

Puzir::Puzir(const SpriteLink& link, PlayContext& ctx, const Round& round)
    : ImageSprite(link), ctx_(ctx), round_(round) {
  Image = &ctx_.GameImgs.FindByName(ctx_.Rng.Below(2) == 0 ? "Puzir" : "Puziri");
  Width = Image->FrameWidth();
  Height = Image->FrameHeight();
  FrameCount = Image->FrameTotal();
  X = 20 + ctx_.Rng.Below(760);
  Y = kBubbleStartY;
  SetDepth(kDepthBubble);
  Origin = static_cast<uint16_t>(X);
  Sway = static_cast<uint8_t>(3 + ctx_.Rng.Below(7));
  SwayDir = 1;
  Rise = static_cast<uint8_t>(1 + ctx_.Rng.Below(3));
}

void Puzir::Step(int) {
  if (ctx_.Hold.Held()) return;
  if (!round_.PlayShown()) {
    MarkDead();
    return;
  }
  if (X >= Origin + Sway)
    SwayDir = -1;
  else if (X <= Origin - Sway)
    SwayDir = 1;
  X += SwayDir;
  Y -= Rise;
  if (Y <= kHookTop) MarkDead();
}

}  // namespace klv
