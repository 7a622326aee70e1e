#include "screens/hlp.h"

#include <string>

#include "base/depths.h"
#include "engine/picture_collection.h"

namespace klv {

Hlp::Hlp(const SpriteLink& link, PictureCollection& menuImgs, int page) : ImageSprite(link) {
  X = 34;
  Y = 174;
  SetDepth(kDepthFront);
  Image = menuImgs.TryFindByName("Hlp" + std::to_string(page));
  if (Image) {
    Width = Image->FrameWidth();
    Height = Image->FrameHeight();
  }
}

}  // namespace klv
