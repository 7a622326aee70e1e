#pragma once
// A quota icon: the picture of one fish kind along the top of the screen,
// drawn only while the level asks for that kind.

#include "engine/image_sprite.h"

namespace klv {

struct PlayContext;

class ToDoFish : public ImageSprite {
 public:
  // kind 1..10; its picture is item 20 + kind of the game images.
  ToDoFish(const SpriteLink& link, PlayContext& ctx, int kind);

  bool Shown = false;

  void Render() override;
};

}  // namespace klv
