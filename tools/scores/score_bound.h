#pragma once
// The highest score a game of Klevaria can reach, and the check that a
// submitted score is one a game can show.

#include <cstdint>

namespace klv::scores {

// How the bound comes about (the figures are checked against the game's own
// tables in score_bound.cpp):
//
// Points come from four sources: a landed fish gives its kind's value (10,
// 20, 50 or 100), a stinging fish takes 50, a landed object gives -50, 0, 50
// or 100, and a completed level gives 5 points for every whole second left
// on its clock.
//
// The time bonus. Level L asks for Q(L) >= 1 fish of this level and gives
// TimeLimit(L) = 10 + Q(L) seconds; a landed fish never raises the clock
// above TimeLimit. So the bonus of a level is at most 5 * (10 + Q) <= 55 * Q,
// and since every fish of a quota is a distinct fish landed in that level,
// the bonus of a whole game is at most 55 points for every fish landed.
//
// The catches. Every landed fish or object first swam in: each drawn frame of
// play tries one fish (one chance in 50) and one object (one in 200). So a
// fish landed is worth at most 100 + 55 points, an object at most 100.
//
// The frames. A game has no last level: a player who lands fish fast enough
// keeps the clock going, so only the length of a sitting bounds a game. We
// honour 24 hours of unpaused play at the fastest frame rate the game allows
// (the frame-interval keys stop at 4 ms: 250 frames a second), that is
// 21,600,000 frames: 432,000 fish and 108,000 objects on average. Allowing 2%
// more of each (more than ten standard deviations of the draw):
//
//   440,640 fish * 155 + 110,160 objects * 100 = 79,315,200 points.
//
// Every source is a multiple of 5, so is every reachable score. A game that
// ends below zero arrives as its 32-bit wrap-around (4294967246 for -50): far
// above the bound, so it is refused with the forgeries.
inline constexpr int64_t kLongestSittingSeconds = 24 * 60 * 60;
inline constexpr int64_t kFastestFramesPerSecond = 1000 / 4;
inline constexpr int64_t kFramesPerFishTry = 50;
inline constexpr int64_t kFramesPerObjectTry = 200;
inline constexpr int64_t kBestFishValue = 100;
inline constexpr int64_t kBestObjectValue = 100;
inline constexpr int64_t kSecondsBeforeQuota = 10;  // TimeLimit = 10 + quota
inline constexpr int64_t kBonusPerSecond = 5;
inline constexpr int64_t kBonusPerFish = kBonusPerSecond * (kSecondsBeforeQuota + 1);
inline constexpr int64_t kSittingFrames = kLongestSittingSeconds * kFastestFramesPerSecond;
inline constexpr int64_t kMostFish = kSittingFrames / kFramesPerFishTry * 102 / 100;
inline constexpr int64_t kMostObjects = kSittingFrames / kFramesPerObjectTry * 102 / 100;
inline constexpr int64_t kMaxReachableScore =
    kMostFish * (kBestFishValue + kBonusPerFish) + kMostObjects * kBestObjectValue;
inline constexpr int64_t kScoreStep = 5;
static_assert(kMaxReachableScore == 79'315'200);

inline constexpr bool IsReachableScore(uint32_t score) {
  return score <= kMaxReachableScore && score % kScoreStep == 0;
}

}  // namespace klv::scores
