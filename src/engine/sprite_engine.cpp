#include "engine/sprite_engine.h"

#include "engine/surface.h"

namespace klv {

SpriteEngine::SpriteEngine() = default;

SpriteEngine::~SpriteEngine() {
  // The sprites leave before DyingList does: each takes itself off it.
  DestroyChildren();
}

void SpriteEngine::FlushDead() {
  // Called from inside a pass, it waits for the next flush: nothing is freed
  // while a list is being walked.
  if (passes_ > 0) return;
  // A sprite's destructor takes it (and any dying descendants) off the list.
  while (!DyingList.empty()) delete DyingList.back();
}

void SpriteEngine::SetTarget(Surface* surface) {
  target_ = surface;
  if (surface) {
    TargetRect = Rect::Bounds(0, 0, surface->Width(), surface->Height());
    Width = surface->Width();
    Height = surface->Height();
  } else {
    TargetRect = Rect{};
  }
}

}  // namespace klv
