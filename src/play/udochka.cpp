#include "play/udochka.h"

#include "engine/picture_collection.h"
#include "engine/sprite_engine.h"
#include "play/play_context.h"
#include "play/play_tables.h"

namespace klv {

namespace {
constexpr int kRodY = 117;
}

Udochka::Udochka(const SpriteLink& link, PlayContext& ctx, int x) : ImageSprite(link) {
  Image = &ctx.GameImgs.FindByName("Udochka");
  Width = Image->FrameWidth();
  Height = Image->FrameHeight();
  FrameCount = Image->FrameTotal();
  FramePos = 0;
  FrameSpeed = 0;
  X = x;
  Y = kRodY;
  SetDepth(kDepthFront);
}

void Udochka::Render() {
  if (!Image || !Engine()) return;
  Image->DrawFrame(Engine()->TargetSurface(), X, Y, FramePos);
}

}  // namespace klv
