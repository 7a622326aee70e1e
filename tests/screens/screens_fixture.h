#pragma once
// A whole game on the headless platform, started in a fresh temporary folder
// with small pictures of every name the screens and play look up, so screen
// tests drive the real Game, Screens and sprites.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/game.h"
#include "engine/cp1251.h"
#include "platform/headless_audio_out.h"
#include "platform/headless_platform.h"
#include "play/round.h"
#include "screens/menu_b.h"
#include "screens/screens.h"
#include "settings/config.h"
#include "support/screen_names.h"
#include "support/tiny_game_data.h"

namespace klv::test {

class ScreensFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    static std::mt19937_64 rng(std::random_device{}());
    dir_ = std::filesystem::temp_directory_path() / ("klv-screens-" + std::to_string(rng()));
    WriteGameData(dir_);
    auto audio = std::make_unique<HeadlessAudioOut>();
    audio_ = audio.get();
    platform_ = std::make_unique<HeadlessPlatform>(std::move(audio));
    platform_->SetNow(1'000'000);
    GamePaths paths;
    paths.AppDir = dir_.string() + "/";
    game_ = std::make_unique<Game>(*platform_, paths, 7);
    // Nothing listens here: a submission fails at once.
    game_->ScoreService = "http://127.0.0.1:1";
    game_->FormCreate();
    Frames(2);
  }
  void TearDown() override {
    game_.reset();
    platform_.reset();
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }

  Game& G() { return *game_; }
  HeadlessPlatform& P() { return *platform_; }
  Screens& S() { return *game_->Screens1; }
  Config& Cfg() { return *game_->Cfg; }

  // Runs the frames and timer ticks of the next `ms` milliseconds.
  void Wait(uint64_t ms) {
    const uint64_t target = platform_->NowMicros() + ms * 1000;
    while (!game_->Terminated()) {
      uint64_t due = game_->NextDueMicros();
      if (due > target) break;
      if (due > platform_->NowMicros()) platform_->SetNow(due);
      game_->RunDue();
    }
    platform_->SetNow(target);
  }
  void Frames(int n) { Wait(uint64_t(n) * 17); }

  void Key(int vk, KeyMods mods = {}) { game_->OnKeyUp(vk, mods); }
  void Type(const std::string& utf8) { game_->OnTextInput(utf8); }
  void Move(int x, int y) { game_->OnMouseMove(x, y); }
  void Click(int x, int y) {
    Move(x, y);
    game_->OnMouseButton(MouseButton::Left, true, x, y);
    game_->OnMouseButton(MouseButton::Left, false, x, y);
  }

  // "sound NAME" notes since the last call.
  int Sounds(const std::string& name) {
    int n = 0;
    for (const std::string& note : audio_->TakeNotes())
      if (note == "sound " + name) ++n;
    return n;
  }
  void ForgetSounds() { audio_->TakeNotes(); }

  bool ButtonLit(int k) { return S().MenuButtons[k] && S().MenuButtons[k]->Lit; }
  std::string ConfigFile() { return (dir_ / "Config.cfg").string(); }

  std::filesystem::path dir_;
  HeadlessAudioOut* audio_ = nullptr;
  std::unique_ptr<HeadlessPlatform> platform_;
  std::unique_ptr<Game> game_;
};

}  // namespace klv::test
