#pragma once
// Proving a world-table score by its replay: the game played again with the
// game's own rules on the headless platform, without a window, and its end
// compared with the file's and with the submitted entry. Replays come from
// strangers: each is bounded in bytes (the file format's 256 KiB), frames and
// game length (the format's three hours) and in time (a limit per replay),
// and the game is played in a child process of its own, so that a replay can
// take neither the service's memory nor its threads with it.

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace klv::scores {

struct Verdict {
  bool Verified = false;
  bool Stopped = false;  // given up unplayed because the service is stopping
  std::string Reason;    // why not, in a few English words
};

// The checks made at once on an upload, before any play: the file reads,
// comes from this version of the game, and names the entry's name (UTF-8)
// and score. "" when it passes, else the reason.
std::string CheckReplayClaim(const std::vector<uint8_t>& bytes, const std::string& utf8Name,
                             uint32_t score);

// Plays the replay through in this process, giving up after `seconds` of
// wall time, or as soon as `stop` is set (a Stopped verdict). `gameDir` holds
// the game's Data/, with a trailing '/'.
Verdict PlayReplay(const std::vector<uint8_t>& bytes, const std::string& gameDir, int seconds,
                   const std::atomic<bool>* stop = nullptr);

// The same in a child process: `program --verify - --game-dir DIR
// --verify-seconds N`, fed the replay on its standard input, which limits its
// own CPU time and is killed when it overruns the wall time or when `stop` is
// set (looked at every 100 ms).
Verdict PlayReplayInChild(const std::string& program, const std::vector<uint8_t>& bytes,
                          const std::string& gameDir, int seconds,
                          const std::atomic<bool>* stop = nullptr);

// The installed game's data folder as seen from this program's folder, with
// a trailing '/'; "" when there is none.
std::string InstalledGameDir();

}  // namespace klv::scores
