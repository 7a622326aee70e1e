#include "play/kruk.h"

#include "app/game.h"
#include "play/play_math.h"
#include "play/play_tables.h"

namespace klv {

Kruk::Kruk(const SpriteLink& link, Game& game, double x) : ImageSprite(link), game_(game) {
  Image = &game_.GameImgs.FindByName("Kruk");
  Width = Image->FrameWidth();
  Height = Image->FrameHeight();
  X = RoundHalfEven(x);
  Y = kHookTop;
  SetDepth(kDepthLine);
}

}  // namespace klv
