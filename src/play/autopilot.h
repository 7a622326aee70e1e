#pragma once
// A player built into the test tools. Each frame it looks at what is on the
// screen (the angler, the hook, the fish and objects in the water and the
// quota along the top) and decides which play keys to hold: walk left, walk
// right and lower (Ctrl). It never changes the game; the caller turns its
// keys into key presses.
//
// Its way of fishing: pick the wanted fish it can reach soonest, walk ahead
// of it while lowering the hook to the fish's depth, let go for one frame
// and lower again so the hook stands still there, then let go as the fish
// comes over the hook so the rising hook takes it. It steers clear of the
// junk that costs points or time and of the spiny fish's stinging body,
// holding the hook still while such a thing crosses its way up.
//
// Each frame's choice comes as the keys to let go of and to press, so that a
// keyboard (or whatever stands in for one) holds just the chosen keys.

#include <cstdint>
#include <set>
#include <unordered_map>
#include <vector>

#include "base/screen.h"
#include "play/play_tables.h"

namespace klv {

class Round;
class Sprite;
struct PlayContext;

class Autopilot {
 public:
  // It plays only while `onScreen`, the game's screen, shows play.
  Autopilot(const PlayContext& ctx, const Round& round, const Screen& onScreen);

  // The virtual keys (vk::Left, vk::Right, vk::Control) to hold during the
  // next frame. Call once per frame, before the frame runs.
  std::set<int> NextKeys();
  // The same choice as key releases and presses: what was held by the last
  // call and is no longer wanted, then what is wanted and was not held.
  struct KeyChanges {
    std::vector<int> Release;
    std::vector<int> Press;
  };
  KeyChanges NextKeyChanges();
  // The keys the last NextKeyChanges left held.
  const std::set<int>& HeldKeys() const { return held_; }

  // Forgets what it saw (after a game ends, say).
  void Reset();

  // What it saw of one thing in the water.
  struct Seen {
    const Sprite* Id = nullptr;
    bool IsFish = false;
    FishKind Fish{};      // when IsFish
    ObjectKind Object{};  // when not
    bool FacesLeft = false;
    int X = 0, Y = 0, W = 0, H = 0;
    double Vx = 0;  // pixels per frame, measured from its movement
    bool Hooked = false;
  };

 private:
  enum class Phase { Top, Lowering, FreezeOnce, Frozen, Rising };

  struct HookView {
    int X = 0, Y = 0, W = 7, H = 8;
  };

  void Look();
  const Seen* FindTarget() const;
  bool Wanted(FishKind kind) const;
  int DepthFor(const Seen& fish) const;
  int AimColumn(const Seen& fish, double frames) const;
  int FramesToCatch(const Seen& fish) const;
  void ChooseTarget();
  // Simulates letting go now with the angler still: does the rise take the
  // target (when it is not none) before anything bad, and, over `frames`
  // frames, meet nothing that costs?
  bool RiseTakes(const Seen* target, int frames, bool* bad) const;
  bool Costly(const Seen& s, int hookX, int hookY) const;
  bool Takes(const Seen& s, int hookX, int hookY, int margin) const;
  void Walk(int aim, std::set<int>& keys) const;

  const PlayContext& ctx_;
  const Round& round_;
  const Screen& onScreen_;
  std::set<int> held_;
  Phase phase_ = Phase::Top;
  const Sprite* targetId_ = nullptr;
  int frozenFrames_ = 0;
  int depth_ = 0;

  // The current view.
  bool anglerSeen_ = false;
  int anglerX_ = 0, anglerW_ = 0;
  HookView hook_;
  int lastHookY_ = -1;
  std::vector<Seen> seen_;
  std::unordered_map<const Sprite*, Seen> last_;
};

}  // namespace klv
