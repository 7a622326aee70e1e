#pragma once
// The side of the game a recording and a replay see: the state a recorded
// game starts from, taken and put back, a look at the game between passes
// (its snapshot), and the little the recorder does to it. Game implements
// it; the recorder, the replay runner and the viewer know the game only
// through this.

#include <cstdint>
#include <memory>
#include <string>

#include "app/game_paths.h"
#include "app/game_snapshot.h"
#include "platform/platform.h"
#include "replay/replay_file.h"

namespace klv {

class RecordableGame : public EventSink {
 public:
  // The start-up sequence; throws on a failure that leaves no usable screen.
  virtual void FormCreate() = 0;
  // Runs every frame and timer tick due on the platform clock.
  virtual void RunDue() = 0;
  virtual bool Terminated() const = 0;
  virtual GameSnapshot Snapshot() const = 0;
  virtual void StartGame() = 0;

  // The generator, the frame timer and the settings as they stand, for a
  // game recorded from `clockUs` on; and putting them back before a replay
  // starts its game.
  virtual ReplayStart RecordedStart(uint64_t clockUs) const = 0;
  virtual void RestoreStart(const ReplayStart& start) = 0;
  // Whether frames are drawn at all (a replay that is only checked draws none).
  virtual void SetDrawFrames(bool on) = 0;

  // The name typed into the table last.
  virtual std::string EnteredName() const = 0;
  // Where Config.cfg is kept, with a trailing '/'; "" when only in memory.
  virtual std::string ConfigFolder() const = 0;
  // Removes the replays of rows that left the table, then reads them again.
  virtual void PruneRowReplays() = 0;
};

// A game on `platform` (made by game.cpp, the one place that builds one for
// the replays).
std::unique_ptr<RecordableGame> NewGame(Platform& platform, GamePaths paths, uint64_t seed);

}  // namespace klv
