#pragma once
// The frame behind the yes/no questions and the name entry.

#include <string_view>

#include "engine/image_sprite.h"

namespace klv {

class Game;

class Ask : public ImageSprite {
 public:
  static constexpr int kDepth = 5;
  // At (220, 120) when the game is asking a question ("Exit?", "ExitGame?")
  // at the moment it is made, else at (200, 187), where the name entry is.
  Ask(const SpriteLink& link, Game& game, std::string_view picture);
};

}  // namespace klv
