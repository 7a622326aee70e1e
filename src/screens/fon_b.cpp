#include "screens/fon_b.h"

#include "base/depths.h"
#include "engine/cp1251.h"
#include "engine/picture_collection.h"

namespace klv {

FonB::FonB(const SpriteLink& link, PictureCollection& menuImgs, std::string_view picture)
    : ImageSprite(link) {
  Image = &menuImgs.FindByName(picture);
  Width = Image->FrameWidth();
  Height = Image->FrameHeight();
  X = SameNoCase(picture, "FonHelp") ? 32 : 33;
  Y = SameNoCase(picture, "FonHScr") || SameNoCase(picture, "FonMP") ||
              SameNoCase(picture, "FonMP2")
          ? 129
          : 128;
  SetDepth(kDepthPanel);
}

}  // namespace klv
