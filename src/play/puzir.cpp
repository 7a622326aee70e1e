#include "play/puzir.h"

#include "app/game.h"
#include "engine/picture_collection.h"
#include "play/play_tables.h"

namespace klv {

namespace {
constexpr int kBubbleStartY = 500;
}

Puzir::Puzir(const SpriteLink& link, Game& game) : ImageSprite(link), game_(game) {
  Image = &game_.GameImgs.FindByName(game_.Rng.Below(2) == 0 ? "Puzir" : "Puziri");
  Width = Image->FrameWidth();
  Height = Image->FrameHeight();
  FrameCount = Image->FrameTotal();
  X = 20 + game_.Rng.Below(760);
  Y = kBubbleStartY;
  SetDepth(kDepthBubble);
  Origin = static_cast<uint16_t>(X);
  Sway = static_cast<uint8_t>(3 + game_.Rng.Below(7));
  SwayDir = 1;
  Rise = static_cast<uint8_t>(1 + game_.Rng.Below(3));
}

void Puzir::Step(int) {
  if (game_.Held()) return;
  if (game_.GameState != Screen::Game) {
    MarkDead();
    return;
  }
  if (X >= Origin + Sway)
    SwayDir = -1;
  else if (X <= Origin - Sway)
    SwayDir = 1;
  X += SwayDir;
  Y -= Rise;
  if (Y <= kHookTop) MarkDead();
}

}  // namespace klv
