#include "app/game_recorder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "app/recordable_game.h"
#include "platform/recording_platform.h"
#include "replay/replay_shelf.h"

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
  platform_.StartRecording();
  replay_.Start = game_.RecordedStart(platform_.NowMicros());
  startFrames_ = game_.Snapshot().Frames;
  phase_ = Phase::Playing;
}

void GameRecorder::EndPlay() {
  replay_.Input = platform_.StopRecording();
  ReplayResult& r = replay_.Result;
  r.Frames = static_cast<uint32_t>(game_.Snapshot().Frames - startFrames_);
  const uint64_t ms = (platform_.NowMicros() - replay_.Start.ClockUs) / 1000;
  r.GameMs = static_cast<uint32_t>(ms > kReplayMaxGameMs ? kReplayMaxGameMs : ms);
}

void GameRecorder::Poll() {
  // The score and level as play left them: once play is over the game may
  // clear them for the menu.
  const GameSnapshot now = game_.Snapshot();
  if (phase_ == Phase::Playing && InPlay(now.Shown)) TakeScore(now);
  if (phase_ == Phase::Playing && !InPlay(now.Shown)) {
    EndPlay();
    askedName_ = now.Shown == Screen::EnterName;
    phase_ = Phase::Naming;
  }
  // Out of the name entry (or never in it): the name the table got is known.
  if (phase_ == Phase::Naming && now.Shown != Screen::EnterName) {
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

void GameRecorder::TakeScore(const GameSnapshot& now) {
  replay_.Result.Score = static_cast<uint32_t>(now.Score);
  replay_.Result.Level = static_cast<uint16_t>(now.LevelNo);
}

void GameRecorder::Finish() {
  if (phase_ == Phase::Playing) {
    const GameSnapshot now = game_.Snapshot();
    if (InPlay(now.Shown)) TakeScore(now);
    EndPlay();
    askedName_ = false;
  }
  if (phase_ != Phase::Idle) Write();
  phase_ = Phase::Idle;
}

void GameRecorder::Write() {
  // The name typed into the table, when this game asked for one.
  std::string name = askedName_ ? game_.EnteredName() : std::string();
  if (name.size() > kReplayMaxNameBytes) name.resize(kReplayMaxNameBytes);
  replay_.Result.Name = name;
  // Settings kept in memory only: no folder for replays either.
  const std::string configDir = game_.ConfigFolder();
  if (configDir.empty()) {
    lastError_ = "no folder keeps the settings";
    return;
  }
  const std::string dir = ReplayDir(configDir);
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
      const std::string kept = ReplayShelf(dir).Keep(replay_);
      game_.PruneRowReplays();
      // A game stopped at its name entry has no row to keep it by: the
      // prune took it again, and the last game's file is the one left.
      if (access(kept.c_str(), F_OK) == 0) lastPath_ = kept;
    }
    lastError_.clear();
  } catch (const ReplayError& e) {
    lastError_ = e.what();
    std::fprintf(stderr, "klevaria: the replay was not kept: %s\n", e.what());
  }
}

}  // namespace klv
