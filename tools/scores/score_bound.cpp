// The bound's figures, held against the game's own tables: a change to the
// fish, the objects or the frame-interval keys stops the build here until the
// bound is thought through again.
#include "score_bound.h"

#include <algorithm>

#include "play/play_tables.h"
#include "screens/screens.h"

namespace klv::scores {

namespace {

constexpr bool AllMultiplesOfStep() {
  for (const auto& f : kFishKinds)
    if (f.Value % kScoreStep != 0) return false;
  for (const auto& o : kObjectKinds)
    if (o.Value % kScoreStep != 0) return false;
  return kStingPenalty % kScoreStep == 0 && kBonusPerSecond % kScoreStep == 0;
}

constexpr int BestFish() {
  int best = 0;
  for (const auto& f : kFishKinds) best = std::max<int>(best, f.Value);
  return best;
}

constexpr int BestObject() {
  int best = 0;
  for (const auto& o : kObjectKinds) best = std::max(best, o.Value);
  return best;
}

static_assert(BestFish() == kBestFishValue);
static_assert(BestObject() == kBestObjectValue);
static_assert(AllMultiplesOfStep());
static_assert(1000 / klv::Screens::kMinFrameInterval == kFastestFramesPerSecond);

}  // namespace

}  // namespace klv::scores
