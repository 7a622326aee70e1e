#pragma once
// The root of the sprite tree. The game owns one as SpriteEngine1 and makes
// every sprite with it as parent (see sprite.h). Each drawn frame the game
// calls Move(FrameCounter), FlushDead() and Draw(), in that order, so a sprite
// marked dead during the move pass is gone before the draw pass.

#include <vector>

#include "engine/rect.h"
#include "engine/sprite.h"

namespace klv {

class Surface;

class SpriteEngine : public Sprite {
 public:
  SpriteEngine();
  ~SpriteEngine() override;

  // State of the current (or last) hit test, see Sprite::CheckHits.
  int HitCount = 0;
  bool HitsDone = false;  // stops the descent into the children of the sprite hit
  Rect HitRect;           // the testing sprite's bounds, taken once per test
  Sprite* HitTester = nullptr;

  // Sprites marked dead and not yet destroyed, in marking order.
  std::vector<Sprite*> DyingList;
  // Destroys every sprite on DyingList, the last marked first. Called from
  // inside a pass (Move, Draw, CheckHits) it does nothing: the sprites wait
  // for the next flush.
  void FlushDead();

  // The back buffer image sprites render onto, or none before the drawing
  // surface exists (then nothing is rendered). Setting a surface also sets
  // TargetRect and the root's Width and Height to its size.
  void SetTarget(Surface* surface);
  Surface* TargetSurface() const { return target_; }
  Rect TargetRect;

 private:
  Surface* target_ = nullptr;
};

}  // namespace klv
