#include "screens/chk.h"

#include "app/game.h"
#include "base/depths.h"
#include "engine/picture_collection.h"
#include "engine/sprite_engine.h"
#include "settings/config.h"

namespace klv {

Chk::Chk(const SpriteLink& link, Game& game) : ImageSprite(link), game_(game) {
  Image = &game_.MenuImgs.FindByName("Chk");
  Width = Image->FrameWidth();
  Height = Image->FrameHeight();
  X = 376;
  Y = 365;
  SetDepth(kDepthCheckBox);
}

void Chk::Render() {
  if (!Shown || !Image || !Engine()) return;
  Image->DrawFrame(Engine()->TargetSurface(), X, Y, game_.Cfg->SendScores ? 1 : 0);
}

}  // namespace klv
