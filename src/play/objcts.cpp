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
constexpr int kMaxBottomObjects = 3;  // no new treasure once more than this lie there
constexpr int kBottomObjectSpeed = 2;
}  // namespace

Objcts::Objcts(const SpriteLink& link, PlayContext& ctx, Round& round)
    : Catchable(link, ctx, round) {
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
    round.LaidOnTheBottom();
  }
}

void Objcts::FollowHook(const Kruk& hook) {
  FramePos = kHookedObjectFrame;
  X = hook.X - Width / 2 + 3;
  if (hook.Y - 10 + Height < kSinkLimit) Y = hook.Y - 10;
}

Catch Objcts::AsCatch() const {
  return Catch{Value, double(TimeEffect), SpawnLevel, 0, Kind == kBottomObjectKind};
}

void Objcts::Step(int moveCount) {
  if (LeavesPlay()) return;
  if (ctx_.Hold.Held()) return;
  if (Hooked) {
    round_.Reel(*this);
    return;
  }
  if (LeavesTheScreen()) return;
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
