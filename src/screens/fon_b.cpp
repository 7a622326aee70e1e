#include "screens/fon_b.h"

#include "app/game.h"
#include "engine/picture_collection.h"

namespace klv {

namespace {
bool Is(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i] >= 'A' && a[i] <= 'Z' ? a[i] - 'A' + 'a' : a[i];
    char y = b[i] >= 'A' && b[i] <= 'Z' ? b[i] - 'A' + 'a' : b[i];
    if (x != y) return false;
  }
  return true;
}
}  // namespace

FonB::FonB(const SpriteLink& link, Game& game, std::string_view picture) : ImageSprite(link) {
  Image = &game.MenuImgs.FindByName(picture);
  Width = Image->FrameWidth();
  Height = Image->FrameHeight();
  X = Is(picture, "FonHelp") ? 32 : 33;
  Y = Is(picture, "FonHScr") || Is(picture, "FonMP") || Is(picture, "FonMP2") ? 129 : 128;
  SetDepth(kDepth);
}

}  // namespace klv
