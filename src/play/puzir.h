#pragma once
// A bubble (or a cluster of them) rising from the bottom with a sideways sway.

#include <cstdint>

#include "engine/image_sprite.h"

namespace klv {

class Round;
struct PlayContext;

class Puzir : public ImageSprite {
 public:
  // It leaves once play is no longer on screen (as the round sees it).
  Puzir(const SpriteLink& link, PlayContext& ctx, const Round& round);

  uint16_t Origin = 0;  // the x the sway is centred on
  uint8_t Sway = 0;     // 3..9 pixels each way
  int8_t SwayDir = 1;
  uint8_t Rise = 0;  // 1..3 pixels per frame

  void Step(int moveCount) override;

 private:
  PlayContext& ctx_;
  const Round& round_;
};

}  // namespace klv
