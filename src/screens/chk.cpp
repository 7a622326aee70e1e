#include "screens/chk.h"

#include "base/depths.h"
#include "engine/picture_collection.h"
#include "engine/sprite_engine.h"
#include "settings/config.h"

namespace klv {

Chk::Chk(const SpriteLink& link, PictureCollection& menuImgs, const Config& cfg)
    : ImageSprite(link), cfg_(cfg) {
  Image = &menuImgs.FindByName("Chk");
  Width = Image->FrameWidth();
  Height = Image->FrameHeight();
  X = 376;
  Y = 365;
  SetDepth(kDepthCheckBox);
}

void Chk::Render() {
  if (!Shown || !Image || !Engine()) return;
  Image->DrawFrame(Engine()->TargetSurface(), X, Y, cfg_.SendScores ? 1 : 0);
}

}  // namespace klv
