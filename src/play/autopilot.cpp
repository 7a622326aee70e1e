#include "play/autopilot.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "engine/sprite_engine.h"
#include "engine/virtual_keys.h"
#include "play/fish.h"
#include "play/kruk.h"
#include "play/objcts.h"
#include "play/play_context.h"
#include "play/play_tables.h"
#include "play/player.h"
#include "play/round.h"

namespace klv {

namespace {

constexpr int kWalk = 6;          // the angler's step
constexpr int kMaxFrozenY = 519;  // the deepest the hook can be held still
constexpr int kLookAhead = 400;   // frames searched for a meeting
constexpr int kFrozenPatience = 600;
constexpr double kDefaultSpeed = 4;

}  // namespace

Autopilot::Autopilot(const PlayContext& ctx, const Round& round, const Screen& onScreen)
    : ctx_(ctx), round_(round), onScreen_(onScreen) {}

void Autopilot::Reset() {
  phase_ = Phase::Top;
  targetId_ = nullptr;
  frozenFrames_ = 0;
  depth_ = 0;
  lastHookY_ = -1;
  seen_.clear();
  last_.clear();
}

void Autopilot::Look() {
  anglerSeen_ = false;
  seen_.clear();
  const bool held = ctx_.Hold.Held();
  const SpriteEngine& engine = ctx_.Engine;
  for (int i = 0; i < engine.Count(); ++i) {
    const Sprite& s = engine.ItemAt(i);
    if (s.Dying()) continue;
    if (auto* p = dynamic_cast<const Player*>(&s)) {
      anglerSeen_ = true;
      anglerX_ = p->X;
      anglerW_ = p->Width;
      continue;
    }
    if (auto* k = dynamic_cast<const Kruk*>(&s)) {
      hook_ = HookView{k->X, k->Y, k->Width, k->Height};
      continue;
    }
    Seen v;
    if (auto* f = dynamic_cast<const Fish*>(&s)) {
      v.IsFish = true;
      v.Fish = f->Kind;
      v.FacesLeft = f->FacesLeft;
      v.Hooked = f->Hooked;  // it hangs from the hook for all to see
    } else if (auto* o = dynamic_cast<const Objcts*>(&s)) {
      v.Object = o->Kind;
      v.Hooked = o->Hooked;
    } else {
      continue;
    }
    v.Id = &s;
    v.X = s.X;
    v.Y = s.Y;
    v.W = s.Width;
    v.H = s.Height;
    // Speed as seen: the step since the last frame, or the last speed seen
    // while play stood still; a thing seen for the first time is assumed to
    // swim in from the side it appeared at.
    auto it = last_.find(&s);
    const bool known = it != last_.end() && it->second.IsFish == v.IsFish &&
                       it->second.Fish == v.Fish && it->second.Object == v.Object &&
                       std::abs(v.X - it->second.X) <= 10;
    if (known) {
      const int dx = v.X - it->second.X;
      v.Vx = (dx != 0 && !held && !v.Hooked) ? dx : it->second.Vx;
    } else if (v.IsFish) {
      v.Vx = v.FacesLeft ? -kDefaultSpeed : kDefaultSpeed;
    } else {
      v.Vx = v.Object == kBottomObjectKind ? 0 : (v.X < 400 ? kDefaultSpeed : -kDefaultSpeed);
    }
    if (!v.IsFish && v.Object == kBottomObjectKind) v.Vx = 0;
    seen_.push_back(v);
  }
  last_.clear();
  for (const Seen& v : seen_) last_[v.Id] = v;
}

const Autopilot::Seen* Autopilot::FindTarget() const {
  for (const Seen& v : seen_)
    if (v.Id == targetId_ && v.IsFish && !v.Hooked && Wanted(v.Fish)) return &v;
  return nullptr;
}

bool Autopilot::Wanted(FishKind kind) const {
  const Round& round = round_;
  for (int i = 1; i <= round.TargetCount && i <= 10; ++i)
    if (round.Targets[i].Kind == static_cast<uint8_t>(kind) && round.Targets[i].Left > 0)
      return true;
  return false;
}

// The hook's still position for a fish: a few pixels below the height at
// which it meets the fish's middle, so the first rising step lands there. A
// spiny fish is met from below, at its belly, which never stings.
int Autopilot::DepthFor(const Seen& fish) const {
  int d = fish.Y + fish.H / 2 - hook_.H / 2 + 3;
  if (fish.Fish == kSpinyFishKind && fish.Y + fish.H + 2 <= kMaxFrozenY) d = fish.Y + fish.H + 2;
  return std::clamp(d, kHookTop + kHookStep, kMaxFrozenY);
}

// Where the hook's column should be to meet the fish `frames` from now: its
// middle, or for the spiny fish the middle of its harmless trailing end.
int Autopilot::AimColumn(const Seen& fish, double frames) const {
  const double x = fish.X + fish.Vx * frames;
  double hx;
  if (fish.Fish == kSpinyFishKind)
    hx = fish.FacesLeft ? x + fish.W - kSpinySafeLength / 2.0 : x + kSpinySafeLength / 2.0;
  else
    hx = x + fish.W / 2.0;
  return static_cast<int>(std::lround(hx - hook_.W / 2.0));
}

// Frames until the hook could meet the fish, or -1 when it cannot.
int Autopilot::FramesToCatch(const Seen& fish) const {
  const int d = DepthFor(fish);
  int ready;
  switch (phase_) {
    case Phase::Top:
    case Phase::Lowering:
      ready = std::max(0, d + kHookStep - hook_.Y) / kHookStep + 2;
      break;
    case Phase::FreezeOnce:
    case Phase::Frozen:
      if (hook_.Y >= d - fish.H / 2) {
        ready = std::max(0, hook_.Y - d) / kHookStep + 1;
        break;
      }
      [[fallthrough]];
    default:
      ready = (hook_.Y - kHookTop) / kHookStep + (d - kHookTop) / kHookStep + 4;
      break;
  }
  const int minX = 51, maxX = 770 - anglerW_ / 2 - 1;
  for (int t = ready; t <= kLookAhead; ++t) {
    const double fx = fish.X + fish.Vx * t;
    if (fx >= 820 || fx + fish.W + 20 <= 0) return -1;  // gone by then
    const int aim = AimColumn(fish, t);
    if (aim < minX || aim > maxX) continue;
    if (std::abs(aim - anglerX_) <= kWalk * t + 3) return t;
  }
  return -1;
}

void Autopilot::ChooseTarget() {
  targetId_ = nullptr;
  int best = -1;
  for (const Seen& v : seen_) {
    if (!v.IsFish || v.Hooked || !Wanted(v.Fish)) continue;
    const int t = FramesToCatch(v);
    if (t < 0) continue;
    if (best < 0 || t < best) {
      best = t;
      targetId_ = v.Id;
    }
  }
}

bool Autopilot::Costly(const Seen& s, int hx, int hy) const {
  if (s.Hooked) return false;
  if (s.IsFish) {
    if (s.Fish != kSpinyFishKind) return false;
    // The stinging body, with two pixels to spare.
    const Rect z = SpinyStingZone(s.X, s.Y, s.W, s.H, s.FacesLeft);
    const int px = hx + kHookPointX;
    return z.Left - 2 <= px && px < z.Right + 2 && z.Top - 2 <= hy && hy < z.Bottom + 2;
  }
  if (kObjectKinds[static_cast<int>(s.Object)].Value >= 0) return false;  // only junk costs
  return hx + hook_.W > s.X - 2 && hx < s.X + s.W + 2 && hy + hook_.H > s.Y - 2 &&
         hy < s.Y + s.H + 2;
}

bool Autopilot::Takes(const Seen& s, int hx, int hy, int margin) const {
  const int vm = std::min(2, s.H / 4);
  return hx + hook_.W > s.X + margin && hx < s.X + s.W - margin && hy + hook_.H > s.Y + vm &&
         hy < s.Y + s.H - vm;
}

bool Autopilot::RiseTakes(const Seen* target, int frames, bool* bad) const {
  *bad = false;
  const int hx = anglerX_;
  for (int k = 1; k <= frames; ++k) {
    const int hy = hook_.Y - kHookStep * k;
    if (hy <= kHookTop) break;  // back at the top: no longer catching
    for (const Seen& s : seen_) {
      Seen at = s;
      at.X = static_cast<int>(std::lround(s.X + s.Vx * k));
      if (Costly(at, hx, hy)) {
        *bad = true;
        return false;
      }
    }
    if (target) {
      Seen at = *target;
      at.X = static_cast<int>(std::lround(target->X + target->Vx * k));
      const int margin = std::clamp(at.W / 5, 2, 10);
      if (Takes(at, hx, hy, margin)) return true;
      // Touching it off the safe spots would take it early or badly.
      if (Takes(at, hx, hy, 0)) return false;
    }
  }
  return false;
}

void Autopilot::Walk(int aim, std::set<int>& keys) const {
  const int maxX = 770 - anglerW_ / 2;
  if (aim < anglerX_ - kWalk / 2 && anglerX_ > 50)
    keys.insert(vk::Left);
  else if (aim > anglerX_ + kWalk / 2 && anglerX_ < maxX)
    keys.insert(vk::Right);
}

Autopilot::KeyChanges Autopilot::NextKeyChanges() {
  std::set<int> want = NextKeys();
  KeyChanges changes;
  for (int k : held_)
    if (!want.count(k)) changes.Release.push_back(k);
  for (int k : want)
    if (!held_.count(k)) changes.Press.push_back(k);
  held_ = std::move(want);
  return changes;
}

std::set<int> Autopilot::NextKeys() {
  std::set<int> keys;
  Look();
  if (!anglerSeen_ || onScreen_ != Screen::Game) {
    phase_ = Phase::Top;
    lastHookY_ = -1;
    return keys;
  }
  const int lastY = lastHookY_;
  lastHookY_ = hook_.Y;

  if (ctx_.Hold.Held()) {
    // Nothing moves: keep the hook as it is.
    if (phase_ == Phase::Lowering || phase_ == Phase::Frozen) keys.insert(vk::Control);
    return keys;
  }

  // Keep the plan in step with what the hook is seen doing.
  if (hook_.Y <= kHookTop && phase_ != Phase::Lowering) phase_ = Phase::Top;
  if (phase_ == Phase::Frozen && lastY >= 0 && hook_.Y > lastY) phase_ = Phase::Lowering;

  const Seen* target = FindTarget();
  bool bad = false;

  switch (phase_) {
    case Phase::Top: {
      ChooseTarget();
      target = FindTarget();
      if (!target) {
        Walk(400, keys);
        return keys;
      }
      depth_ = DepthFor(*target);
      keys.insert(vk::Control);
      Walk(AimColumn(*target, FramesToCatch(*target)), keys);
      phase_ = Phase::Lowering;
      return keys;
    }
    case Phase::Lowering: {
      if (!target) {
        ChooseTarget();
        target = FindTarget();
      }
      if (!target) {
        phase_ = Phase::Rising;  // let go; the hook winds up by itself
        return keys;
      }
      depth_ = DepthFor(*target);
      if (hook_.Y >= depth_ + kHookStep || hook_.Y >= kHookLowerLimit) {
        // Deep enough: let go for one frame, then hold the hook there.
        RiseTakes(nullptr, 1, &bad);
        if (!bad) {
          phase_ = Phase::FreezeOnce;
          return keys;
        }
      }
      keys.insert(vk::Control);
      Walk(AimColumn(*target, std::max(1, FramesToCatch(*target))), keys);
      return keys;
    }
    case Phase::FreezeOnce:
    case Phase::Frozen: {
      phase_ = Phase::Frozen;
      if (!target) {
        ChooseTarget();
        target = FindTarget();
        frozenFrames_ = 0;
      }
      ++frozenFrames_;
      const int riseFrames = (hook_.Y - kHookTop) / kHookStep;
      if (target) {
        if (RiseTakes(target, riseFrames, &bad) && !bad) {
          phase_ = Phase::Rising;
          frozenFrames_ = 0;
          return keys;
        }
        const bool reachable = hook_.Y >= DepthFor(*target) - target->H / 2;
        if (reachable && frozenFrames_ < kFrozenPatience) {
          keys.insert(vk::Control);
          const int toBand = std::max(1, (hook_.Y - DepthFor(*target)) / kHookStep + 1);
          Walk(AimColumn(*target, toBand), keys);
          return keys;
        }
      }
      // Nothing to wait for here: wind up when the way is clear.
      RiseTakes(nullptr, 1, &bad);
      if (bad) {
        keys.insert(vk::Control);
        return keys;
      }
      phase_ = Phase::Rising;
      frozenFrames_ = 0;
      return keys;
    }
    case Phase::Rising: {
      // Hold the hook still while junk or a sting crosses its way.
      RiseTakes(nullptr, 1, &bad);
      if (bad) keys.insert(vk::Control);
      return keys;
    }
  }
  return keys;
}

}  // namespace klv
