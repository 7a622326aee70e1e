#include "play/leska.h"

#include "engine/picture_collection.h"
#include "engine/sprite_engine.h"
#include "play/play_context.h"
#include "play/play_math.h"
#include "play/play_tables.h"

namespace klv {

namespace {
constexpr int kLineTop = 223;
}

Leska::Leska(const SpriteLink& link, PlayContext& ctx, double x) : ImageSprite(link) {
  Image = &ctx.GameImgs.FindByName("Leska");
  Width = Image->FrameWidth();
  Height = 1;
  X = RoundHalfEven(x);
  Y = kLineTop;
  BottomY = kHookTop;
  SetDepth(kDepthLine);
}

void Leska::Render() {
  if (!Image || !Engine()) return;
  Image->StretchFrame(Engine()->TargetSurface(), Rect{X, Y, X + Width, BottomY}, 0);
}

}  // namespace klv
