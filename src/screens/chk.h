#pragma once
// The "send to the world table" check box of the name entry. Made once at
// start-up and kept for the whole run (Screens::SendCheck).

#include "engine/image_sprite.h"

namespace klv {

class PictureCollection;
struct Config;

class Chk : public ImageSprite {
 public:
  // Picture "Chk" (frame 0 empty, frame 1 ticked) at (376, 365), not shown.
  Chk(const SpriteLink& link, PictureCollection& menuImgs, const Config& cfg);

  bool Shown = false;

  // While shown: the ticked frame when scores are sent, else the empty one.
  void Render() override;

 private:
  const Config& cfg_;
};

}  // namespace klv
