#pragma once
// A sprite that shows the frames of an image-list item, centred in its box,
// and animates through them. Every sprite class of the game derives from it.

#include "engine/sprite.h"

namespace klv {

class PictureCollectionItem;

class ImageSprite : public Sprite {
 public:
  explicit ImageSprite(const SpriteLink& link);

  // Animation: FramePos counts from FirstFrame. Each step adds
  // FrameSpeed * moveCount rounded to the nearest whole frame (halves to
  // even), so a speed whose product rounds to 0 never advances. A looping
  // animation wraps both ways; a one-shot one stops on its last (or first)
  // frame and sets FrameSpeed to 0.
  int FrameCount = 0;
  bool LoopFrames = false;
  int FramePos = 0;
  double FrameSpeed = 0.0;
  int FirstFrame = 0;

  PictureCollectionItem* Image = nullptr;  // not owned; none draws nothing
  bool PixelExact = false;                 // hits need overlapping drawn pixels, not just boxes
  bool Wrap = false;                       // the box wraps around the target's edges

  int CurrentFrame() const;
  // The box moved so that the current frame sits centred in it.
  Rect DrawRect() const;

  void Step(int moveCount) override;
  void Render() override;
  Rect Bounds() const override;
  bool AcceptsHit(Sprite& other) override;

 private:
  bool PixelsOverlap(const ImageSprite& other) const;
};

}  // namespace klv
