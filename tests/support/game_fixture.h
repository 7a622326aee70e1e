#pragma once
// A whole game on the headless platform, booted from a fresh temporary folder
// holding small pictures of every name the screens and play look up: the one
// start for the tests that drive the real Game, its screens, its round and
// its sprites, frame by frame or by the clock. Nothing listens at the world
// table's address, so a submission fails at once.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/game.h"
#include "engine/cp1251.h"
#include "engine/sprite_engine.h"
#include "online/score_submission.h"
#include "platform/headless_audio_out.h"
#include "platform/headless_platform.h"
#include "play/fish.h"
#include "play/kruk.h"
#include "play/leska.h"
#include "play/objcts.h"
#include "play/player.h"
#include "play/round.h"
#include "play/udochka.h"
#include "screens/menu_b.h"
#include "screens/screens.h"
#include "settings/config.h"
#include "support/play_sprites.h"
#include "support/screen_names.h"
#include "support/tiny_game_data.h"

namespace klv::test {

class GameFixture : public ::testing::Test {
 protected:
  void SetUp() override { Boot(7); }
  void TearDown() override { Shutdown(); }

  // A fresh game from the seed, its first frame drawn. `adjust` may change
  // the paths (and the game folder, already written) before start-up.
  void Boot(uint64_t seed, const std::function<void(GamePaths&)>& adjust = {}) {
    static std::mt19937_64 names(std::random_device{}());
    dir_ = std::filesystem::temp_directory_path() / ("klv-game-" + std::to_string(names()));
    WriteGameData(dir_);
    auto audio = std::make_unique<HeadlessAudioOut>();
    audio_ = audio.get();
    platform_ = std::make_unique<HeadlessPlatform>(std::move(audio));
    platform_->SetNow(1'000'000);
    GamePaths paths;
    paths.AppDir = dir_.string() + "/";
    if (adjust) adjust(paths);
    game_ = std::make_unique<Game>(*platform_, paths, seed);
    game_->ScoreService = "http://127.0.0.1:1";
    game_->StartSubmission = HttpSubmissionStarter();
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
  HeadlessPlatform& Platform() { return *platform_; }
  Screens& S() { return *game_->Screens1; }
  Config& Cfg() { return *game_->Cfg; }
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
      const uint8_t before = game_->Snapshot().FrameCounter;
      while (game_->Snapshot().FrameCounter == before && !game_->Terminated()) {
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
    ASSERT_EQ(game_->Snapshot().Shown, Screen::Game);
    ASSERT_FALSE(game_->Snapshot().Held);
  }

  // Window input: a key as the menus see its release, held keys as play
  // polls them, typed text, the pointer.
  void Key(int vk, KeyMods mods = {}) { game_->OnKeyUp(vk, mods); }
  void Press(int vk) {
    platform_->PressKey(vk);
    platform_->PumpEvents(*game_);
  }
  void Release(int vk) {
    platform_->ReleaseKey(vk);
    platform_->PumpEvents(*game_);
  }
  void Type(const std::string& utf8) { game_->OnTextInput(utf8); }
  void Move(int x, int y) { game_->OnMouseMove(x, y); }
  void Click(int x, int y) {
    Move(x, y);
    game_->OnMouseButton(MouseButton::Left, true, x, y);
    game_->OnMouseButton(MouseButton::Left, false, x, y);
  }

  // Effect notes ("sound Up", "stop Up", ...) since the last call.
  std::vector<std::string> Notes() { return audio_->TakeNotes(); }
  static int Count(const std::vector<std::string>& notes, const std::string& note) {
    int n = 0;
    for (const std::string& s : notes) n += s == note;
    return n;
  }
  // "sound NAME" notes since the last call.
  int Sounds(const std::string& name) { return Count(Notes(), "sound " + name); }
  void ForgetSounds() { Notes(); }

  bool ButtonLit(int k) { return S().MenuButtons[k] && S().MenuButtons[k]->Lit; }
  std::string ConfigFile() { return (dir_ / "Config.cfg").string(); }

  template <class T>
  int CountOf() {
    return test::CountOf<T>(Engine());
  }
  template <class T>
  std::vector<T*> All() {
    return test::All<T>(Engine());
  }
  Fish* MakeFish(int kind, int x, int y, bool facesLeft = false) {
    return test::MakeFish(*game_->Play1, R(), kind, x, y, facesLeft);
  }

  std::filesystem::path dir_;
  HeadlessAudioOut* audio_ = nullptr;
  std::unique_ptr<HeadlessPlatform> platform_;
  std::unique_ptr<Game> game_;
};

}  // namespace klv::test
