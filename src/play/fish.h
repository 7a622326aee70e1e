#pragma once
// A fish crossing the water. The rising hook takes it; it then hangs from the
// hook, turned, and is landed once it is drawn above the water line.

#include <cstdint>

#include "play/catchable.h"
#include "play/play_tables.h"

namespace klv {

class Fish : public Catchable {
 public:
  // Draws its kind (from the round's quota), side, speed and depth from the
  // game's generator.
  Fish(const SpriteLink& link, PlayContext& ctx, Round& round);

  uint8_t Angle = 0;       // turn of the hooked fish, 256ths of a turn
  uint8_t RestFrames = 0;  // extra ticks on frame 0 between swim cycles
  uint8_t RestCount = 0;
  int8_t Speed = 0;        // the x step per frame is 20 / Speed
  bool FacesLeft = false;  // came in at the right edge, shows the "R" picture
  double TimeBonus = 0;    // seconds added to the clock when landed
  FishKind Kind{};
  bool Stung = false;  // a spiny fish taken by its body

  // True when the point (hx, hy) lies on the stinging body of a spiny fish.
  bool InPenaltyZone(int hx, int hy) const;

  // The round reels hooked fish in after the move pass, even while play is
  // held, so a fish shows where it was lifted.
  void FollowHook(const Kruk& hook) override;
  // Its points (a stung fish costs points), its half second, its kind for
  // the quota.
  Catch AsCatch() const override;

  // Swimming, or hooked and turned; drawing changes nothing.
  void Render() override;
  void Step(int moveCount) override;

 protected:
  void TurnOnHook() override;
};

}  // namespace klv
