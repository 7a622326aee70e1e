#pragma once
// Plays a recorded game again on the headless platform, as fast as it goes,
// and says how it ended. The game it builds keeps its settings in a folder of
// its own that goes when the replay ends: a replay never touches the
// player's Config.cfg, table or replays.

#include <cstdint>
#include <functional>
#include <string>

#include "replay/replay_file.h"

namespace klv {

struct ReplayOutcome {
  uint32_t Score = 0;  // plain
  uint16_t Level = 0;
  uint32_t Frames = 0;
  // Every change of the picture in order, hashed (only when asked for).
  uint64_t FrameTrail = 0;
  // Whether the game ended where the recording did.
  bool Ended = false;
  bool Matches(const ReplayResult& r) const {
    return Ended && Score == r.Score && Level == r.Level && Frames == r.Frames;
  }
};

// `appDir` holds the game's Data/ and Sound/, with a trailing '/'. Throws
// ReplayError for a log that does not fit the game, KlvError when the game's
// data cannot be loaded. Without `hashFrames` no frame is drawn at all
// (drawing changes nothing of the game). `giveUp`, when given, is asked
// between passes of the loop (a pass runs a few frames at most); true ends
// the replay with a ReplayError, so that a caller can bound its time.
ReplayOutcome RunReplay(const ReplayFile& replay, const std::string& appDir, bool hashFrames,
                        const std::function<bool()>& giveUp = {});

}  // namespace klv
