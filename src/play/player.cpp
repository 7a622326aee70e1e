#include "play/player.h"

#include "engine/input_states.h"
#include "engine/picture_collection.h"
#include "engine/sprite_engine.h"
#include "play/kruk.h"
#include "play/leska.h"
#include "play/play_context.h"
#include "play/play_tables.h"
#include "play/round.h"
#include "play/udochka.h"

namespace klv {

namespace {
constexpr int kStartX = 262;
constexpr int kAnglerY = 80;
constexpr int kRodOffsetX = 7;
constexpr int kFloatBelowRod = 54;
constexpr int kWalkLeftLimit = 50;
constexpr int kWalkRightEdge = 770;  // less half the angler's width
constexpr int kWalkStep = 6;
}  // namespace

Player::Player(const SpriteLink& link, PlayContext& ctx, Round& round)
    : ImageSprite(link), ctx_(ctx), round_(round) {
  Image = &ctx_.GameImgs.FindByName("Player");
  Width = Image->FrameWidth();
  Height = Image->FrameHeight();
  X = kStartX;
  Y = kAnglerY;
  SetDepth(kDepthFish);

  SpriteEngine& engine = ctx_.Engine;
  Rod = engine.Create<Udochka>(ctx_, X + kRodOffsetX);
  Bobber = engine.Create<ImageSprite>();
  Bobber->Image = &ctx_.GameImgs.FindByName("Poplavok");
  Bobber->Width = Bobber->Image->FrameWidth();
  Bobber->Height = Bobber->Image->FrameHeight();
  Bobber->X = Rod->X - kRodOffsetX;
  Bobber->Y = Rod->Y + kFloatBelowRod;
  Bobber->SetDepth(kDepthFloat);
  Line = engine.Create<Leska>(ctx_, double(Bobber->X));
  Hook = engine.Create<Kruk>(ctx_, double(Line->X));

  Reeling = false;
  PlayerIndex = 0;
  Hook->Owner = PlayerIndex;
  Rod->Visible = false;
  Bobber->Visible = false;
  Line->Visible = false;
  Hook->Visible = false;
}

void Player::DeadAll() {
  if (Rod) Rod->MarkDead();
  if (Bobber) Bobber->MarkDead();
  if (Line) Line->MarkDead();
  if (Hook) Hook->MarkDead();
  MarkDead();
  if (PlayerIndex < round_.Players.size() && round_.Players[PlayerIndex] == this)
    round_.Players[PlayerIndex] = nullptr;
}

void Player::Step(int) {
  if (round_.MenuShown()) {
    DeadAll();
    return;
  }
  Rod->Visible = Visible;
  Bobber->Visible = Visible;
  Hook->Visible = Visible;
  Line->Visible = Visible;
  if (ctx_.Hold.Held()) return;

  const InputStateSet states = ctx_.Input.States;
  const bool left = states.Contains(StateLeft) || ctx_.Mouse.MouseStepLeft;
  const bool right = states.Contains(StateRight) || ctx_.Mouse.MouseStepRight;
  const bool lower = states.Contains(StateDown) || ctx_.Mouse.MouseLowerHeld;

  if (left && X > kWalkLeftLimit) {
    X -= kWalkStep;
    ctx_.Mouse.MouseStepLeft = false;
  }
  if (right && X < kWalkRightEdge - Width / 2) {
    X += kWalkStep;
    ctx_.Mouse.MouseStepRight = false;
  }
  if (lower) {
    Hook->Catching = false;
    round_.ReelStops();
    if (Hook->Y < kHookLowerLimit && !Reeling) Hook->Y += kHookStep;
  } else if (Hook->Y > kHookTop) {
    Rod->FramePos = HasCatch ? 2 : 1;
    if (!Hook->Catching) round_.ReelStarts();
    Hook->Y -= kHookStep;
    Hook->Catching = true;
    Reeling = true;
    if (Hook->Y <= kHookTop) {
      Rod->FramePos = 0;
      HasCatch = false;
      Reeling = false;
      Hook->Catching = false;
      round_.ReelStops();
    }
  }

  Rod->X = X + kRodOffsetX;
  Bobber->X = X;
  Bobber->Y = Rod->Y + kFloatBelowRod;
  Hook->X = X;
  Line->X = X;
  Line->BottomY = Hook->Y;
}

}  // namespace klv
