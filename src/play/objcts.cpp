#include "play/objcts.h"

#include <string>

#include "engine/picture_collection.h"
#include "engine/random.h"
#include "play/kruk.h"
#include "play/play_context.h"
#include "play/play_math.h"
#include "play/play_tables.h"
#include "play/player.h"
#include "play/round.h"

namespace klv {

namespace {
constexpr int kEnterRightX = 805;
constexpr int kKeepRight = 820;
constexpr int kKeepLeftMargin = 20;
constexpr int kMaxBottomObjects = 3;  // no new treasure once more than this lie there
constexpr int kBottomObjectSpeed = 2;
}  // namespace

Objcts::Objcts(const SpriteLink& link, PlayContext& ctx, Round& round)
    : ImageSprite(link), ctx_(ctx), round_(round) {
  Random& rng = ctx_.Rng;

  int kind = round.BottomObjectCount <= kMaxBottomObjects ? 1 + rng.Below(5) : 1 + rng.Below(4);
  Kind = static_cast<ObjectKind>(kind);
  Image = &ctx_.GameImgs.FindByName("Obj" + std::to_string(kind));
  Width = Image->FrameWidth();
  Height = Image->FrameHeight();
  FrameCount = Image->FrameTotal();
  SetDepth(kDepthObject);
  SpawnLevel = round.LevelNo;
  Value = kObjectKinds[kind].Value;
  TimeEffect = kObjectKinds[kind].TimeSign * (round.TimeLimit / 10);

  int speed = 3 + rng.Below(7);
  if (rng.Below(2) == 0) {
    X = -Width - 5;
  } else {
    X = kEnterRightX;
    speed = -speed;
  }
  Speed = static_cast<int8_t>(speed);
  Y = kWaterTop + rng.Below(300 - Height);

  if (Kind == kBottomObjectKind) {
    X = 50 + rng.Below(600);
    Y = kBottomObjectY;
    LoopFrames = false;
    Speed = kBottomObjectSpeed;
    ++round.BottomObjectCount;
  }
}

void Objcts::HitBy(Sprite& other, bool&) {
  auto* hook = dynamic_cast<Kruk*>(&other);
  if (!hook || Hooked || !hook->Catching) return;
  if (Player* angler = round_.Angler(hook->Owner)) angler->HasCatch = true;
  Hooked = true;
  round_.ScorePopupValue += Value;
  Owner = hook->Owner;
}

void Objcts::Step(int moveCount) {
  if (SpawnLevel != round_.LevelNo ||
      (ctx_.OnScreen != Screen::Game && ctx_.OnScreen != Screen::ExitGameQuestion)) {
    MarkDead();
    return;
  }
  if (ctx_.Hold.Held()) return;

  if (Hooked) {
    Player* owner = round_.Angler(Owner);
    if (!owner || !owner->Hook) return;
    const Kruk& hook = *owner->Hook;
    FramePos = kHookedObjectFrame;
    X = hook.X - Width / 2 + 3;
    if (hook.Y - 10 + Height < kSinkLimit) Y = hook.Y - 10;
    if (Y < kLandingLine) {
      round_.Land(Catch{Value, double(TimeEffect), SpawnLevel, 0, Kind == kBottomObjectKind},
                  *owner);
      MarkDead();
    }
    return;
  }

  if (X >= kKeepRight || X + Width + kKeepLeftMargin <= 0) {
    CountDown(round_.ObjectCount);
    MarkDead();
    return;
  }
  if (Kind != kBottomObjectKind && Speed != 0) X += 25 / Speed;
  CheckHits();
  if (Hooked) return;

  const int period = SwimPeriod(Speed);
  if (period > 0 && moveCount % period == 0) {
    if (FramePos < FrameCount - 1)
      ++FramePos;
    else if (Kind != kBottomObjectKind)
      FramePos = 0;
  }
}

}  // namespace klv
