#include "app/game_recorder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "app/game.h"
#include "platform/recording_platform.h"
#include "play/round.h"
#include "replay/replay_shelf.h"
#include "screens/screens.h"
#include "settings/config.h"

namespace klv {
namespace {

// Play's screens: the recording runs while the game shows one of them.
bool InPlay(Screen s) {
  return s == Screen::Game || s == Screen::ExitGameQuestion || s == Screen::GameOver ||
         s == Screen::GameOver2;
}

}  // namespace

std::string ReplayDir(const std::string& configDir) {
  return configDir + "replays/";
}

void GameRecorder::GameStarting() {
  // A game started while one is still being named: that one is kept first.
  if (phase_ != Phase::Idle) Finish();
  replay_ = ReplayFile{};
  replay_.GameVersion = KLV_VERSION;
  ReplayStart& s = replay_.Start;
  s.RngState = game_.Rng.State();
  platform_.StartRecording();
  s.ClockUs = platform_.NowMicros();
  const uint64_t intervalUs = uint64_t(game_.FrameTimer1.Interval()) * 1000;
  const uint64_t lastTick = game_.FrameTimer1.DueUs() - intervalUs;
  s.FrameLastTickUs = lastTick > s.ClockUs ? s.ClockUs : lastTick;
  s.FrameIntervalMs = static_cast<uint16_t>(game_.FrameTimer1.Interval());
  s.FrameCounter = game_.FrameCounter;
  s.FrameActive = game_.FrameTimer1.Running();
  s.Settings = static_cast<uint8_t>((game_.Cfg->Music ? kReplayMusic : 0) |
                                    (game_.Cfg->Sound ? kReplaySound : 0) |
                                    (game_.Cfg->Windowed ? kReplayWindowed : 0));
  startFrames_ = game_.FrameTimer1.Frames();
  phase_ = Phase::Playing;
}

void GameRecorder::EndPlay() {
  replay_.Input = platform_.StopRecording();
  ReplayResult& r = replay_.Result;
  r.Frames = static_cast<uint32_t>(game_.FrameTimer1.Frames() - startFrames_);
  const uint64_t ms = (platform_.NowMicros() - replay_.Start.ClockUs) / 1000;
  r.GameMs = static_cast<uint32_t>(ms > kReplayMaxGameMs ? kReplayMaxGameMs : ms);
}

void GameRecorder::Poll() {
  // The score and level as play left them: once play is over the game may
  // clear them for the menu.
  if (phase_ == Phase::Playing && InPlay(game_.GameState)) TakeScore();
  if (phase_ == Phase::Playing && !InPlay(game_.GameState)) {
    EndPlay();
    askedName_ = game_.GameState == Screen::EnterName;
    phase_ = Phase::Naming;
  }
  // Out of the name entry (or never in it): the name the table got is known.
  if (phase_ == Phase::Naming && game_.GameState != Screen::EnterName) {
    Write();
    phase_ = Phase::Idle;
  }
}

std::string GameRecorder::NamedReplay(const std::string& name) const {
  if (phase_ != Phase::Naming || !askedName_) return {};
  ReplayFile named = replay_;
  named.Result.Name = name.substr(0, kReplayMaxNameBytes);
  try {
    const std::vector<uint8_t> bytes = EncodeReplay(named);
    return std::string(bytes.begin(), bytes.end());
  } catch (const ReplayError&) {
    return {};
  }
}

void GameRecorder::TakeScore() {
  replay_.Result.Score = UnmaskScore(game_.Round1->MaskedScore());
  replay_.Result.Level = game_.Round1->LevelNo;
}

void GameRecorder::Finish() {
  if (phase_ == Phase::Playing) {
    if (InPlay(game_.GameState)) TakeScore();
    EndPlay();
    askedName_ = false;
  }
  if (phase_ != Phase::Idle) Write();
  phase_ = Phase::Idle;
}

void GameRecorder::Write() {
  // The name typed into the table, when this game asked for one.
  std::string name = askedName_ ? game_.Screens1->EnteredName : std::string();
  if (name.size() > kReplayMaxNameBytes) name.resize(kReplayMaxNameBytes);
  replay_.Result.Name = name;
  // Settings kept in memory only: no folder for replays either.
  if (game_.ConfigDir.empty()) {
    lastError_ = "no folder keeps the settings";
    return;
  }
  const std::string dir = ReplayDir(game_.ConfigDir);
  if (mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST) {
    lastError_ = dir + ": " + std::strerror(errno);
    std::fprintf(stderr, "klevaria: the replay was not kept: %s\n", lastError_.c_str());
    return;
  }
  try {
    // The last game played, whatever its score; a game that entered the
    // table is kept with its row as well, and the rows it pushed out lose
    // theirs.
    const std::string last = dir + kLastReplayName;
    WriteReplayFile(last, replay_);
    lastPath_ = last;
    if (askedName_) {
      lastPath_ = ReplayShelf(dir).Keep(replay_);
      game_.PruneRowReplays();
    }
    lastError_.clear();
  } catch (const ReplayError& e) {
    lastError_ = e.what();
    std::fprintf(stderr, "klevaria: the replay was not kept: %s\n", e.what());
  }
}

}  // namespace klv
