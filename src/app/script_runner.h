#pragma once
// Runs the real game on the headless platform from a small script, one
// command a line. Tests, benchmarks and bug reports use it.

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "base/screen.h"

namespace klv {

class Game;
class HeadlessPlatform;
class Autopilot;
class GameRecorder;
class RecordingPlatform;

struct ScriptOptions {
  std::string appDir = "build/game";
  std::string scoreService;     // empty: the build's own address
  bool noScoreService = false;  // no world table set up at all
};

class ScriptRunner {
 public:
  explicit ScriptRunner(ScriptOptions options);
  ~ScriptRunner();
  ScriptRunner(const ScriptRunner&) = delete;
  ScriptRunner& operator=(const ScriptRunner&) = delete;

  // Runs a whole script. Returns the process exit code: 0 success, 1 a failed
  // expectation, 2 a malformed script. Messages go to `out`/`err`.
  int Run(const std::string& script, std::ostream& out, std::ostream& err);
  // Runs one line (already stripped of comments); throws ScriptError.
  void Execute(const std::string& line);

  // Advances the simulated clock by ms, running every frame and timer due.
  void Wait(uint64_t ms);
  Game& TheGame();
  HeadlessPlatform& Platform() { return *platform_; }
  // Records every game the script plays into the game folder's replays/.
  GameRecorder& Recorder();
  uint64_t SimulatedMs() const;
  std::string StatusLine();
  // What "hash" prints after its label.
  std::string HashLine();
  uint64_t PixelHash() const;

  static const char* Help();
  // The screens as scripts name them ("Menu", "Exit?", ...; "" before
  // start-up ends), and back.
  static const char* ScreenName(Screen screen);
  static std::optional<Screen> ScreenNamed(std::string_view name);

  // Called around every run of due work inside Wait (the benchmark times
  // frames with them); the flag says whether a frame was among it.
  std::function<void()> BeforeRunDue;
  std::function<void(bool frameRan)> AfterRunDue;

  // Whether every frame shown is hashed into the trail "hash" prints. On
  // unless told otherwise; Run turns it off for a script without "hash", as
  // it costs most of a replay's time.
  void TrackFrames(bool on) { trackFrames_ = on; }

 private:
  void EnsureStarted();
  void Pump();
  std::string Value(const std::string& key, const std::string& arg);
  void Expect(const std::vector<std::string>& words);
  void ExpectSaved(const std::vector<std::string>& words);
  void DriveAutopilot();
  void AbsorbNotes();

  ScriptOptions options_;
  std::unique_ptr<HeadlessPlatform> platform_;
  std::unique_ptr<RecordingPlatform> recording_;  // the platform the game sees
  std::unique_ptr<Game> game_;
  std::unique_ptr<GameRecorder> recorder_;
  std::unique_ptr<Autopilot> autopilot_;
  bool autopilotPad_ = false;  // the autopilot plays with the gamepad's stick
  uint64_t seed_ = 1;
  bool started_ = false;
  std::set<std::string> soundsPlayed_;  // effects played since the last check
  std::string music_ = "none";          // the tune playing now
  uint64_t soundTrail_ = 0;             // every sound and tune event so far, hashed in order
  uint64_t frameTrail_ = 0;             // every change of the picture so far, hashed in order
  uint64_t lastFrame_ = 0;              // the hash of the frame on screen
  bool anyFrame_ = false;
  bool trackFrames_ = true;
  std::ostream* out_;  // where print and hash write
};

}  // namespace klv
