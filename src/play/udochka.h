#pragma once
// The rod: frame 0 at rest, 1 winding up empty, 2 winding up with a catch.

#include "engine/image_sprite.h"

namespace klv {

struct PlayContext;

class Udochka : public ImageSprite {
 public:
  Udochka(const SpriteLink& link, PlayContext& ctx, int x);

  void Render() override;
};

}  // namespace klv
