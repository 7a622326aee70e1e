#pragma once
// The time bar's frame along the bottom of the play screen; owns its fill.

#include "engine/image_sprite.h"

namespace klv {

class Game;
class PlayerTime;

class LimitTime : public ImageSprite {
 public:
  LimitTime(const SpriteLink& link, Game& game);

  PlayerTime* Fill = nullptr;

  // Marks the fill and the frame dead; the round forgets it.
  void DeadAll();

 private:
  Game& game_;
};

}  // namespace klv
