#include "play/catchable.h"

#include "play/kruk.h"
#include "play/play_context.h"
#include "play/round.h"

namespace klv {

namespace {
constexpr int kKeepRight = 820;  // gone once X reaches this
constexpr int kKeepLeftMargin = 20;
}  // namespace

Catchable::Catchable(const SpriteLink& link, PlayContext& ctx, Round& round)
    : ImageSprite(link), ctx_(ctx), round_(round) {}

void Catchable::HitBy(Sprite& other, bool&) {
  auto* hook = dynamic_cast<Kruk*>(&other);
  if (!hook || Hooked || !hook->Catching) return;
  Owner = hook->Owner;
  Take(Value);
  TurnOnHook();
}

void Catchable::Take(int shownPoints) {
  Hooked = true;
  round_.Taken(*this, shownPoints);
}

bool Catchable::LeavesPlay() {
  if (SpawnLevel == round_.LevelNo && round_.WaterShown()) return false;
  MarkDead();
  return true;
}

bool Catchable::LeavesTheScreen() {
  if (X < kKeepRight && X + Width + kKeepLeftMargin > 0) return false;
  round_.Gone(*this);
  MarkDead();
  return true;
}

}  // namespace klv
