#include "play/player_time.h"

#include <algorithm>

#include "engine/picture_collection.h"
#include "engine/sprite_engine.h"
#include "play/play_context.h"
#include "play/play_math.h"
#include "play/play_tables.h"
#include "play/round.h"

namespace klv {

namespace {
constexpr int kBarLength = 429;  // pixels for the whole time
constexpr double kAlarmPercent = 30;
}  // namespace

PlayerTime::PlayerTime(const SpriteLink& link, PlayContext& ctx, const Round& round)
    : ImageSprite(link), round_(round) {
  Image = &ctx.GameImgs.FindByName("Time2");
  X = kTimeBarX;
  Y = kTimeBarY;
  Width = 1;
  Height = Image->FrameHeight();
  FrameCount = Image->FrameTotal();
  LoopFrames = false;
  FrameSpeed = 0;
  SetDepth(kDepthFish);
}

// The share of the time left, 0..1; the clock at zero draws as one tick.
double PlayerTime::Share() const {
  if (round_.TimeLimit <= 0) return 0;
  double f = std::max(round_.RoundClock, 1) / double(round_.TimeLimit) / 100.0;
  return std::clamp(f, 0.0, 1.0);
}

int PlayerTime::FillFrame() const {
  if (Share() * 100 > kAlarmPercent) return 0;
  return Blink ? 1 : 0;
}

int PlayerTime::FillRight() const {
  return kTimeBarX + RoundHalfEven(Share() * kBarLength);
}

void PlayerTime::Step(int moveCount) {
  if (moveCount % 32 == 0) Blink = false;
  if (moveCount % 32 == 16) Blink = true;
}

void PlayerTime::Render() {
  if (!Image || !Engine() || round_.TimeLimit <= 0) return;
  Image->StretchFrame(Engine()->TargetSurface(),
                      Rect{kTimeBarX, kTimeBarY, FillRight(), kTimeBarY + Height}, FillFrame());
}

}  // namespace klv
