#include "screens/menu_b.h"

#include "base/depths.h"
#include "engine/picture_collection.h"
#include "engine/sprite_engine.h"

namespace klv {

MenuB::MenuB(const SpriteLink& link, PictureCollection& menuImgs, int x, int y,
             std::string_view picture)
    : ImageSprite(link) {
  Image = &menuImgs.FindByName(picture);
  Width = Image->FrameWidth();
  Height = Image->FrameHeight();
  // Button positions are 16-bit unsigned values.
  X = static_cast<uint16_t>(x);
  Y = static_cast<uint16_t>(y);
  SetDepth(kDepthFront);
}

void MenuB::Render() {
  if (!Lit || !Image || !Engine()) return;
  Image->DrawFrame(Engine()->TargetSurface(), X, Y, 0);
}

}  // namespace klv
