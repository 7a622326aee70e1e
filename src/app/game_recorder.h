#pragma once
// Records every game the player plays, from StartGame to the end of play
// (time up, "Да" to leaving the game, or the program ending), into the
// folder `replays` beside Config.cfg: the last game played as `last.klr`,
// and a game that entered the table also as its row's replay (ReplayShelf).
// The name the player then types into the table goes into the file too. The
// game reaches the recorder only through StartGame and the end of the name
// entry; the loop lets it look at the game once a pass.

#include <cstdint>
#include <string>

#include "replay/replay_file.h"

namespace klv {

class RecordableGame;
class RecordingPlatform;
struct GameSnapshot;

class GameRecorder {
 public:
  // `platform` must be the platform `game` was made with.
  GameRecorder(RecordableGame& game, RecordingPlatform& platform)
      : game_(game), platform_(platform) {}

  // Called by StartGame before anything of the new game happens.
  void GameStarting();
  // Called by the loop before each pass: notices the end of play and of the
  // name entry after it.
  void Poll();
  // The program is ending: a game still recorded is kept as it stands.
  void Finish();

  // Whether a game is being recorded now.
  bool Recording() const { return phase_ == Phase::Playing; }
  // The last replay written ("" before the first): its row's file for a game
  // that entered the table, else last.klr. And the last failure to write
  // one ("" when none).
  const std::string& LastPath() const { return lastPath_; }
  const std::string& LastError() const { return lastError_; }
  // The file's bytes of the game whose name is being entered, as they will
  // be written with `name`; "" when no game waits for its name.
  std::string NamedReplay(const std::string& name) const;

 private:
  enum class Phase { Idle, Playing, Naming };
  void EndPlay();
  void TakeScore(const GameSnapshot& now);
  void Write();

  RecordableGame& game_;
  RecordingPlatform& platform_;
  Phase phase_ = Phase::Idle;
  bool askedName_ = false;  // the game ended in the name entry
  ReplayFile replay_;
  uint64_t startFrames_ = 0;
  std::string lastPath_;
  std::string lastError_;
};

// The folder that holds a game's replays, with a trailing '/'.
std::string ReplayDir(const std::string& configDir);
// The last game played, in that folder.
inline constexpr const char* kLastReplayName = "last.klr";

}  // namespace klv
