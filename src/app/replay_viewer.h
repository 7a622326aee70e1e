#pragma once
// Shows a recorded game in the window at the pace it was played: the game
// rebuilt by a ReplayGame, its pictures shown with "Повтор" over them. P or
// Pause pauses, F plays it four times as fast, Esc or a click ends it; losing
// the window's focus pauses it. A replay is silent and leaves the game that
// shows it as it was: it has settings, a table and a clock of its own.

#include <cstdint>
#include <memory>
#include <string>

#include "engine/canvas.h"
#include "engine/surface.h"
#include "platform/platform.h"
#include "replay/replay_file.h"

namespace klv {

class ReplayGame;

class ReplayViewer : public EventSink {
 public:
  // `screen` is the window; `shown` the surface the viewer presents to it,
  // which must outlive the viewer's use of the window (the game's own frame
  // on screen). Starts at once; throws ReplayError or KlvError when the
  // replay cannot be played.
  ReplayViewer(Platform& screen, Surface& shown, const ReplayFile& replay,
               const std::string& appDir);
  ~ReplayViewer() override;
  ReplayViewer(const ReplayViewer&) = delete;
  ReplayViewer& operator=(const ReplayViewer&) = delete;

  // Runs every recorded pass whose time has come on the window's clock.
  void RunDue();
  // When the next pass falls due on the window's clock.
  uint64_t NextDueMicros();

  // The replay played to its end, was ended by the player, or broke.
  bool Ended() const { return ended_; }
  bool EndedByPlayer() const { return byPlayer_; }
  // Why a replay broke off midway ("" when it did not).
  const std::string& Error() const { return error_; }
  bool Paused() const { return paused_; }
  int Speed() const { return speed_; }

  void SetPaused(bool paused);
  void SetSpeed(int speed);
  void Stop();

  // The window's events while the replay is shown.
  void OnKeyUp(int vk, KeyMods mods) override;
  void OnMouseButton(MouseButton button, bool down, int x, int y) override;
  void OnPadButton(PadButton button, bool down) override;
  void OnCloseRequest() override { Stop(); }
  void OnEndSession() override { Stop(); }
  void OnActivate(bool active) override;
  void OnMinimize() override { SetPaused(true); }

  static constexpr int kFastSpeed = 4;

 private:
  class Output;
  friend class Output;
  // A frame of the replayed game: kept, and shown with the viewer's texts.
  void TakeFrame(const Surface& frame);
  void Show();
  void Anchor();
  uint64_t ReplayTarget(uint64_t screenUs) const;

  Platform& screen_;
  Surface& shown_;
  ReplayFile replay_;
  std::unique_ptr<Output> output_;
  std::unique_ptr<ReplayGame> game_;
  Surface frame_;  // the replayed game's last frame
  Canvas canvas_;
  // The replay's clock runs at speed_ times the window's from these.
  uint64_t anchorScreenUs_ = 0;
  uint64_t anchorReplayUs_ = 0;
  int speed_ = 1;
  bool paused_ = false;
  bool ended_ = false;
  bool byPlayer_ = false;
  std::string error_;
};

}  // namespace klv
