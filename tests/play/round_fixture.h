#pragma once
// A round on its own: the tiny pictures read from memory, a sprite engine
// drawing into a surface of its own, a hold whose timers are plain flags and
// sound effects kept as a list. No game, no files, no platform, no clock: a
// frame is play's share of the game's frame, run by hand, and what the
// round's steps report is acted on as the game's frame does.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/canvas.h"
#include "engine/input_states.h"
#include "engine/picture_collection.h"
#include "engine/random.h"
#include "engine/sprite_engine.h"
#include "engine/surface.h"
#include "play/play_context.h"
#include "play/player.h"
#include "play/round.h"
#include "support/play_sprites.h"
#include "support/tiny_game_data.h"

namespace klv::test {

// The timers of play as flags: what the round's reports started and stopped.
class FlagHold : public PlayHold {
 public:
  bool Held() const override { return HoldOn; }
  bool Paused() const override { return PausedOn; }
  bool BonusRunning() const override { return BonusOn; }

  bool ClockOn = false;
  bool HoldOn = false;
  bool BonusOn = false;
  bool PausedOn = false;
};

// Every effect played or stopped, in order ("sound Up", "stop Up", "silence").
class EffectList {
 public:
  void PlayEffect(const char* name) { Notes.push_back(std::string("sound ") + name); }
  void StopEffect(const char* name) { Notes.push_back(std::string("stop ") + name); }
  void SilenceAll() { Notes.push_back("silence"); }
  int Count(const std::string& note) const {
    int n = 0;
    for (const std::string& s : Notes) n += s == note;
    return n;
  }
  std::vector<std::string> Notes;
};

class RoundFixture : public ::testing::Test {
 protected:
  // A new game's first level, its "Готовсь!" hold over and its clock running.
  void SetUp() override {
    Load(gameImgs_, GamePictures(), "GameImgs");
    Load(menuImgs_, MenuPictures(), "MenuImgs");
    engine_.SetTarget(&back_);
    input_.BindStartupKeys();
    round_.CreateTargetIcons();
    round_.CreateBackdrop(0);
    round_.NewGame();
    StartLevel(LevelStart::NewGame);
    hold_.HoldOn = false;
    hold_.ClockOn = true;
    round_.ShowAngler();
    effects_.Notes.clear();
  }

  Round& R() { return round_; }
  Player& P() { return *round_.Players[0]; }
  Kruk& Hook() { return *P().Hook; }
  SpriteEngine& Engine() { return engine_; }

  // The round's steps, their reports acted on at once.
  void StartLevel(LevelStart reason) { Act(round_.StartLevel(reason)); }
  void TickBonus() { Act(round_.TickBonus()); }
  // What the game's frame does with a report: the hold's timers, the sounds
  // in order, and at the end of the time the hold of a finished game.
  void Act(const RoundEvents& e) {
    if (e.BonusOver) hold_.BonusOn = false;
    if (e.LevelStarted) hold_.ClockOn = false;
    if (e.LevelComplete) hold_.ClockOn = false, hold_.HoldOn = true, hold_.BonusOn = true;
    if (e.GetReady) hold_.HoldOn = true;
    for (const SoundCue& cue : e.Sounds) {
      if (cue.What == SoundCue::Act::Play)
        effects_.PlayEffect(cue.Effect);
      else if (cue.What == SoundCue::Act::Stop)
        effects_.StopEffect(cue.Effect);
      else
        effects_.SilenceAll();
    }
    if (e.TimeUp) hold_.PausedOn = true, hold_.HoldOn = true, hold_.ClockOn = false;
  }

  // One frame of play: the move pass, the flush, the landings and the
  // rising points, the picture with the round display, and spawning when
  // asked for (it draws from the generator).
  void Frames(int n, bool spawn = false) {
    for (int i = 0; i < n; ++i) {
      ++frameCounter_;
      round_.Show(screen_);
      engine_.Move(frameCounter_);
      engine_.FlushDead();
      Act(round_.AfterMove());
      engine_.Draw();
      round_.Draw(canvas_);
      if (spawn && screen_ == Screen::Game) round_.Spawn();
    }
  }
  // The play keys held (the input states polled each frame).
  void HoldKeys(std::initializer_list<int> keys) {
    std::array<bool, 256> held{};
    for (int k : keys) held[k] = true;
    input_.Update(held, JoystickState{}, true);
  }

  template <class T>
  int CountOf() {
    return test::CountOf<T>(engine_);
  }
  Fish* MakeFish(int kind, int x, int y, bool facesLeft = false) {
    return test::MakeFish(ctx_, round_, kind, x, y, facesLeft);
  }
  // A fish hooked while the hook rests at the top; the next frame lands it.
  Fish* HookedFish(int kind) {
    Fish* f = MakeFish(kind, 300, 300);
    HitWithHook(*f, Hook());
    return f;
  }

  static void Load(PictureCollection& images, const std::vector<Pic>& pictures,
                   const std::string& name) {
    const std::vector<uint8_t> bytes = CollectionBytes(pictures);
    images.LoadFromMemory(bytes.data(), bytes.size(), name);
  }

  Random rng_{7};
  PictureCollection gameImgs_;
  PictureCollection menuImgs_;
  Surface back_{800, 600, 0xFF000000u};
  SpriteEngine engine_;
  FlagHold hold_;
  EffectList effects_;
  InputStates input_;
  MouseFlags mouse_;
  Screen screen_ = Screen::Game;
  uint8_t frameCounter_ = 0;
  Canvas canvas_;  // draws no text: it has no fonts
  PlayContext ctx_{rng_, gameImgs_, menuImgs_, engine_, hold_, input_, mouse_};
  Round round_{ctx_};
};

}  // namespace klv::test
