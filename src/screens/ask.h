#pragma once
// The frame behind the yes/no questions and the name entry.

#include <string_view>

#include "engine/image_sprite.h"

namespace klv {

class PictureCollection;

class Ask : public ImageSprite {
 public:
  // At (220, 120) behind a yes/no question, else at (200, 187), where the
  // name entry and "КОНЕЦ ИГРЫ" are.
  Ask(const SpriteLink& link, PictureCollection& menuImgs, std::string_view picture, bool question);
};

}  // namespace klv
