#include "screens/ask.h"

#include "base/depths.h"
#include "engine/picture_collection.h"

namespace klv {

Ask::Ask(const SpriteLink& link, PictureCollection& menuImgs, std::string_view picture,
         bool question)
    : ImageSprite(link) {
  Image = &menuImgs.FindByName(picture);
  Width = Image->FrameWidth();
  Height = Image->FrameHeight();
  X = question ? 220 : 200;
  Y = question ? 120 : 187;
  SetDepth(kDepthQuestion);
}

}  // namespace klv
