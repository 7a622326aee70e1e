#include "play/fon.h"

#include "app/game.h"
#include "engine/picture_collection.h"
#include "engine/sprite_engine.h"
#include "play/play_tables.h"
#include "play/round.h"
#include "play/vodorosl.h"

namespace klv {

Fon::Fon(const SpriteLink& link, Game& game, int sceneNo)
    : ImageSprite(link), game_(game), scene_(sceneNo) {
  Image = &game_.MenuImgs.ItemAt(sceneNo);
  Width = Image->FrameWidth();
  Height = Image->FrameHeight();
  X = 0;
  Y = 0;
  SetDepth(kDepthBackdrop);
  if (sceneNo >= 1 && sceneNo <= 3) {
    game_.Round1->SceneNo = static_cast<uint8_t>(sceneNo);
    for (size_t i = 0; i < Weeds.size(); ++i) {
      const WeedPlace& w = kSceneWeeds[sceneNo][i];
      Weeds[i] = game_.SpriteEngine1->Create<Vodorosl>(game_, w.X, w.Y, w.Picture);
    }
  }
}

void Fon::DeadAll() {
  for (Vodorosl*& weed : Weeds) {
    if (weed) weed->MarkDead();
    weed = nullptr;
  }
  MarkDead();
  if (game_.Round1->Backdrop == this) game_.Round1->Backdrop = nullptr;
}

}  // namespace klv
