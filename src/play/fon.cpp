#include "play/fon.h"

#include "engine/picture_collection.h"
#include "engine/sprite_engine.h"
#include "play/play_context.h"
#include "play/play_tables.h"
#include "play/round.h"
#include "play/vodorosl.h"

namespace klv {

Fon::Fon(const SpriteLink& link, PlayContext& ctx, Round& round, int sceneNo)
    : ImageSprite(link), round_(round), scene_(sceneNo) {
  Image = &ctx.MenuImgs.ItemAt(sceneNo);
  Width = Image->FrameWidth();
  Height = Image->FrameHeight();
  X = 0;
  Y = 0;
  SetDepth(kDepthBackdrop);
  if (sceneNo >= 1 && sceneNo <= 3) {
    round_.SceneNo = static_cast<uint8_t>(sceneNo);
    for (size_t i = 0; i < Weeds.size(); ++i) {
      const WeedPlace& w = kSceneWeeds[sceneNo][i];
      Weeds[i] = ctx.Engine.Create<Vodorosl>(ctx, w.X, w.Y, w.Picture);
    }
  }
}

void Fon::DeadAll() {
  for (Vodorosl*& weed : Weeds) {
    if (weed) weed->MarkDead();
    weed = nullptr;
  }
  MarkDead();
  if (round_.Backdrop == this) round_.Backdrop = nullptr;
}

}  // namespace klv
