#pragma once
// The wave strip on the water surface, sliding between x -1 and x -100.

#include <cstdint>

#include "engine/image_sprite.h"

namespace klv {

struct PlayContext;

class Volna : public ImageSprite {
 public:
  Volna(const SpriteLink& link, PlayContext& ctx);

  int8_t WaveDir = -1;

  void Step(int moveCount) override;

 private:
  PlayContext& ctx_;
};

}  // namespace klv
