#pragma once
// What the screens may ask of the game around them: the few moves between
// play and the menus, the hold, the sounds, the settings file and the table's
// replays. The game's window implements it; the screens decide when, the
// window does it. Everything else the screens see is in ScreenContext.

#include <cstdint>
#include <string>

#include "base/screen.h"

namespace klv {

class GameFlow {
 public:
  virtual ~GameFlow() = default;

  // The screen on show, and showing another (the caller builds its sprites).
  virtual Screen Shown() const = 0;
  virtual void Show(Screen screen) = 0;
  // The 8-bit frame number; texts blink on it.
  virtual uint8_t FrameNumber() const = 0;

  // Into and out of play.
  virtual void StartGame() = 0;
  // Escape in running play: the question, or the end of a finished game.
  virtual void StopGame() = 0;
  // "Да" to leaving the game: it is finished and stops.
  virtual void FinishGame() = 0;
  // A key or click in the second half of "КОНЕЦ ИГРЫ": the end of the game
  // comes at once instead of at the next tick.
  virtual void EndGameOver() = 0;
  // The play scene goes, the menu backdrop and the menu tune come back.
  virtual void BackToMenuScene() = 0;
  // The hold: the player's pause on and off, and the end of the hold
  // (the name entry is done).
  virtual void PauseHold() = 0;
  virtual void ResumeHold() = 0;
  virtual void ReleaseHold() = 0;

  // The window and the program.
  virtual void ApplyWindowMode() = 0;
  virtual void ShowMouseCursor(bool show) = 0;
  virtual void Quit() = 0;
  // Writes the settings file; false (a box has said why) when it failed.
  virtual bool SaveSettings() = 0;
  virtual void ShowMessage(const std::string& utf8) = 0;

  // Sounds: an effect when sound effects are on; the music on and off.
  virtual void PlayEffect(const char* name) = 0;
  virtual void ResumeMusic() = 0;
  virtual void MusicOff() = 0;

  // The table's replays: read again, all gone, the finished game's kept with
  // its new row; watching a row's (false when it has none or cannot play).
  virtual void RefreshRowReplays() = 0;
  virtual void ForgetRowReplays() = 0;
  virtual void TableEntryDone() = 0;
  virtual bool WatchRow(int row) = 0;
  // The finished game's replay under the name typed, for the world table;
  // empty when no game was recorded.
  virtual std::string NamedReplay(const std::string& name) const = 0;
};

}  // namespace klv
