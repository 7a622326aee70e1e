#include "play/kruk.h"

#include "engine/picture_collection.h"
#include "play/play_context.h"
#include "play/play_math.h"
#include "play/play_tables.h"

namespace klv {

Kruk::Kruk(const SpriteLink& link, PlayContext& ctx, double x) : ImageSprite(link) {
  Image = &ctx.GameImgs.FindByName("Kruk");
  Width = Image->FrameWidth();
  Height = Image->FrameHeight();
  X = RoundHalfEven(x);
  Y = kHookTop;
  SetDepth(kDepthLine);
}

}  // namespace klv
