#pragma once
// The game's main window: it owns every component and all game state, runs the
// start-up sequence, the frame loop and the message timers, and turns window
// events into the actions of the current screen. It schedules; the round
// (play's rules) and the screens decide.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/game_snapshot.h"
#include "app/hold.h"
#include "app/message_timer.h"
#include "base/screen.h"
#include "engine/canvas.h"
#include "engine/draw_list.h"
#include "engine/frame_timer.h"
#include "engine/picture_collection.h"
#include "engine/random.h"
#include "engine/surface.h"
#include "online/world_submission.h"
#include "platform/platform.h"
#include "play/play_context.h"
#include "play/round_events.h"
#include "screens/game_flow.h"

namespace klv {

struct Config;
class SpriteEngine;
class InputStates;
class SoundSystem;
class Round;
class Screens;
struct ScreenContext;
class GameRecorder;
class ReplayViewer;

// Where the game keeps its files: AppDir holds Data/ and Sound/; the settings
// file lives there too unless that folder is not writable.
struct GamePaths {
  std::string AppDir;   // with a trailing '/'
  std::string UserDir;  // per-user data folder, with a trailing '/', may be empty
  // When set, Config.cfg lives here whatever AppDir allows (an installed game
  // keeps it in the player's own data folder).
  std::string ConfigDir;
  // No folder can keep the settings (the player's data folder can't be made
  // or written, and the game's own is no place for them): they live in
  // memory, no file is written, and the player is told once at start-up.
  // UnusableDir is the folder that was tried (empty when no home is known),
  // UnusableError why it failed (an errno value).
  bool SettingsInMemory = false;
  std::string UnusableDir;
  int UnusableError = 0;
};

class Game : public EventSink, public GameFlow {
  // Kept first so that they outlive every part of the game that refers to
  // them.
  GamePaths Paths;
  std::string AppDir;                   // Paths.AppDir: Data/ and Sound/ are read from here
  Surface BackBuffer;                   // every frame is drawn here, then presented
  std::unique_ptr<InputStates> Input1;  // the angler's keys and the gamepad, polled each frame

 public:
  Game(Platform& platform, GamePaths paths, uint64_t seed);
  ~Game() override;
  Game(const Game&) = delete;
  Game& operator=(const Game&) = delete;

  // The start-up sequence. Throws on a failure that leaves no usable screen.
  void FormCreate();

  // Runs every frame and timer tick that is due on the platform clock, in
  // due-time order. NextDueMicros says when the next one falls due.
  void RunDue();
  uint64_t NextDueMicros() const;
  bool Terminated() const { return terminated_; }
  // What the script runner, the tools and the tests read of the game.
  GameSnapshot Snapshot() const;

  // Window events.
  void OnKeyDown(int vk, KeyMods mods) override;
  void OnKeyUp(int vk, KeyMods mods) override;
  void OnTextInput(const std::string& utf8) override;
  void OnMouseMove(int x, int y) override;
  void OnMouseButton(MouseButton button, bool down, int x, int y) override;
  void OnPadButton(PadButton button, bool down) override;
  void OnCloseRequest() override;  // FormCloseQuery
  void OnActivate(bool active) override;
  void OnMaximize() override;
  void OnMinimize() override;
  void OnPadLost() override;
  void OnEndSession() override;

  // Shell operations used across the game.
  void StartGame() override;
  void StopGame() override;
  // The end of a game: the play scene goes, the menu backdrop and the menu
  // tune come back (the caller shows a screen).
  void BackToMenuScene() override;
  // Holds running play with the pause (P or Escape resumes); nothing outside play.
  void PausePlay();
  void ApplyWindowMode() override;
  void ShowMouseCursor(bool show) override;
  void Terminate() { terminated_ = true; }
  // Writes Config.cfg; a failure shows the system's reason in a box. Returns
  // whether the file was written, or the settings are kept in memory only.
  bool SaveSettings() override;
  void ShowMessage(const std::string& utf8) override;
  // Plays an effect when sound effects are on.
  void PlayEffect(const char* name) override;
  void StopEffect(const char* name);
  // Stops every effect, whatever the sound setting.
  void SilenceAll();
  bool SoundOn() const;
  bool MusicOn() const;
  void StartMenuMusic();
  void StartPlayMusic();
  void ResumeMusic() override;

  // Timers: Timer1 round clock (10 ms), Timer2 hold (2 s), Timer3 end of a
  // game (2 s), Timer4 time bonus (128 ms).
  void SetTimer(MessageTimer& t, bool on) { t.SetEnabled(on, platform.NowMicros()); }
  bool Held() const { return Hold1.Held(); }

  Platform& platform;
  std::string ConfigDir;  // where Config.cfg is read and written; empty: nowhere

