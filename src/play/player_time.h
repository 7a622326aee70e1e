#pragma once
// The fill of the time bar: stretched to the share of the level's time that
// is left, flashing once 30 % or less is left.

#include "engine/image_sprite.h"

namespace klv {

struct PlayContext;
class Round;

class PlayerTime : public ImageSprite {
 public:
  PlayerTime(const SpriteLink& link, PlayContext& ctx, const Round& round);

  bool Blink = false;  // the alarm frame's half of the flash

  // The frame and the right edge the fill is drawn with now.
  int FillFrame() const;
  int FillRight() const;

  // The flash's half changes every 16 frames, on the frame counter.
  void Step(int moveCount) override;
  void Render() override;

 private:
  double Share() const;
  const Round& round_;
};

}  // namespace klv
