#include "play/to_do_fish.h"

#include "engine/picture_collection.h"
#include "engine/sprite_engine.h"
#include "play/play_context.h"
#include "play/play_tables.h"

namespace klv {

ToDoFish::ToDoFish(const SpriteLink& link, PlayContext& ctx, int kind) : ImageSprite(link) {
  Image = &ctx.GameImgs.ItemAt(kTargetIconFirstPicture + kind);
  Width = Image->FrameWidth();
  Height = Image->FrameHeight();
  X = kTargetIconPlaces[kind].X;
  Y = kTargetIconPlaces[kind].Y;
  SetDepth(kDepthFish);
}

void ToDoFish::Render() {
  if (!Shown || !Image || !Engine()) return;
  Image->DrawFrame(Engine()->TargetSurface(), X, Y, 0);
}

}  // namespace klv
