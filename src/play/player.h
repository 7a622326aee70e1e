#pragma once
// The angler on the pier with the rod, float, line and hook. Its step turns
// the player's controls into walking and into lowering and winding the hook.

#include <cstdint>

#include "engine/image_sprite.h"
#include "settings/score.h"

namespace klv {

class Kruk;
class Leska;
class Round;
class Udochka;
struct PlayContext;

class Player : public ImageSprite {
 public:
  // Builds the angler and then its rod, float, line and hook (those hidden).
  Player(const SpriteLink& link, PlayContext& ctx, Round& round);

  Leska* Line = nullptr;
  Udochka* Rod = nullptr;
  ImageSprite* Bobber = nullptr;  // the float
  Kruk* Hook = nullptr;
  bool HasCatch = false;  // the hook took something during this rise
  bool Reeling = false;   // the hook rises by itself; lowering cannot move it
  uint8_t PlayerIndex = 0;
  klv::Score Score;  // what the angler's catches and bonuses brought in

  // Marks the tackle and the angler dead and empties its slot in Players.
  void DeadAll();

  void Step(int moveCount) override;

 private:
  PlayContext& ctx_;
  Round& round_;
};

}  // namespace klv
