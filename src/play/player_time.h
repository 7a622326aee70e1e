#pragma once
// The fill of the time bar: stretched to the share of the level's time that
// is left, flashing once 30 % or less is left.

#include "engine/image_sprite.h"

namespace klv {

class Game;

class PlayerTime : public ImageSprite {
 public:
  PlayerTime(const SpriteLink& link, Game& game);

  bool Blink = false;  // the alarm frame's half of the flash

  // The frame and the right edge the fill is drawn with now.
  int FillFrame() const;
  int FillRight() const;

  void Render() override;

 private:
  double Share() const;
  Game& game_;
};

}  // namespace klv
