#pragma once
// A catchable thing that is not a fish: junk, finds that give points or time,
// and the treasure on the bottom. Objects never count towards the quota.

#include <cstdint>

#include "play/catchable.h"
#include "play/play_tables.h"

namespace klv {

class Objcts : public Catchable {
 public:
  // Draws its kind, side, speed and depth from the game's generator.
  Objcts(const SpriteLink& link, PlayContext& ctx, Round& round);

  int8_t Speed = 0;    // the x step per frame is 25 / Speed
  int TimeEffect = 0;  // whole seconds added to the clock when landed
  ObjectKind Kind{};

  // Shows its hooked frame at the hook.
  void FollowHook(const Kruk& hook) override;
  // Its points, its seconds (junk may take some), whether it is the treasure
  // from the bottom.
  Catch AsCatch() const override;

  // A hooked object is reeled in by its own step, so it stands still while
  // play is held.
  void Step(int moveCount) override;
};

}  // namespace klv
