#pragma once
// The rules of a game: levels and their quota, the round clock and the time
// bonus, landing a catch, the score display, spawning, and the scene a game
// is played in. The game's window owns one as Round1 and calls it on the
// timers' ticks and in the frame; the play sprites are given it.

#include <array>
#include <cstdint>

#include "base/screen.h"
#include "play/catch.h"
#include "play/play_result.h"
#include "play/quota.h"
#include "play/round_events.h"

namespace klv {

class Canvas;
class Catchable;
class Fon;
class LimitTime;
class Player;
class ToDoFish;
class Volna;
struct PlayContext;

// Why a level is set up: the first level of a new game, or the next level
// once the time left after a completed one has been counted.
enum class LevelStart : uint8_t { NewGame = 0, AfterBonus = 5 };

class Round : public PlayResult {
 public:
  explicit Round(PlayContext& context);
  Round(const Round&) = delete;
  Round& operator=(const Round&) = delete;

  // Start-up: the label columns and the ten hidden quota icons.
  void CreateTargetIcons();
  // A backdrop of scene 0 (the menu) or 1..3 (play); it becomes the current one.
  Fon* CreateBackdrop(int sceneNo);
  // The start of a game: the current backdrop goes, then a random play scene,
  // the time bar, the wave and the angler in slot 0; level 0, no points.
  void NewGame();
  // The steps of the rules below change the round and report what the game
  // must do about it (holds, sounds, the end of a game); they start and stop
  // no timer and play no sound themselves.
  //
  // Sets up the next level: the clock stands, "Level" from level 2 on. A new
  // game also gets the "Готовсь!" hold whose end starts the clock.
  [[nodiscard]] RoundEvents StartLevel(LevelStart reason);
  // The round clock's tick (every 10 ms while it runs): one tick less, or,
  // with the clock already at zero, the time is up ("Over").
  [[nodiscard]] RoundEvents TickClock();
  // The time bonus's tick (every 128 ms after a completed level): a second
  // of the time left becomes 5 points; under a second left, the bonus ends
  // and the next level is set up.
  [[nodiscard]] RoundEvents TickBonus();
  // The end of a hold: the angler shows again.
  void ShowAngler();
  // Each frame after the move pass (and the flush): hooked fish follow the
  // hook and those lifted above the water line are landed, newest first;
  // in running play the rising points go up ("Poimal" as they start). The
  // catches landed here are still drawn in this frame and go at the next
  // flush. Also reports what happened during the move pass: the reel's sound
  // and what the objects landed there brought.
  // The last wanted fish completes the level.
  [[nodiscard]] RoundEvents AfterMove();
  // Each frame in running play, after the picture is drawn: new fish,
  // objects and bubbles, first drawn (and moved) in the next frame.
  void Spawn();
  // The screen on show, told by the game's window before every move pass;
  // the play sprites ask the round what it means for them.
  void Show(Screen onScreen) { onScreen_ = onScreen; }
  // Play is on screen, running or held: bubbles rise, the rising points go up.
  bool PlayShown() const { return onScreen_ == Screen::Game; }
  // The water is on screen, under the exit question too: fish and objects stay.
  bool WaterShown() const {
    return onScreen_ == Screen::Game || onScreen_ == Screen::ExitGameQuestion;
  }
  // The main menu is back: an angler left over goes.
  bool MenuShown() const { return onScreen_ == Screen::Menu; }

  // The round display, drawn each frame of play (running or held); changes
  // nothing.
  void Draw(Canvas& canvas) const;
  void HideTargetIcons();
  // The end of a game: the angler with its tackle, the wave, the time bar and
  // the scene with its weeds are marked dead. The caller makes a new backdrop.
  void RemoveScene();

  // The local angler's score (the angler's own Score changes it); without
  // an angler it reads as zero.
  Score AnglerScore() const override;
  int Level() const override { return LevelNo; }

  // Used by the play sprites.
  Player* Angler(int index) const;  // none when the slot is empty or out of range
  Player* LocalAngler() const { return Angler(LocalPlayer); }

  // What the fish and objects tell the round; it keeps the counts, the
  // rising points and the score.
  //
  // The kind of a new fish, drawn from the quota (later entries less often).
  int DrawFishKind();
  // A treasure has come to lie on the bottom.
  void LaidOnTheBottom();
  // A hook took it: the angler has a catch, and the rising points count
  // `shownPoints`.
  void Taken(const Catchable& c, int shownPoints);
  // It left the screen uncaught.
  void Gone(const Catchable& c);
  // The angler's reel: "Up" plays from its start as the hook begins to wind
  // up, and stops as the hook is lowered or is back at the top.
  void ReelStarts() { happened_.Play("Up"); }
  void ReelStops() { happened_.Stop("Up"); }
  // The one way a catch is landed: hooked, it follows its angler's hook, and
  // once lifted above the water line it is landed and marked dead. Fish are
  // reeled in by AfterMove, objects by their own step.
  void Reel(Catchable& c);
  // Adds seconds to the round clock, never above the level's time limit.
  void AddTime(double seconds);

  // Round state.
  uint16_t LevelNo = 0;
  TargetTable Targets{};  // entries 1..TargetCount
  uint8_t TargetCount = 0;
  uint8_t TargetsDone = 0;
  std::array<int16_t, 11> TargetLabelX{};   // label columns by fish kind 1..10
  std::array<ToDoFish*, 11> TargetIcons{};  // icons by fish kind 1..10
  int32_t TimeLimit = 0;                    // seconds
  int32_t RoundClock = 0;                   // 10-ms ticks left
  uint8_t FishCount = 0;
  uint8_t ObjectCount = 0;
  uint8_t BottomObjectCount = 0;
  uint16_t ScorePopupY = 0;
  int32_t ScorePopupValue = 0;
  bool ScorePopupShown = false;
  bool CatchSoundDue = false;

  // Anglers and scene. The pointers are cleared when their sprites are marked
  // dead, so they never outlive them.
  std::array<Player*, 6> Players{};
  uint8_t LocalPlayer = 0;
  uint8_t SceneNo = 0;
  Fon* Backdrop = nullptr;  // the current backdrop: the menu's or the play scene
  Volna* Wave = nullptr;
  LimitTime* TimeBar = nullptr;

 private:
  // A catch lifted above the water line by the angler: its points and its
  // time, the rising points from the float, one fish or object fewer, and
  // for a fish of this level the quota (which may complete the level).
  void Land(const Catch& c, Player& owner);
  void BuildScene();
  void SetUpLevel(LevelStart reason);
  RoundEvents TakeEvents();
  void CountCatch(int kind);
  void SpawnFish();
  void SpawnObject();

  PlayContext& ctx_;
  RoundEvents happened_;  // since the last step that reported
  Screen onScreen_ = Screen::None;
};

}  // namespace klv
