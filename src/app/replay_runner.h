#pragma once
// Plays a recorded game again: ReplayGame is the game rebuilt as it stood
// when the recorded game began, fed the recorded input pass by pass, and
// RunReplay runs one on the headless platform, as fast as it goes, and says
// how it ended. The game a replay builds keeps its settings in a folder of
// its own that goes with it: a replay never touches the player's
// Config.cfg, table or replays, and records nothing.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/recording_platform.h"
#include "replay/replay_file.h"

namespace klv {

class RecordableGame;

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

class ReplayGame {
 public:
  // Builds the game with `output` taking its pictures, text and sound, puts
  // it into the recorded state, starts the recorded game and hands it the
  // rest of the first pass's events; RunDue then runs that pass's work.
  // `replay` must outlive this. Throws KlvError when the game's data cannot
  // be loaded.
  ReplayGame(const ReplayFile& replay, Platform& output, const std::string& appDir);
  ~ReplayGame();
  ReplayGame(const ReplayGame&) = delete;
  ReplayGame& operator=(const ReplayGame&) = delete;

  // Runs the frames and timers due at the replay's clock.
  void RunDue();
  // Begins the next recorded pass: the clock steps and that pass's events
  // come. Throws ReplayError when the log holds no pass here.
  void Step();
  // The clock step of the next pass; false when the log has no more.
  bool NextStep(uint64_t* dtMicros) const { return platform_.NextStep(dtMicros); }
  bool AtEnd() const { return platform_.AtEnd(); }
  // Whether the game shows one of play's screens.
  bool InPlay() const;
  // The log is used up and play is over (or the program was told to end).
  bool Over() const;
  uint64_t NowMicros() { return platform_.NowMicros(); }
  // Frames run since the recorded game began.
  uint64_t Frames() const;
  // The program was told to end (the recorded player left the game).
  bool Terminated() const;
  RecordableGame& TheGame() { return *game_; }

 private:
  // A folder of the replay's own for the settings file; removed when it goes.
  class ScratchDir {
   public:
    ScratchDir();
    ~ScratchDir();
    const std::string& Path() const { return path_; }

   private:
    std::string path_;
  };

  ScratchDir scratch_;
  ReplayPlatform platform_;
  std::unique_ptr<RecordableGame> game_;
  uint64_t framesBefore_ = 0;
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
