#pragma once
// What fish and objects share as things the hook can take: who hooked it,
// what it is worth, the level it came with, the hit reaction and the way it
// leaves play. Each reports to the round (taken, gone off the screen) and
// the round decides what that does to its counts, the rising points and the
// score; the round alone reels a hooked one in and lands it.

#include <cstdint>

#include "engine/image_sprite.h"
#include "play/catch.h"

namespace klv {

class Kruk;
class Round;
struct PlayContext;

class Catchable : public ImageSprite {
 public:
  Catchable(const SpriteLink& link, PlayContext& ctx, Round& round);

  uint8_t Owner = 0;  // slot of the angler who hooked it (0 from creation)
  bool Hooked = false;
  int Value = 0;  // points when landed (junk costs points)
  uint16_t SpawnLevel = 0;

  // Hooked: hangs from the hook, sinking no lower than the sink limit.
  virtual void FollowHook(const Kruk& hook) = 0;
  // What landing it is worth.
  virtual Catch AsCatch() const = 0;

  // Only a rising hook takes it, and only once.
  void HitBy(Sprite& other, bool& stop) override;

 protected:
  // Marks it dead when the level it came with is over or the water is no
  // longer shown. Returns whether it left.
  bool LeavesPlay();
  // Marks it dead, uncaught, once it has crossed either edge of the screen
  // (820 on the right, 20 beyond its width on the left). Returns whether it
  // left.
  bool LeavesTheScreen();
  // Taken: it hangs on the hook from now on, and the rising points count
  // `shownPoints`.
  void Take(int shownPoints);
  // How it hangs once a hook has taken it by the hit test.
  virtual void TurnOnHook() {}

  PlayContext& ctx_;
  Round& round_;
};

}  // namespace klv
