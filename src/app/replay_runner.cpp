#include "app/replay_runner.h"

#include <cstdlib>
#include <filesystem>
#include <string_view>

#include "app/game.h"
#include "engine/errors.h"
#include "platform/headless_platform.h"
#include "platform/recording_platform.h"
#include "play/round.h"
#include "settings/config.h"

namespace klv {
namespace {

constexpr uint64_t kFnvOffset = 1469598103934665603ull;
constexpr uint64_t kFnvPrime = 1099511628211ull;

bool InPlay(Screen s) {
  return s == Screen::Game || s == Screen::ExitGameQuestion || s == Screen::GameOver ||
         s == Screen::GameOver2;
}

// A folder of the replay's own for the settings file; removed when it goes.
class ScratchDir {
 public:
  ScratchDir() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/klevaria-replay-XXXXXX";
    if (!mkdtemp(pattern.data())) throw KlvError("no folder for the replay's settings");
    path_ = pattern + "/";
  }
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace

ReplayOutcome RunReplay(const ReplayFile& replay, const std::string& appDir, bool hashFrames,
                        const std::function<bool()>& giveUp) {
  ScratchDir scratch;
  HeadlessPlatform output;
  ReplayPlatform platform(output, replay.Input, replay.Start.ClockUs);
  GamePaths paths;
  paths.AppDir = appDir;
  paths.ConfigDir = scratch.Path();
  Game game(platform, paths, 1);
  game.FormCreate();
  // A replay that is only checked needs no pictures.
  game.DrawFrames = hashFrames;

  // The game as it stood when the recorded game began.
  const ReplayStart& s = replay.Start;
  game.Cfg->Music = (s.Settings & kReplayMusic) != 0;
  game.Cfg->Sound = (s.Settings & kReplaySound) != 0;
  game.Cfg->Windowed = (s.Settings & kReplayWindowed) != 0;
  game.Rng.SetState(s.RngState);
  game.FrameCounter = s.FrameCounter;
  game.FrameTimer1.SetInterval(s.FrameIntervalMs);
  game.FrameTimer1.SetActive(false, 0);
  game.FrameTimer1.SetActive(true, s.FrameLastTickUs);
  if (!s.FrameActive) game.FrameTimer1.SetActive(false, s.ClockUs);
  const uint64_t framesBefore = game.FrameTimer1.Frames();

  ReplayOutcome outcome;
  outcome.FrameTrail = kFnvOffset;
  uint64_t presents = output.presentCount;
  uint64_t lastFrame = 0;
  // The score and level are read while play is on: what the game does with
  // them after play (the table, the menu) is no part of the recording.
  auto pass = [&] {
    game.RunDue();
    if (InPlay(game.GameState)) {
      outcome.Score = UnmaskScore(game.Round1->MaskedScore());
      outcome.Level = game.Round1->LevelNo;
    }
    if (hashFrames && output.presentCount != presents) {
      presents = output.presentCount;
      const Surface& frame = output.LastFrame();
      const size_t bytes = size_t(frame.Width()) * size_t(frame.Height()) * sizeof(uint32_t);
      const uint64_t h = std::hash<std::string_view>{}(
          std::string_view(reinterpret_cast<const char*>(frame.Pixels()), bytes));
      if (h != lastFrame) outcome.FrameTrail = (outcome.FrameTrail ^ h) * kFnvPrime;
      lastFrame = h;
    }
  };

  platform.Begin();
  game.StartGame();
  outcome.Score = UnmaskScore(game.Round1->MaskedScore());
  outcome.Level = game.Round1->LevelNo;
  platform.DeliverEvents(game);
  pass();
  // Each pass takes a record of the log, which is bounded, so the loop is too.
  while (!platform.AtEnd() && !game.Terminated()) {
    platform.PumpEvents(game);
    pass();
    if (game.FrameTimer1.Frames() - framesBefore > kReplayMaxFrames)
      throw ReplayError("the replay runs longer than any game");
    if (giveUp && giveUp()) throw ReplayError("the replay took too long to play");
  }
  outcome.Frames = static_cast<uint32_t>(game.FrameTimer1.Frames() - framesBefore);
  outcome.Ended = platform.AtEnd() && (game.Terminated() || !InPlay(game.GameState));
  return outcome;
}

}  // namespace klv
