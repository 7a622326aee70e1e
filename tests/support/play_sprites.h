#pragma once
// Play's sprites as the tests set them up and count them, whether a whole
// game or a round alone runs them.

#include <initializer_list>
#include <utility>
#include <vector>

#include "engine/sprite_engine.h"
#include "play/fish.h"
#include "play/kruk.h"
#include "play/play_context.h"
#include "play/quota.h"
#include "play/round.h"

namespace klv::test {

// Live sprites of a class.
template <class T>
int CountOf(SpriteEngine& engine) {
  int n = 0;
  for (int i = 0; i < engine.Count(); ++i)
    n += dynamic_cast<T*>(&engine.ItemAt(i)) != nullptr && !engine.ItemAt(i).Dying();
  return n;
}
template <class T>
std::vector<T*> All(SpriteEngine& engine) {
  std::vector<T*> v;
  for (int i = 0; i < engine.Count(); ++i)
    if (auto* t = dynamic_cast<T*>(&engine.ItemAt(i)); t && !t->Dying()) v.push_back(t);
  return v;
}

// Sets a quota directly; entries are {kind, left}.
inline void SetQuota(Round& r, std::initializer_list<std::pair<int, int>> entries) {
  r.Targets = TargetTable{};
  int i = 0;
  for (auto [kind, left] : entries) r.Targets[++i] = {uint8_t(kind), uint16_t(left)};
  r.TargetCount = uint8_t(i);
  r.TargetsDone = 0;
}

// A fish of a kind, made as the round makes one and then put where the test
// wants it.
inline Fish* MakeFish(PlayContext& ctx, Round& r, int kind, int x, int y, bool facesLeft = false) {
  const TargetTable saved = r.Targets;
  const uint8_t savedCount = r.TargetCount;
  r.Targets = TargetTable{};
  r.Targets[1] = {uint8_t(kind), 1};
  r.TargetCount = 1;
  Fish* f = nullptr;
  // Draw until the fish comes from the wanted side.
  for (int i = 0; i < 64; ++i) {
    f = ctx.Engine.Create<Fish>(ctx, r);
    if (f->FacesLeft == facesLeft) break;
    f->MarkDead();
    ctx.Engine.FlushDead();
  }
  r.Targets = saved;
  r.TargetCount = savedCount;
  f->X = x;
  f->Y = y;
  return f;
}

// Hangs a sprite on the hook the way a rising hook takes it.
template <class T>
void HitWithHook(T& catchable, Kruk& hook) {
  hook.Catching = true;
  bool stop = false;
  catchable.HitBy(hook, stop);
  hook.Catching = false;
}

}  // namespace klv::test
