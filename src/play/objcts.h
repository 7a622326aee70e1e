#pragma once
// A catchable thing that is not a fish: junk, finds that give points or time,
// and the treasure on the bottom. Objects never count towards the quota.

#include <cstdint>

#include "engine/image_sprite.h"
#include "play/play_tables.h"

namespace klv {

class Round;
struct PlayContext;

class Objcts : public ImageSprite {
 public:
  // Draws its kind, side, speed and depth from the game's generator.
  Objcts(const SpriteLink& link, PlayContext& ctx, Round& round);

  int8_t Speed = 0;  // the x step per frame is 25 / Speed
  bool Hooked = false;
  int TimeEffect = 0;  // whole seconds added to the clock when landed
  int Value = 0;       // points when landed
  uint16_t SpawnLevel = 0;
  ObjectKind Kind{};
  uint8_t Owner = 0;

  void HitBy(Sprite& other, bool& stop) override;
  void Step(int moveCount) override;

 private:
  PlayContext& ctx_;
  Round& round_;
};

}  // namespace klv
