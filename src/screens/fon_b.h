#pragma once
// The panel behind a sub-screen (options, high scores, help), drawn over the
// menu backdrop and under the screen's buttons.

#include <string_view>

#include "engine/image_sprite.h"

namespace klv {

class PictureCollection;

class FonB : public ImageSprite {
 public:
  // Picture by name from MenuImgs, at (33, 128); "FonHelp" sits one pixel
  // further left, "FonHScr", "FonMP" and "FonMP2" one pixel lower.
  FonB(const SpriteLink& link, PictureCollection& menuImgs, std::string_view picture);
};

}  // namespace klv
