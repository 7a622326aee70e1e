#include "app/game.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <unordered_map>

#include "app/game_recorder.h"
#include "app/replay_viewer.h"
#include "app/sound_system.h"
#include "base/text_colours.h"
#include "engine/cp1251.h"
#include "engine/errors.h"
#include "engine/input_states.h"
#include "engine/sprite_engine.h"
#include "engine/surface.h"
#include "play/fon.h"
#include "play/player.h"
#include "play/round.h"
#include "replay/replay_shelf.h"
#include "screens/screen_context.h"
#include "screens/screen_table.h"
#include "screens/screens.h"
#include "settings/config.h"
#include "settings/os_error_text.h"

namespace klv {
namespace {

const std::string& Cp(const char* utf8) {
  // Game texts are written here in UTF-8 and drawn as code page 1251.
  static std::unordered_map<const char*, std::string> cache;
  auto it = cache.find(utf8);
  if (it == cache.end()) it = cache.emplace(utf8, Utf8ToCp1251(utf8)).first;
  return it->second;
}

}  // namespace

Game::Game(Platform& p, GamePaths paths, uint64_t seed)
    : Paths(std::move(paths)), platform(p), Rng(seed) {
  AppDir = Paths.AppDir;
  BackBuffer.Resize(800, 600, 0xFF000000u);
  Presented.Resize(800, 600, 0xFF000000u);
  Canvas1.Attach(&BackBuffer, &platform);
  Cfg = std::make_unique<Config>();
  SpriteEngine1 = std::make_unique<SpriteEngine>();
  SpriteEngine1->SetTarget(&BackBuffer);
  Input1 = std::make_unique<InputStates>();
  Sound1 = std::make_unique<SoundSystem>(platform.Audio(), AppDir);
  Sound1->SetMessageHandler([this](const std::string& text) { ShowMessage(text); });
  Play1 = std::unique_ptr<PlayContext>(
      new PlayContext{Rng, GameImgs, MenuImgs, *SpriteEngine1, Hold1, *Input1, Mouse});
  Round1 = std::make_unique<Round>(*Play1);
  // The screens keep their own copy of what they are given.
  Screens1 = std::make_unique<Screens>(
      ScreenContext{*this, platform, AppDir, MenuImgs, *SpriteEngine1, Canvas1, BackBuffer, *Cfg,
                    Hold1, FrameTimer1, Mouse, LastMouseX, ScoreService, StartSubmission,
                    RowReplays},
      *Round1);
  FrameTimer1.SetInterval(16);
}

Game::~Game() {
  // Sprites refer to the round and the screens: they go first.
  SpriteEngine1.reset();
  Screens1.reset();
  Round1.reset();
}

void Game::FormCreate() {
  // 1-2: the settings file, beside the game or in the player's data folder.
  if (Paths.SettingsInMemory) {
    LoadSettingsIntoMemory();
  } else {
    ConfigDir = Paths.ConfigDir.empty() ? ChooseConfigDir(AppDir, Paths.UserDir) : Paths.ConfigDir;
    // Settings kept apart from the game's folder start from the folder's own
    // file the first time.
    ConfigLoadResult loaded = LoadConfig(ConfigDir, *Cfg, RealConfigFileSystem(), AppDir);
    if (!loaded.Notice.empty()) ShowMessage(loaded.Notice);
    if (!loaded.Save.Ok()) ShowMessage(loaded.Save.Message);
    if (loaded.CloseFailed) ShowMessage("Please delete file Config.cfg");
  }
  FrameTimer1.SetEnabled(true, platform.NowMicros());
  FrameTimer1.SetActive(platform.Active(), platform.NowMicros());
  // 3: full screen when the settings (or the command line) say so.
  const bool override = StartWindowed && *StartWindowed != Cfg->Windowed;
  if (override) Cfg->Windowed = *StartWindowed;
  if (!Cfg->Windowed || override) ApplyWindowMode();
  // 4: the menu tune.
  if (Cfg->Music) StartMenuMusic();
  // 5-6: the generator was seeded when the game was made; each image
  // collection brings its own colour table.
  // 7: Ctrl, Down and Space lower the hook.
  Input1->BindStartupKeys();
  // 8: the pictures, the two collections read side by side.
  LoadCollections(MenuImgs, AppDir + "Data/MenuImgs.icf", GameImgs, AppDir + "Data/GameImgs.icf");
  MenuImgs.UploadAll();
  GameImgs.UploadAll();
  RedrawAll();
  // 9-10: the quota icons.
  Round1->CreateTargetIcons();
  // 11-13.
  Hold1.Release();
  Screens1->CreateSendCheck();
  Round1->CreateBackdrop(0);
  // 14-15: the text colours are constants.
  Screens1->ShowFirstMenu();
}

void Game::LoadSettingsIntoMemory() {
  ConfigDir.clear();
  // The game folder's own file, when it holds a record, is where the
  // settings start; it is only read. Else the defaults.
  std::vector<uint8_t> bytes;
  int closeError = 0;
  if (RealConfigFileSystem().ReadFile(ConfigPath(AppDir), kConfigSize, bytes, closeError) != 0)
    bytes.clear();
  ConfigFromFileBytes(bytes, *Cfg);
  const std::string why =
      Paths.UnusableDir.empty()
          ? "не найдена домашняя папка"
          : "папка " + Paths.UnusableDir + " недоступна (" + OsErrorText(Paths.UnusableError) + ")";
  const std::string notice = "Настройки и таблица рекордов не будут сохранены: " + why +
                             ".\nИграть можно, но после выхода из игры они забудутся.";
  // Said in the terminal (or the log of whatever started the game) as well.
  std::fprintf(stderr, "klevaria: %s\n", notice.c_str());
  ShowMessage(notice);
}

// --- Scheduling -----------------------------------------------------------

uint64_t Game::NextDueMicros() const {
  if (Viewer) return Viewer->NextDueMicros();
  uint64_t due = ~0ull;
  if (FrameTimer1.Running()) due = std::min(due, FrameTimer1.DueUs());
  const Hold& hold = Hold1;
  for (const MessageTimer* t : {&hold.Clock(), &hold.HoldTimer(), &Timer3, &hold.Bonus()})
    if (t->Enabled()) due = std::min(due, t->DueUs());
  return due;
}

void Game::RunDue() {
  if (Viewer) {
    Viewer->RunDue();
    if (Viewer->Ended()) StopWatching();
    return;
  }
  const uint64_t now = platform.NowMicros();
  // Due work in due-time order; a bound keeps a broken timer from looping.
  for (int guard = 0; guard < 10000 && !terminated_; ++guard) {
    MessageTimer* timers[] = {&Hold1.TickedClock(), &Hold1.TickedHold(), &Timer3,
                              &Hold1.TickedBonus()};
    MessageTimer* next = nullptr;
    for (MessageTimer* t : timers)
      if (t->Enabled() && t->DueUs() <= now && (!next || t->DueUs() < next->DueUs())) next = t;
    bool frameDue = FrameTimer1.Running() && FrameTimer1.DueUs() <= now;
    if (frameDue && (!next || FrameTimer1.DueUs() <= next->DueUs())) {
      FrameTimer1.TakeTick(now);
      FrameTimer1Timer();
      continue;
    }
    if (!next) break;
    next->Ticked(now);
    if (next == &Hold1.TickedClock())
      Timer1Timer();
    else if (next == &Hold1.TickedHold())
      Timer2Timer();
    else if (next == &Timer3)
      Timer3Timer();
    else
      Timer4Timer();
  }
}

// --- The frame --------------------------------------------------------------

void Game::FrameTimer1Timer() {
  Screens1->PollSubmission();
  // The platform is polled in a fixed order: a recorded game is replayed poll by poll.
  const std::array<bool, 256>& keys = platform.KeysHeld();
  const JoystickState pad = platform.Joystick();
  const bool active = platform.Active();
  Input1->Update(keys, pad, active);
  ++FrameCounter;
  // Every rule of the frame runs before the picture is drawn, except what
  // the picture must not show yet: catches are landed after the flush (a
  // landed fish still shows where it was lifted, and the time bar and the
  // display show what it brought), new fish, objects and bubbles come after
  // the picture (they first show once they have moved), and the options'
  // settings light up after it (a change shows from the next frame).
  Round1->Show(GameState);
  SpriteEngine1->Move(FrameCounter);
  SpriteEngine1->FlushDead();
  Act(Round1->AfterMove());
  // The frame is first written down, not drawn (drawing changes nothing of
  // the game, so doing it after the move pass changes no picture): the back
  // buffer is cleared to black unless an opaque backdrop covers all of it,
  // then come the sprites in depth order and the texts.
  if (drawFrames_) {
    BackBuffer.SetRecorder(&frameOps_);
    frameOps_.Clear();
    if (!BackdropCoversScreen()) BackBuffer.Fill(0xFF000000u);
    SpriteEngine1->Draw();
    DrawStateTexts();
    BackBuffer.SetRecorder(nullptr);
  }
  if (GameState == Screen::Options) Screens1->LightSettings();
  if (GameState == Screen::Game) Round1->Spawn();
  if (!drawFrames_) return;
  DrawChanges();
}

void Game::DrawChanges() {
  // Only the regions where this frame's drawing differs from the last one's
  // are drawn again, each from the bottom up (a backdrop or the black fill
  // covers every pixel first), so what the back buffer held there before
  // does not matter, and copied to the picture on screen, which keeps the
  // rest of the last frame. The menus stand still most of the time, and in
  // play only the angler, the fish and a few texts move.
  const Rect screen = Rect::Bounds(0, 0, BackBuffer.Width(), BackBuffer.Height());
  if (redrawAll_ || !DrawChangesOnly || GameState != drawnState_ ||
      Presented.Width() != BackBuffer.Width() || Presented.Height() != BackBuffer.Height()) {
    regions_.assign(1, screen);
    if (Presented.Width() != BackBuffer.Width() || Presented.Height() != BackBuffer.Height())
      Presented.Resize(BackBuffer.Width(), BackBuffer.Height());
  } else {
    frameOps_.Changes(lastFrameOps_, screen, regions_);
  }
  redrawAll_ = false;
  drawnState_ = GameState;
  frameOps_.Paint(BackBuffer, Canvas1, regions_);
  std::swap(frameOps_, lastFrameOps_);
  if (regions_.size() == 1 && regions_[0] == screen) {
    // Drawn whole: the two buffers trade places instead of copying (a busy
    // scene changes most of the picture every frame).
    Presented.SwapPixels(BackBuffer);
  } else {
    for (const Rect& r : regions_) {
      for (int y = r.Top; y < r.Bottom; ++y)
        std::copy(BackBuffer.Row(y) + r.Left, BackBuffer.Row(y) + r.Right,
                  Presented.Row(y) + r.Left);
    }
  }
  // An unchanged picture keeps its version: the platform sends nothing.
  if (!regions_.empty()) Presented.Touch();
  platform.PresentChanges(Presented, regions_);
}

bool Game::BackdropCoversScreen() const {
  const Fon* fon = Round1->Backdrop;
  if (!fon || !fon->Visible || !fon->Image || fon->Dying()) return false;
  const int frame = fon->CurrentFrame();
  const Rect box = fon->Bounds();
  return box.Left <= 0 && box.Top <= 0 && box.Right >= BackBuffer.Width() &&
         box.Bottom >= BackBuffer.Height() && fon->Image->FrameWidth() == fon->Width &&
         fon->Image->FrameHeight() == fon->Height && fon->Image->FrameOpaque(frame);
}

void Game::DrawStateTexts() {
  Canvas1.SetFont(Face::Comic, 25, true, Rgb(255, 0, 0));
  if (GameState == Screen::Options) Screens1->DrawOptionsOverlay();
  // The credit line in every state; its font is the one later texts that
  // set none of their own are drawn with.
  Canvas1.SetFont(Face::Comic, 16, true, kTextGold);
  Screens1->DrawCredit();
  switch (GameState) {
    case Screen::HiScores:
      Screens1->DrawHiScores();
      break;
    case Screen::EnterName:
      Screens1->DrawNameEntry();
      break;
    case Screen::Game:
      Round1->Draw(Canvas1);
      if (Hold1.Held() && !Hold1.BonusRunning() && Hold1.Paused()) {
        Canvas1.SetFont(Face::Comic, 25, true, Rgb(255, 255, 255));
        Canvas1.TextOut(360, 285, Cp("Пауза"));
      }
      break;
    case Screen::GameOver:
    case Screen::GameOver2:
      Canvas1.SetFont(Face::Comic, 25, true, kTextGold);
      Canvas1.TextOut(270, 280, Cp("КОНЕЦ ИГРЫ"));
      break;
    case Screen::ExitQuestion:
    case Screen::ExitGameQuestion:
      Screens1->DrawQuestion();
      break;
    case Screen::None:
    case Screen::Menu:
    case Screen::Options:
    case Screen::Help:
      break;
  }
}

// --- Timers -------------------------------------------------------------------

void Game::Timer1Timer() {
  Act(Round1->TickClock());
}

void Game::Timer2Timer() {
  if (!Hold1.EndHold()) return;
  Round1->ShowAngler();
  GameState = Screen::Game;
}

void Game::Timer3Timer() {
  if (GameState == Screen::GameOver) {
    GameState = Screen::GameOver2;
  } else if (GameState == Screen::GameOver2) {
    Screens1->RemoveAskBox();
    StopGame();
  }
}

void Game::Timer4Timer() {
  Act(Round1->TickBonus());
}

// What the round's rules brought about, acted on at once: first the timers
// of the hold, then the sounds in the order the rules gave them, then the
// end of a game.
void Game::Act(const RoundEvents& e) {
  if (e.BonusOver) Hold1.StopBonus();
  if (e.LevelStarted) Hold1.StopClock();
  if (e.LevelComplete) Hold1.HoldForBonus();
  if (e.GetReady) Hold1.StartHold();
  for (const SoundCue& cue : e.Sounds) {
    switch (cue.What) {
      case SoundCue::Act::Play:
        PlayEffect(cue.Effect);
        break;
      case SoundCue::Act::Stop:
        StopEffect(cue.Effect);
        break;
      case SoundCue::Act::SilenceAll:
        SilenceAll();
        break;
    }
  }
  if (!e.TimeUp) return;
  // Time is up: "КОНЕЦ ИГРЫ" for two seconds, then two more (Timer3).
  GameState = Screen::GameOver;
  Screens1->AskQuestion();
  GameFinished = true;
  Hold1.PausePlay();
  SetTimer(Timer3, true);
}

// --- Starting and stopping a game ----------------------------------------------

void Game::StartGame() {
  // The recording begins from the game as it stands before anything of the
  // new game happens.
  if (Recorder) Recorder->GameStarting();
  // Every game starts from stopped timers, so its "Готовсь!" hold runs the
  // full two seconds whatever the last game left behind.
  Hold1.Reset();
  SetTimer(Timer3, false);
  Screens1->LeaveMenuForGame();
  Round1->NewGame();
  GameFinished = false;
  ShowMouseCursor(false);
  if (Cfg->Music) StartPlayMusic();
  GameState = Screen::Game;
  Act(Round1->StartLevel(LevelStart::NewGame));
}

void Game::StopGame() {
  if (SoundOn()) SilenceAll();
  ShowMouseCursor(true);
  Hold1.PausePlay();
  SetTimer(Timer3, false);
  if (!GameFinished) {
    GameState = Screen::ExitGameQuestion;
    Screens1->AskQuestion();
    return;
  }
  Round1->HideTargetIcons();
  Hold1.Stop();
  // A score that beats the tenth entry goes into the table.
  if (Screens1->QualifiesForTable()) {
    Screens1->EnterNameEntry();
    return;
  }
  BackToMenuScene();
  Screens1->Show(Screen::Menu);
}

void Game::FinishGame() {
  GameFinished = true;
  StopGame();
}

void Game::EndGameOver() {
  SetTimer(Timer3, false);
  StopGame();
}

void Game::BackToMenuScene() {
  Round1->RemoveScene();
  Round1->CreateBackdrop(0);
  if (Cfg->Music) StartMenuMusic();
}

// --- Window -----------------------------------------------------------------------

void Game::ApplyWindowMode() {
  const uint64_t now = platform.NowMicros();
  FrameTimer1.SetEnabled(false, now);
  platform.SetFullscreen(!Cfg->Windowed);
  // The back buffer and every frame live in memory: nothing to upload again.
  SaveSettings();
  FrameTimer1.SetEnabled(true, platform.NowMicros());
}

void Game::ShowMouseCursor(bool show) {
  cursorShown_ = show;
  platform.ShowCursor(show);
}

bool Game::SaveSettings() {
  if (ConfigDir.empty()) return true;  // kept in memory: the player was told at start-up
  ConfigStatus status = SaveConfig(ConfigDir, *Cfg);
  if (status.Ok()) return true;
  ShowMessage(status.Message);
  return false;
}

void Game::ShowMessage(const std::string& utf8) {
  // A box takes the focus from the window: play is held meanwhile.
  if (GameState == Screen::Game || GameState == Screen::ExitGameQuestion) Hold1.PausePlay();
  platform.ShowMessage(utf8, MessageKind::Info);
}

bool Game::SoundOn() const {
  return Cfg->Sound != 0;
}
bool Game::MusicOn() const {
  return Cfg->Music != 0;
}

void Game::PlayEffect(const char* name) {
  if (SoundOn()) Sound1->PlayEffect(name);
}

void Game::StopEffect(const char* name) {
  Sound1->StopEffect(name);
}
void Game::SilenceAll() {
  Sound1->SilenceAll();
}
void Game::StartMenuMusic() {
  uint8_t on = Cfg->Music;
  Sound1->StartMenuMusic(on);
  Cfg->Music = on;
}

void Game::StartPlayMusic() {
  uint8_t on = Cfg->Music;
  Sound1->StartPlayMusic(on);
  Cfg->Music = on;
}

void Game::ResumeMusic() {
  uint8_t on = Cfg->Music;
  Sound1->ResumeMusic(on);
  Cfg->Music = on;
}

GameSnapshot Game::Snapshot() const {
  GameSnapshot s;
  s.Shown = GameState;
  s.FrameCounter = FrameCounter;
  s.Held = Hold1.Held();
  s.Paused = Hold1.Paused();
  s.GameFinished = GameFinished;
  s.Terminated = terminated_;
  s.LevelNo = Round1->LevelNo;
  s.Score = Round1->AnglerScore().Shown();
  s.RoundClock = Round1->RoundClock;
  s.FishCount = Round1->FishCount;
  s.ObjectCount = Round1->ObjectCount;
  s.Sprites = SpriteEngine1 ? SpriteEngine1->Count() : 0;
  s.MenuPos = Screens1->MenuPos;
  s.HelpPage = Screens1->HelpPage;
  s.LastMouseX = LastMouseX;
  s.LastMouseY = LastMouseY;
  for (size_t r = 0; r < RowReplays.size(); ++r) s.RowHasReplay[r] = !RowReplays[r].empty();
  s.FrameIntervalMs = FrameTimer1.Interval();
  s.Frames = FrameTimer1.Frames();
  s.RandomState = Rng.State();
  return s;
}

ReplayStart Game::RecordedStart(uint64_t clockUs) const {
  ReplayStart s;
  s.RngState = Rng.State();
  s.ClockUs = clockUs;
  const uint64_t intervalUs = uint64_t(FrameTimer1.Interval()) * 1000;
  const uint64_t lastTick = FrameTimer1.DueUs() - intervalUs;
  s.FrameLastTickUs = lastTick > s.ClockUs ? s.ClockUs : lastTick;
  s.FrameIntervalMs = static_cast<uint16_t>(FrameTimer1.Interval());
  s.FrameCounter = FrameCounter;
  s.FrameActive = FrameTimer1.Running();
  s.Settings =
      static_cast<uint8_t>((Cfg->Music ? kReplayMusic : 0) | (Cfg->Sound ? kReplaySound : 0) |
                           (Cfg->Windowed ? kReplayWindowed : 0));
  return s;
}

void Game::RestoreStart(const ReplayStart& s) {
  Cfg->Music = (s.Settings & kReplayMusic) != 0;
  Cfg->Sound = (s.Settings & kReplaySound) != 0;
  Cfg->Windowed = (s.Settings & kReplayWindowed) != 0;
  Rng.SetState(s.RngState);
  FrameCounter = s.FrameCounter;
  FrameTimer1.SetInterval(s.FrameIntervalMs);
  FrameTimer1.SetActive(false, 0);
  FrameTimer1.SetActive(true, s.FrameLastTickUs);
  if (!s.FrameActive) FrameTimer1.SetActive(false, s.ClockUs);
}

std::string Game::EnteredName() const {
  return Screens1->EnteredName;
}

std::unique_ptr<RecordableGame> NewGame(Platform& platform, GamePaths paths, uint64_t seed) {
  return std::make_unique<Game>(platform, std::move(paths), seed);
}

void Game::MusicOff() {
  Sound1->MusicOff();
}

// --- Window events -------------------------------------------------------------------

void Game::OnKeyDown(int, KeyMods) {}

void Game::OnKeyUp(int vkCode, KeyMods mods) {
  if (Viewer) {
    // The window's own keys still work; the others are the replay's.
    if ((vkCode == vk::Return && mods.Alt) || vkCode == vk::F11) {
      Screens1->KeyUp(vkCode, mods);
      return;
    }
    Viewer->OnKeyUp(vkCode, mods);
    if (Viewer->Ended()) StopWatching();
    return;
  }
  Screens1->KeyUp(vkCode, mods);
}

void Game::OnTextInput(const std::string& utf8) {
  if (Viewer) return;
  for (char c : Utf8ToCp1251(utf8)) Screens1->KeyPress(static_cast<unsigned char>(c));
}

void Game::OnMouseMove(int x, int y) {
  LastMouseY = y;
  if (Viewer) {
    LastMouseX = x;
    return;
  }
  Screens1->MouseMove(x, y);
}

void Game::OnMouseButton(MouseButton button, bool down, int x, int y) {
  if (Viewer) {
    Viewer->OnMouseButton(button, down, x, y);
    if (Viewer->Ended()) StopWatching();
    return;
  }
  Screens1->MouseButton(button, down, x, y);
}

void Game::OnPadButton(PadButton button, bool down) {
  if (Viewer) {
    Viewer->OnPadButton(button, down);
    if (Viewer->Ended()) StopWatching();
    return;
  }
  // The menus act on releases, as they do for keys.
  if (!down) Screens1->PadButtonUp(button);
}

void Game::OnCloseRequest() {
  StopWatching();
  // The window never closes by itself: the player is asked instead, from
  // the menus. During a game, and while a question is up, it stays open.
  switch (ScreenOf(GameState).Close) {
    case CloseRequest::StaysOpen:
      return;
    case CloseRequest::MenuAsks:
      Screens1->Show(Screen::Menu);
      break;
    case CloseRequest::Asks:
      break;
  }
  Screens1->AskToQuit();
}

void Game::OnEndSession() {
  StopWatching();
  // A score waiting for its name goes into the table under the name typed so
  // far: the player is leaving, the score stays.
  Screens1->KeepWaitingScore();
  // No box: nobody would close it, and the session will not wait.
  if (!ConfigDir.empty()) {
    ConfigStatus status = SaveConfig(ConfigDir, *Cfg);
    if (!status.Ok()) std::fprintf(stderr, "klevaria: %s\n", status.Message.c_str());
  }
  Terminate();
}

void Game::OnActivate(bool active) {
  if (Viewer) Viewer->OnActivate(active);
  const uint64_t now = platform.NowMicros();
  FrameTimer1.SetActive(active, now);
  if (active) {
    if (Cfg->Music) ResumeMusic();
    return;
  }
  SilenceAll();
  Sound1->StopMusicOnDeactivate();
  // A player who looks away comes back to a paused game, never to a clock
  // that ran without them: losing the focus only ever pauses.
  PausePlay();
}

void Game::OnMaximize() {
  Cfg->Windowed = false;
  ApplyWindowMode();
}

void Game::OnMinimize() {
  if (Viewer) Viewer->OnMinimize();
  PausePlay();
}

void Game::OnPadLost() {
  // A player whose gamepad came loose comes back to a paused game, as after
  // looking away.
  PausePlay();
}

// --- The table's replays ------------------------------------------------------------

namespace {

std::vector<ShelfRow> ShelfRows(const Config& cfg) {
  std::vector<ShelfRow> rows;
  for (const ScoreEntry& e : cfg.Scores) rows.push_back({e.Name, e.Score.Value()});
  return rows;
}

}  // namespace

std::string Game::NamedReplay(const std::string& name) const {
  return Recorder ? Recorder->NamedReplay(name) : std::string();
}

void Game::RefreshRowReplays() {
  const std::vector<std::string> paths = ReplayShelf(ReplayDir(ConfigDir)).Match(ShelfRows(*Cfg));
  for (size_t r = 0; r < RowReplays.size(); ++r) RowReplays[r] = r < paths.size() ? paths[r] : "";
}

void Game::PruneRowReplays() {
  ReplayShelf(ReplayDir(ConfigDir)).Prune(ShelfRows(*Cfg));
  RefreshRowReplays();
}

void Game::ForgetRowReplays() {
  ReplayShelf(ReplayDir(ConfigDir)).Clear();
  RefreshRowReplays();
}

void Game::TableEntryDone() {
  if (Recorder) Recorder->Poll();
  RefreshRowReplays();
}

bool Game::WatchRow(int row) {
  if (row < 1 || row > static_cast<int>(RowReplays.size()) || RowReplays[row - 1].empty())
    return false;
  return WatchReplay(RowReplays[row - 1]);
}

bool Game::WatchReplay(const std::string& path) {
  if (Viewer) return false;
  try {
    const ReplayFile replay = ReadReplayFile(path);
    Viewer = std::make_unique<ReplayViewer>(platform, Presented, replay, AppDir);
  } catch (const std::exception& e) {
    Viewer.reset();
    ShowMessage(std::string("Не удалось показать повтор: ") + e.what());
    return false;
  }
  // The game's own frames stand still under the replay.
  FrameTimer1.SetEnabled(false, platform.NowMicros());
  return true;
}

void Game::StopWatching() {
  if (!Viewer) return;
  const std::string error = Viewer->Error();
  Viewer.reset();
  // The replay was shown on the game's own picture.
  RedrawAll();
  FrameTimer1.SetEnabled(true, platform.NowMicros());
  if (!error.empty()) ShowMessage(std::string("Повтор оборвался: ") + error);
}

void Game::PausePlay() {
  if (GameState == Screen::Game) Hold1.PausePlay();
}

}  // namespace klv
