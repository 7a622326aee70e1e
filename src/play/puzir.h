#pragma once
// A bubble (or a cluster of them) rising from the bottom with a sideways sway.

#include <cstdint>

#include "engine/image_sprite.h"

namespace klv {

struct PlayContext;

class Puzir : public ImageSprite {
 public:
  Puzir(const SpriteLink& link, PlayContext& ctx);

  uint16_t Origin = 0;  // the x the sway is centred on
  uint8_t Sway = 0;     // 3..9 pixels each way
  int8_t SwayDir = 1;
  uint8_t Rise = 0;  // 1..3 pixels per frame

  void Step(int moveCount) override;

 private:
  PlayContext& ctx_;
};

}  // namespace klv
