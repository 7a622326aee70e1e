#pragma once
// A full-screen backdrop: scene 0 is the menu backdrop, scenes 1..3 the
// underwater scenes of play, each with its three seaweeds.

#include <array>

#include "engine/image_sprite.h"

namespace klv {

struct PlayContext;
class Round;
class Vodorosl;

class Fon : public ImageSprite {
 public:
  // sceneNo 0..3: the picture of that number in the menu images.
  Fon(const SpriteLink& link, PlayContext& ctx, Round& round, int sceneNo);

  int Scene() const { return scene_; }
  std::array<Vodorosl*, 3> Weeds{};

  // Marks the weeds and the backdrop dead; the round forgets it.
  void DeadAll();

 private:
  Round& round_;
  int scene_;
};

}  // namespace klv
