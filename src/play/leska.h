#pragma once
// The fishing line, stretched from below the float down to the hook.

#include "engine/image_sprite.h"

namespace klv {

struct PlayContext;

class Leska : public ImageSprite {
 public:
  Leska(const SpriteLink& link, PlayContext& ctx, double x);

  int BottomY = 0;  // the y of the line's lower end: the hook's Y

  void Render() override;
};

}  // namespace klv
