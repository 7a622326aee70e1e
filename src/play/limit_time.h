#pragma once
// The time bar's frame along the bottom of the play screen; owns its fill.

#include "engine/image_sprite.h"

namespace klv {

struct PlayContext;
class Round;
class PlayerTime;

class LimitTime : public ImageSprite {
 public:
  LimitTime(const SpriteLink& link, PlayContext& ctx, Round& round);

  PlayerTime* Fill = nullptr;

  // Marks the fill and the frame dead; the round forgets it.
  void DeadAll();

 private:
  Round& round_;
};

}  // namespace klv
