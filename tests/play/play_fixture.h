#pragma once
// A whole game on the headless platform, started from a temporary folder
// holding small pictures of every name play looks up, so play tests drive
// the real Game, Round and sprites frame by frame.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/game.h"
#include "engine/sprite_engine.h"
#include "platform/headless_audio_out.h"
#include "platform/headless_platform.h"
#include "play/fish.h"
#include "play/kruk.h"
#include "play/leska.h"
#include "play/objcts.h"
#include "play/player.h"
#include "play/round.h"
#include "play/udochka.h"
#include "settings/config.h"
#include "support/screen_names.h"
#include "support/tiny_game_data.h"

namespace klv::playtest {

using namespace klv::test;

class PlayFixture : public ::testing::Test {
 protected:
  void SetUp() override { Boot(7); }
  void TearDown() override { Shutdown(); }

  void Boot(uint64_t seed) {
    static std::mt19937_64 names(std::random_device{}());
    dir_ = std::filesystem::temp_directory_path() / ("klv-play-" + std::to_string(names()));
    WriteGameData(dir_);
    auto audio = std::make_unique<HeadlessAudioOut>();
    audio_ = audio.get();
    platform_ = std::make_unique<HeadlessPlatform>(std::move(audio));
    platform_->SetNow(1'000'000);
    GamePaths paths;
    paths.AppDir = dir_.string() + "/";
    game_ = std::make_unique<Game>(*platform_, paths, seed);
    game_->FormCreate();
    Frames(1);
  }
  void Shutdown() {
    game_.reset();
    platform_.reset();
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }

  Game& G() { return *game_; }
  Round& R() { return *game_->Round1; }
  Player& P() { return *R().Players[0]; }
  Kruk& Hook() { return *P().Hook; }
  SpriteEngine& Engine() { return *game_->SpriteEngine1; }

  // Runs everything due up to `ms` milliseconds from now.
  void Wait(uint64_t ms) {
    const uint64_t target = platform_->NowMicros() + ms * 1000;
    while (!game_->Terminated()) {
      const uint64_t due = game_->NextDueMicros();
      if (due > target) break;
      if (due > platform_->NowMicros()) platform_->SetNow(due);
      game_->RunDue();
    }
    platform_->SetNow(target);
  }
  // Runs exactly n more frames (and the timer ticks due on the way).
  void Frames(int n) {
    for (int i = 0; i < n && !game_->Terminated(); ++i) {
      const uint8_t before = game_->FrameCounter;
      while (game_->FrameCounter == before) {
        const uint64_t due = game_->NextDueMicros();
        if (due > platform_->NowMicros()) platform_->SetNow(due);
        game_->RunDue();
      }
    }
  }

  // A game started from the menu, with its first hold over and the clock running.
  void StartPlaying() {
    game_->StartGame();
    Wait(2100);
    ASSERT_EQ(game_->GameState, Screen::Game);
    ASSERT_FALSE(game_->Held());
  }

  // Live sprites of a class.
  template <class T>
  int CountOf() {
    int n = 0;
    for (int i = 0; i < Engine().Count(); ++i)
      n += dynamic_cast<T*>(&Engine().ItemAt(i)) != nullptr && !Engine().ItemAt(i).Dying();
    return n;
  }
  template <class T>
  std::vector<T*> All() {
    std::vector<T*> v;
    for (int i = 0; i < Engine().Count(); ++i)
      if (auto* t = dynamic_cast<T*>(&Engine().ItemAt(i)); t && !t->Dying()) v.push_back(t);
    return v;
  }

  void Press(int vk) {
    platform_->PressKey(vk);
    platform_->PumpEvents(*game_);
  }
  void Release(int vk) {
    platform_->ReleaseKey(vk);
    platform_->PumpEvents(*game_);
  }

  // Effect notes ("sound Up", "stop Up", ...) since the last call.
  std::vector<std::string> Notes() { return audio_->TakeNotes(); }
  static int Count(const std::vector<std::string>& notes, const std::string& note) {
    int n = 0;
    for (const std::string& s : notes) n += s == note;
    return n;
  }

  // A fish of a kind, made by the game and then put where the test wants it.
  Fish* MakeFish(int kind, int x, int y, bool facesLeft = false) {
    Round& r = R();
    const TargetTable saved = r.Targets;
    const uint8_t savedCount = r.TargetCount;
    r.Targets = TargetTable{};
    r.Targets[1] = {uint8_t(kind), 1};
    r.TargetCount = 1;
    Fish* f = nullptr;
    // Draw until the fish comes from the wanted side.
    for (int i = 0; i < 64; ++i) {
      f = Engine().Create<Fish>(*game_->Play1, R());
      if (f->FacesLeft == facesLeft) break;
      f->MarkDead();
      Engine().FlushDead();
    }
    r.Targets = saved;
    r.TargetCount = savedCount;
    f->X = x;
    f->Y = y;
    return f;
  }

  std::filesystem::path dir_;
  HeadlessAudioOut* audio_ = nullptr;
  std::unique_ptr<HeadlessPlatform> platform_;
  std::unique_ptr<Game> game_;
};

}  // namespace klv::playtest
