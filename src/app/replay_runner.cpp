#include "app/replay_runner.h"

#include <cstdlib>
#include <filesystem>
#include <string_view>

#include "app/recordable_game.h"
#include "engine/errors.h"
#include "platform/headless_platform.h"

namespace klv {
namespace {

constexpr uint64_t kFnvOffset = 1469598103934665603ull;
constexpr uint64_t kFnvPrime = 1099511628211ull;

bool InPlayScreen(Screen s) {
  return s == Screen::Game || s == Screen::ExitGameQuestion || s == Screen::GameOver ||
         s == Screen::GameOver2;
}

}  // namespace

ReplayGame::ScratchDir::ScratchDir() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/klevaria-replay-XXXXXX";
  if (!mkdtemp(pattern.data())) throw KlvError("no folder for the replay's settings");
  path_ = pattern + "/";
}

ReplayGame::ScratchDir::~ScratchDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

ReplayGame::ReplayGame(const ReplayFile& replay, Platform& output, const std::string& appDir)
    : platform_(output, replay.Input, replay.Start.ClockUs) {
  GamePaths paths;
  paths.AppDir = appDir;
  paths.ConfigDir = scratch_.Path();
  game_ = NewGame(platform_, paths, 1);
  game_->FormCreate();

  // The game as it stood when the recorded game began.
  game_->RestoreStart(replay.Start);
  framesBefore_ = game_->Snapshot().Frames;

  platform_.Begin();
  game_->StartGame();
  platform_.DeliverEvents(*game_);
}

ReplayGame::~ReplayGame() = default;

void ReplayGame::RunDue() {
  game_->RunDue();
}

void ReplayGame::Step() {
  platform_.PumpEvents(*game_);
}

bool ReplayGame::InPlay() const {
  return InPlayScreen(game_->Snapshot().Shown);
}

bool ReplayGame::Terminated() const {
  return game_->Terminated();
}

bool ReplayGame::Over() const {
  return platform_.AtEnd() && (game_->Terminated() || !InPlay());
}

uint64_t ReplayGame::Frames() const {
  return game_->Snapshot().Frames - framesBefore_;
}

ReplayOutcome RunReplay(const ReplayFile& replay, const std::string& appDir, bool hashFrames,
                        const std::function<bool()>& giveUp) {
  HeadlessPlatform output;
  ReplayGame replayed(replay, output, appDir);
  RecordableGame& game = replayed.TheGame();
  // A replay that is only checked needs no pictures.
  game.SetDrawFrames(hashFrames);

  ReplayOutcome outcome;
  outcome.FrameTrail = kFnvOffset;
  uint64_t presents = output.presentCount;
  uint64_t lastFrame = 0;
  // The score and level are read while play is on: what the game does with
  // them after play (the table, the menu) is no part of the recording.
  auto pass = [&] {
    replayed.RunDue();
    const GameSnapshot now = game.Snapshot();
    if (InPlayScreen(now.Shown)) {
      outcome.Score = static_cast<uint32_t>(now.Score);
      outcome.Level = static_cast<uint16_t>(now.LevelNo);
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

  const GameSnapshot first = game.Snapshot();
  outcome.Score = static_cast<uint32_t>(first.Score);
  outcome.Level = static_cast<uint16_t>(first.LevelNo);
  pass();
  // Each pass takes a record of the log, which is bounded, so the loop is too.
  while (!replayed.AtEnd() && !game.Terminated()) {
    replayed.Step();
    pass();
    if (replayed.Frames() > kReplayMaxFrames)
      throw ReplayError("the replay runs longer than any game");
    if (giveUp && giveUp()) throw ReplayError("the replay took too long to play");
  }
  outcome.Frames = static_cast<uint32_t>(replayed.Frames());
  outcome.Ended = replayed.Over();
  return outcome;
}

}  // namespace klv
