#pragma once
// The rod: frame 0 at rest, 1 winding up empty, 2 winding up with a catch.

#include "engine/image_sprite.h"

namespace klv {

class Game;

class Udochka : public ImageSprite {
 public:
  Udochka(const SpriteLink& link, Game& game, int x);

  void Render() override;

 private:
  Game& game_;
};

}  // namespace klv
