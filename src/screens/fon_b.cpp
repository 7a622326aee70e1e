#include "screens/fon_b.h"

#include "app/game.h"
#include "base/depths.h"
#include "engine/cp1251.h"
#include "engine/picture_collection.h"

namespace klv {

FonB::FonB(const SpriteLink& link, Game& game, std::string_view picture) : ImageSprite(link) {
  Image = &game.MenuImgs.FindByName(picture);
  Width = Image->FrameWidth();
  Height = Image->FrameHeight();
  X = SameNoCase(picture, "FonHelp") ? 32 : 33;
  Y = SameNoCase(picture, "FonHScr") || SameNoCase(picture, "FonMP") ||
              SameNoCase(picture, "FonMP2")
          ? 129
          : 128;
  SetDepth(kDepthPanel);
}

}  // namespace klv
