#pragma once
// The hook: it takes fish and objects only while it is rising.

#include <cstdint>

#include "engine/image_sprite.h"

namespace klv {

struct PlayContext;

class Kruk : public ImageSprite {
 public:
  Kruk(const SpriteLink& link, PlayContext& ctx, double x);

  bool Catching = false;  // true only while the hook rises
  uint8_t Owner = 0;      // the PlayerIndex of the angler whose hook it is
};

}  // namespace klv
