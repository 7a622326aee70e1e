#pragma once
// A fish crossing the water. The rising hook takes it; it then hangs from the
// hook, turned, and is landed once it is drawn above the water line.

#include <cstdint>

#include "engine/image_sprite.h"
#include "play/catch.h"
#include "play/play_tables.h"

namespace klv {

class Kruk;
class Round;
struct PlayContext;

class Fish : public ImageSprite {
 public:
  // Draws its kind, side, speed and depth from the game's generator.
  Fish(const SpriteLink& link, PlayContext& ctx, Round& round);

  uint8_t Owner = 0;       // slot of the angler who hooked it
  uint8_t Angle = 0;       // turn of the hooked fish, 256ths of a turn
  uint8_t RestFrames = 0;  // extra ticks on frame 0 between swim cycles
  uint8_t RestCount = 0;
  int8_t Speed = 0;  // the x step per frame is 20 / Speed
  bool Hooked = false;
  bool FacesLeft = false;  // came in at the right edge, shows the "R" picture
  uint8_t Value = 0;
  double TimeBonus = 0;  // seconds added to the clock when landed
  FishKind Kind{};
  bool Stung = false;  // a spiny fish taken by its body
  uint16_t SpawnLevel = 0;

  // True when the point (hx, hy) lies on the stinging body of a spiny fish.
  bool InPenaltyZone(int hx, int hy) const;

  // Hooked: hangs from the hook, sinking no lower than the sink limit. The
  // round moves hooked fish so after the move pass, and lands them.
  void FollowHook(const Kruk& hook);
  // What landing it is worth: its points (a stung fish costs points), its
  // half second, its kind for the quota.
  Catch AsCatch() const;

  void HitBy(Sprite& other, bool& stop) override;
  // Swimming, or hooked and turned; drawing changes nothing.
  void Render() override;
  void Step(int moveCount) override;

 private:
  PlayContext& ctx_;
  Round& round_;
};

}  // namespace klv
