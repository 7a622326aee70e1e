#include "play/fish.h"

#include <algorithm>
#include <string>

#include "engine/angle_table.h"
#include "engine/picture_collection.h"
#include "engine/random.h"
#include "engine/sprite_engine.h"
#include "play/kruk.h"
#include "play/play_context.h"
#include "play/play_math.h"
#include "play/play_tables.h"
#include "play/player.h"
#include "play/round.h"

namespace klv {

namespace {

constexpr int kEnterRightX = 805;

std::string FishPicture(int kind, char letter) {
  return "Fish" + std::to_string(kind) + letter;
}

}  // namespace

Fish::Fish(const SpriteLink& link, PlayContext& ctx, Round& round) : Catchable(link, ctx, round) {
  Random& rng = ctx_.Rng;

  const int kind = round.DrawFishKind();
  Kind = static_cast<FishKind>(kind);

  FacesLeft = true;
  PictureCollectionItem& right = ctx_.GameImgs.FindByName(FishPicture(kind, 'R'));
  int speed = 3 + rng.Below(7);
  char letter = 'R';
  if (rng.Below(2) == 0) {
    FacesLeft = false;
    letter = 'L';
    X = -right.FrameWidth() - 5;
  } else {
    X = kEnterRightX;
    speed = -speed;
  }
  Speed = static_cast<int8_t>(speed);
  Y = kWaterTop + rng.Below(300 - right.FrameHeight());

  Image = &ctx_.GameImgs.FindByName(FishPicture(kind, letter));
  Width = Image->FrameWidth();
  Height = Image->FrameHeight();
  FrameCount = Image->FrameTotal();
  FramePos = 0;
  FrameSpeed = 0;
  TimeBonus = kFishTimeBonus;
  Value = kFishKinds[kind].Value;
  RestFrames = kFishKinds[kind].RestFrames;
  SpawnLevel = round.LevelNo;
  SetDepth(kDepthFish);
  if (Kind == kBottomFishKind) Y = kBottomFishY;
}

bool Fish::InPenaltyZone(int hx, int hy) const {
  const Rect z = SpinyStingZone(X, Y, Width, Height, FacesLeft);
  return z.Left <= hx && hx < z.Right && z.Top <= hy && hy < z.Bottom;
}

void Fish::TurnOnHook() {
  int turn = Kind == kFlatFishKind ? ctx_.Rng.Below(10) : 60 + ctx_.Rng.Below(10);
  Angle = static_cast<uint8_t>(-turn);
}

void Fish::Step(int moveCount) {
  if (LeavesPlay()) return;
  if (ctx_.Hold.Held()) return;
  if (Hooked) return;
  if (LeavesTheScreen()) return;
  if (Speed != 0) X += 20 / Speed;

  Player* angler = round_.Angler(Owner);
  if (angler && angler->Hook && angler->Hook->Catching) {
    if (Kind == kSpinyFishKind) {
      if (InPenaltyZone(angler->Hook->X + kHookPointX, angler->Hook->Y)) {
        Take(-kStingPenalty);
        Stung = true;
        Angle = static_cast<uint8_t>(60 + ctx_.Rng.Below(10));
      } else {
        CheckHits();
        Stung = false;
      }
    } else {
      CheckHits();
    }
  }
  if (Hooked) return;

  // Swim cycle: RestFrames + 1 ticks on frame 0, then one tick per frame.
  const int period = SwimPeriod(Speed);
  if (period > 0 && moveCount % period == 0) {
    if (FramePos < FrameCount - 1) {
      if (RestCount == RestFrames) {
        ++FramePos;
      } else {
        FramePos = 0;
        ++RestCount;
      }
    } else {
      FramePos = 0;
      RestCount = 0;
    }
  }
}

void Fish::FollowHook(const Kruk& hook) {
  X = hook.X;
  if (Kind == kFlatFishKind) {
    if (hook.Y + Height - 10 < kSinkLimit) Y = hook.Y - 30;
  } else {
    if (hook.Y + Width - 10 < kSinkLimit) Y = hook.Y;
  }
}

Catch Fish::AsCatch() const {
  return Catch{Stung ? -kStingPenalty : Value, TimeBonus, SpawnLevel, static_cast<uint8_t>(Kind),
               false};
}

void Fish::Render() {
  if (!Image || !Engine()) return;
  Surface* target = Engine()->TargetSurface();
  if (!Hooked) {
    Image->DrawFrame(target, X, Y, FramePos);
    return;
  }
  const int a = Angle;
  int turn = static_cast<int8_t>(Angle);
  if (FacesLeft) turn = -turn;
  Image->RotateFrame(target, RoundHalfEven(X + Cos256(a)),
                     RoundHalfEven(Sin256(a) + Y + Height / 2), Image->FrameWidth(),
                     Image->FrameHeight(), 0, 0.5, 0.5, turn);
}

}  // namespace klv
