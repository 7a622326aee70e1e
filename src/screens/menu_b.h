#pragma once
// The lit image of a screen button. The unlit button is part of the backdrop
// or panel below it; lighting the sprite shows the highlighted version on top.

#include <string_view>

#include "engine/image_sprite.h"

namespace klv {

class PictureCollection;

class MenuB : public ImageSprite {
 public:
  // Picture by name from MenuImgs; the box takes the picture's frame size.
  MenuB(const SpriteLink& link, PictureCollection& menuImgs, int x, int y,
        std::string_view picture);

  bool Lit = false;

  // Frame 0 at (X, Y), only while lit.
  void Render() override;
};

}  // namespace klv
