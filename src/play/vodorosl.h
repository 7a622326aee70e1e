#pragma once
// A seaweed swaying through its frames at its own pace.

#include <cstdint>

#include "engine/image_sprite.h"

namespace klv {

struct PlayContext;

class Vodorosl : public ImageSprite {
 public:
  Vodorosl(const SpriteLink& link, PlayContext& ctx, int x, int y, const char* picture);

  uint8_t AnimDelay = 0;  // frames between sway steps, 10..14

  void Step(int moveCount) override;

 private:
  PlayContext& ctx_;
};

}  // namespace klv
