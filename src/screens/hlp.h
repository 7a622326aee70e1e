#pragma once
// The picture of the help page being shown ("Hlp1", "Hlp2", ...).

#include "engine/image_sprite.h"

namespace klv {

class PictureCollection;

class Hlp : public ImageSprite {
 public:
  // At (34, 174). A page without a picture (a page count in Config.cfg larger
  // than the pictures shipped) shows the bare panel instead of failing.
  Hlp(const SpriteLink& link, PictureCollection& menuImgs, int page);
};

}  // namespace klv
