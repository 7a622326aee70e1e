#pragma once
// The wave strip on the water surface, sliding between x -1 and x -100.

#include <cstdint>

#include "engine/image_sprite.h"

namespace klv {

class Game;

class Volna : public ImageSprite {
 public:
  Volna(const SpriteLink& link, Game& game);

  int8_t WaveDir = -1;

  void Step(int moveCount) override;

 private:
  Game& game_;
};

}  // namespace klv