  Screen GameState = Screen::None;
  uint8_t FrameCounter = 0;
  bool GameFinished = false;

  MessageTimer Timer3{2000};
  FrameTimer FrameTimer1;
  // Pause and hold: the pause flag and Timer1, Timer2 and Timer4.
  Hold Hold1{platform};

  Random Rng;
  Surface Presented;  // what is on screen: the last frame that differed
  Canvas Canvas1;
  PictureCollection MenuImgs;
  PictureCollection GameImgs;

  std::unique_ptr<Config> Cfg;  // the settings and score record
  std::unique_ptr<SpriteEngine> SpriteEngine1;
  std::unique_ptr<SoundSystem> Sound1;
  // Mouse flags for play, set by mouse movement and the left button.
  MouseFlags Mouse;
  // What play is given of the game: generator, pictures, engine, hold,
  // effects, controls, the screen.
  std::unique_ptr<PlayContext> Play1;
  std::unique_ptr<Round> Round1;  // play: angler, fish, scenery, round rules
  // What the screens are given of the game.
  std::unique_ptr<ScreenContext> ScreenContext1;
  std::unique_ptr<Screens> Screens1;  // menus, keyboard and mouse, high scores

  int LastMouseX = 0;
  int LastMouseY = 0;  // where the pointer was last seen, for the script runner

  // Records every game from StartGame to its end; none when null.
  GameRecorder* Recorder = nullptr;

  // The window mode the command line asks for instead of the settings' (and
  // then keeps, as a choice on the options screen would); none when it asks
  // for none.
  std::optional<bool> StartWindowed;

  // Whether frames are drawn and shown. Drawing changes nothing of the game,
  // so a replay that is only checked (not watched) plays without it.
  bool DrawFrames = true;
  // Whether a frame draws (and shows) only what changed since the last one;
  // off, every frame is drawn whole (tests compare the two).
  bool DrawChangesOnly = true;
  // Makes the next frame draw and show the whole picture.
  void RedrawAll() { redrawAll_ = true; }

  // The replays the table keeps, one per row ("" for a row without one),
  // as last read from the replays folder.
  std::array<std::string, 10> RowReplays;
  // Reads which rows have a replay.
  void RefreshRowReplays() override;
  // Removes the replays of rows that left the table, then reads them again.
  void PruneRowReplays();
  // The table was cleared: every row's replay goes.
  void ForgetRowReplays() override;
  // The name entry has put the score into the table: the game's replay is
  // kept with its row now, before the high-score screen shows its mark.
  void TableEntryDone() override;

  // Watching a row's replay over the high-score screen, which stays as it
  // is underneath: the game's own frames and timers stand still meanwhile.
  // Returns false (a box says why) when the replay cannot be played.
  bool WatchRow(int row) override;
  bool WatchReplay(const std::string& path);
  void StopWatching();
  bool Watching() const { return Viewer != nullptr; }
  std::unique_ptr<ReplayViewer> Viewer;

  // The world-table service's base address.
  std::string ScoreService = KLV_SCORE_SERVICE;
  // Starts a world-table submission; none is sent when empty (a replay, or a
  // program built without the network).
  WorldSubmissionStarter StartSubmission;

 private:
  // The screens' side of the game (GameFlow); the rest of it is above.
  Screen Shown() const override { return GameState; }
  void Show(Screen screen) override { GameState = screen; }
  uint8_t FrameNumber() const override { return FrameCounter; }
  void FinishGame() override;
  void EndGameOver() override;
  void PauseHold() override { Hold1.PausePlay(); }
  void ResumeHold() override { Hold1.ResumePlay(); }
  void ReleaseHold() override { Hold1.Release(); }
  void Quit() override { Terminate(); }
  void MusicOff() override;
  std::string NamedReplay(const std::string& name) const override;

  // Settings with no folder to keep them: read from the game's folder when
  // it has a record, else the defaults; the player is told.
  void LoadSettingsIntoMemory();
  void FrameTimer1Timer();
  void Timer1Timer();
  void Timer2Timer();
  void Timer3Timer();
  void Timer4Timer();
  void Act(const RoundEvents& e);
  void DrawStateTexts();
  bool BackdropCoversScreen() const;
  void DrawChanges();
  // What this frame and the last one drew, the regions that differ, and
  // whether the next frame is drawn whole (the first, a screen switch, a
  // picture upload, the end of a replay shown over the game).
  DrawList frameOps_, lastFrameOps_;
  std::vector<Rect> regions_;
  bool redrawAll_ = true;
  Screen drawnState_ = Screen::None;

  bool terminated_ = false;
  bool cursorShown_ = true;
};

}  // namespace klv
