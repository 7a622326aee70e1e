#include "screens/screens.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "base/text_colours.h"
#include "engine/canvas.h"
#include "engine/cp1251.h"
#include "engine/sprite_engine.h"
#include "engine/surface.h"
#include "online/world_submission.h"
#include "online/world_table.h"
#include "platform/platform.h"
#include "play/play_context.h"
#include "screens/ask.h"
#include "screens/chk.h"
#include "screens/fon_b.h"
#include "screens/game_flow.h"
#include "screens/hlp.h"
#include "screens/menu_b.h"
#include "screens/screen_table.h"
#include "settings/config.h"

namespace klv {

static_assert(kTextGold == Rgb(255, 210, 0) && kTextBlue == Rgb(40, 125, 255),
              "the text colours are opaque pixels as the engine packs them");

namespace {

constexpr const char* kCredit = "Программирование: команда «Клевария»";
constexpr const char* kQuestion = "Выйти из игры?";
constexpr const char* kYes = "Да";
constexpr const char* kNo = "Нет";

uint8_t Wrap(int pos, int items) {
  if (pos < 1) return static_cast<uint8_t>(items);
  if (pos > items) return 1;
  return static_cast<uint8_t>(pos);
}

}  // namespace

Screens::Screens(const ScreenContext& context, const PlayResult& play)
    : ctx_(context), play_(play), creditText_(Utf8ToCp1251(kCredit)) {}

Screens::~Screens() = default;

void Screens::CreateSendCheck() {
  if (!SendCheck) SendCheck = ctx_.Engine.Create<Chk>(ctx_.MenuImgs, ctx_.Cfg);
}

// ---------------------------------------------------------------------------
// Screen builders

void Screens::RemoveMenuButtons() {
  for (int k = 1; k <= 6; ++k) {
    if (MenuButtons[k]) MenuButtons[k]->MarkDead();
    MenuButtons[k] = nullptr;
  }
}

// Whatever screen is being left, its buttons, panel and help picture go.
void Screens::RemoveScreenSprites() {
  RemoveMenuButtons();
  if (Panel) Panel->MarkDead();
  Panel = nullptr;
  if (BackButton) BackButton->MarkDead();
  BackButton = nullptr;
  if (HelpPicture) HelpPicture->MarkDead();
  HelpPicture = nullptr;
}

void Screens::ClearOptionAndQuestionSpots() {
  for (Spot s : {Spot::Win, Spot::Full, Spot::MusicOn, Spot::MusicOff, Spot::SoundOn,
                 Spot::SoundOff, Spot::TextField, Spot::OptBack, Spot::Yes, Spot::No}) {
    HotSpotLit[static_cast<int>(s)] = false;
  }
}

bool Screens::AnySpotLit() const {
  for (bool lit : HotSpotLit) {
    if (lit) return true;
  }
  return false;
}

void Screens::Show(Screen screen) {
  const ScreenRow& row = ScreenOf(screen);
  if (screen == Screen::Menu) {
    EditAddText = false;
    // The menu items' flags keep their values until the pointer moves.
    ClearOptionAndQuestionSpots();
  }
  RemoveScreenSprites();
  SpriteEngine& engine = ctx_.Engine;
  if (row.Panel) Panel = engine.Create<FonB>(ctx_.MenuImgs, row.Panel);
  for (const ScreenButton& b : row.Buttons) {
    if (!b.Picture) continue;
    MenuB* button = engine.Create<MenuB>(ctx_.MenuImgs, b.X, b.Y, b.Picture);
    if (b.Slot == kBackSlot)
      BackButton = button;
    else
      MenuButtons[b.Slot] = button;
  }
  if (screen == Screen::Help) {
    HelpPage = 1;
    NewHelpPicture();
  }
  if (screen == Screen::Menu) {
    KeySum = 0;
    ClickGateArmed = true;
    MenuPos = Wrap(MenuReturnPos, row.Items);
  } else {
    MenuReturnPos = MenuPos;
    MenuPos = row.Items;
  }
  if (row.Lights == ButtonLight::BackButton && BackButton) BackButton->Lit = true;
  if (row.Lights == ButtonLight::MenuButtons && MenuButtons[MenuPos])
    MenuButtons[MenuPos]->Lit = true;
  ctx_.Flow.Show(screen);
  if (screen == Screen::HiScores) ctx_.Flow.RefreshRowReplays();
}

void Screens::NewHelpPicture() {
  if (HelpPicture) HelpPicture->MarkDead();
  HelpPicture = ctx_.Engine.Create<Hlp>(ctx_.MenuImgs, HelpPage);
}

// A damaged settings file may say 0 pages; there is always at least one.
int Screens::HelpPageCount() const {
  return ctx_.Cfg.HelpPages < 1 ? 1 : ctx_.Cfg.HelpPages;
}

void Screens::AskQuestion() {
  MenuPos = 1;
  NewAskBox();
}

void Screens::AskToQuit() {
  ctx_.Flow.Show(Screen::ExitQuestion);
  AskQuestion();
}

void Screens::ShowFirstMenu() {
  MenuPos = 1;
  MenuReturnPos = 1;
  Show(Screen::Menu);
}

void Screens::LeaveMenuForGame() {
  RemoveMenuButtons();
  MenuReturnPos = 1;
}

void Screens::NewAskBox() {
  RemoveAskBox();
  AskBox = ctx_.Engine.Create<Ask>(ctx_.MenuImgs, "Qtns", ScreenOf(ctx_.Flow.Shown()).Question);
}

void Screens::RemoveAskBox() {
  if (AskBox) AskBox->MarkDead();
  AskBox = nullptr;
}

// The lit button follows MenuPos: one of six on the menu, of three on the
// high-score and help screens; on the options screen only the back button
// (the others show the settings).
void Screens::LightMenuPos() {
  const ScreenRow& row = ScreenOf(ctx_.Flow.Shown());
  switch (row.Lights) {
    case ButtonLight::Unlit:
      return;
    case ButtonLight::BackButton:
      if (BackButton) BackButton->Lit = MenuPos == row.Items;
      return;
    case ButtonLight::MenuButtons:
      for (int k = 1; k <= row.Items; ++k) {
        if (MenuButtons[k]) MenuButtons[k]->Lit = false;
      }
      if (MenuPos >= 1 && MenuPos <= row.Items && MenuButtons[MenuPos])
        MenuButtons[MenuPos]->Lit = true;
      return;
  }
}

// ---------------------------------------------------------------------------
// Activation

void Screens::ActivateItem() {
  // The click gate: a click on no spot does nothing while the gate is armed;
  // the keyboard disarms it before it activates. The second half of
  // "КОНЕЦ ИГРЫ" has no spot to light, and any click there ends the game.
  EditAddText = false;
  KeySum = 0;
  const ScreenRow& row = ScreenOf(ctx_.Flow.Shown());
  if (!AnySpotLit() && ClickGateArmed && row.Click != ItemAction::EndGameOver) return;
  ClickGateArmed = true;

  if (row.ClickSound) ctx_.Flow.PlayEffect("Poimal");
  switch (row.Click) {
    case ItemAction::Nothing:
      break;
    case ItemAction::MenuItem:
      ActivateMenu();
      break;
    case ItemAction::OptionsItem:
      ActivateOptions();
      break;
    case ItemAction::HiScoresItem:
      ActivateHiScores();
      break;
    case ItemAction::HelpItem:
      ActivateHelp();
      break;
    case ItemAction::ExitAnswer:
      AnswerExit(MenuPos);
      break;
    case ItemAction::ExitGameAnswer:
      AnswerExitGame(MenuPos);
      break;
    case ItemAction::EndGameOver:
      EndGameOver();
      break;
    case ItemAction::SendCheck:
      if (Lit(Spot::Check) && !Sending && !ctx_.ScoreService.empty())
        ctx_.Cfg.SendScores = !ctx_.Cfg.SendScores;
      break;
  }
}

// A key or click during the second half of "КОНЕЦ ИГРЫ" ends the game at once.
void Screens::EndGameOver() {
  RemoveAskBox();
  ctx_.Flow.EndGameOver();
}

void Screens::ActivateMenu() {
  switch (MenuPos) {
    case 1:
      ctx_.Flow.StartGame();
      break;
    case 2:
      Show(Screen::Options);
      break;
    case 3:
      Show(Screen::HiScores);
      break;
    case 4:
      Show(Screen::Help);
      break;
    case 5:
      OpenMoreGames(ctx_.AppDir, IsLinkFile,
                    [this](const std::string& path) { ctx_.Shell.OpenWithShell(path); });
      break;
    case 6:
      AskToQuit();
      break;
    default:
      break;
  }
}

void Screens::ActivateOptions() {
  Config& cfg = ctx_.Cfg;
  if (Lit(Spot::MusicOn)) {
    cfg.Music = true;
    ctx_.Flow.ResumeMusic();  // "Не могу загрузить музыку" turns it off again
  } else if (Lit(Spot::MusicOff)) {
    cfg.Music = false;
    ctx_.Flow.MusicOff();
  } else if (Lit(Spot::SoundOn)) {
    cfg.Sound = true;
  } else if (Lit(Spot::SoundOff)) {
    cfg.Sound = false;
  } else if (Lit(Spot::Win)) {
    if (!cfg.Windowed) {
      cfg.Windowed = true;
      ctx_.Flow.ApplyWindowMode();
    }
  } else if (Lit(Spot::Full)) {
    if (cfg.Windowed) {
      cfg.Windowed = false;
      ctx_.Flow.ApplyWindowMode();
    }
  } else if (MenuPos == 4) {
    EditAddText = true;
  } else if (MenuPos == 5) {
    if (ctx_.Flow.SaveSettings()) Show(Screen::Menu);
  }
}

void Screens::ActivateHiScores() {
  switch (MenuPos) {
    case 1:
      ctx_.Cfg.Scores.Clear(ScoreTable::DefaultName());
      ctx_.Flow.ForgetRowReplays();
      break;
    case 2:
      if (ctx_.ScoreService.empty()) {
        ctx_.Flow.ShowMessage(NoWorldTableText());
        break;
      }
      OpenWorldTable(ctx_.ScoreService,
                     [this](const std::string& url) { ctx_.Shell.OpenWithShell(url); });
      break;
    case 3:
      Show(Screen::Menu);
      break;
    default:
      break;
  }
}

void Screens::ActivateHelp() {
  const int pages = HelpPageCount();
  switch (MenuPos) {
    case 1:
      HelpPage = HelpPage <= 1 ? static_cast<uint8_t>(pages) : HelpPage - 1;
      NewHelpPicture();
      break;
    case 2:
      HelpPage = HelpPage >= pages ? 1 : HelpPage + 1;
      NewHelpPicture();
      break;
    case 3:
      Show(Screen::Menu);
      break;
    default:
      break;
  }
}

void Screens::AnswerExit(uint8_t item) {
  if (item == 1) {
    // The player asked to leave: a failed save has shown its reason, and the
    // game ends all the same (the file on disk still holds the last record).
    ctx_.Flow.SaveSettings();
    ctx_.Flow.Quit();
    return;
  }
  RemoveAskBox();
  for (int k = 1; k <= 6; ++k) {
    if (MenuButtons[k]) MenuButtons[k]->Lit = false;
  }
  MenuPos = 1;
  if (MenuButtons[1]) MenuButtons[1]->Lit = true;
  ctx_.Flow.Show(Screen::Menu);
}

void Screens::AnswerExitGame(uint8_t item) {
  if (item == 1) {
    RemoveAskBox();
    ctx_.Flow.FinishGame();
    return;
  }
  ResumePlay();
}

// Back to running play from the question asked during it.
void Screens::ResumePlay() {
  ctx_.Flow.Show(Screen::Game);
  ctx_.Flow.ShowMouseCursor(false);
  RemoveAskBox();
  ctx_.Flow.ResumeHold();
}

// ---------------------------------------------------------------------------
// Mouse

void Screens::MouseMove(int x, int y) {
  ctx_.Mouse.MouseStepRight = x > ctx_.LastMouseX;
  ctx_.Mouse.MouseStepLeft = x < ctx_.LastMouseX;
  ctx_.LastMouseX = x;
  if (Sending) return;  // the name entry waits for the world table

  HotSpotLit.fill(false);
  // The pointer arrives in back-buffer pixels in both window modes, so the
  // spots are tested as they are drawn, windowed or full screen.
  const ScreenRow& row = ScreenOf(ctx_.Flow.Shown());
  const uint8_t before = MenuPos;
  for (const ScreenButton& b : row.Buttons) {
    const HotSpot& spot = b.Spot;
    int w = 0;
    int h = 0;
    if (spot.SizedByButton) {
      const MenuB* button = MenuButtons[spot.MenuPos];
      if (!button) continue;
      w = button->Width;
      h = button->Height;
    }
    if (SpotContains(spot, x, y, w, h)) {
      HotSpotLit[static_cast<int>(spot.Flag)] = true;
      if (spot.MenuPos != 0) MenuPos = spot.MenuPos;
    }
  }
  if (row.Lights != ButtonLight::Unlit) LightMenuPos();
  if (row.Items != 0 && MenuPos != before) ctx_.Flow.PlayEffect("Poimal");
}

void Screens::MouseButton(klv::MouseButton button, bool down, int x, int y) {
  if (button == MouseButton::Left) {
    ctx_.Mouse.MouseLowerHeld = down;
    if (down || x < 0 || x >= 800 || y < 0 || y >= 600) return;
    // A click on a row of the table whose game has a replay shows it.
    if (ctx_.Flow.Shown() == Screen::HiScores && !Sending && ctx_.Flow.WatchRow(HiScoreRowAt(x, y)))
      return;
    Click();
  } else if (button == MouseButton::Right && !down && ctx_.Flow.Shown() != Screen::Game) {
    Click();
  }
}

void Screens::Click() {
  if (Sending) return;
  ActivateItem();
}

// ---------------------------------------------------------------------------
// Per-frame texts

void Screens::LightSettings() {
  const Config& cfg = ctx_.Cfg;
  const bool lit[7] = {false,      cfg.Windowed, !cfg.Windowed, cfg.Music,
                       !cfg.Music, cfg.Sound,    !cfg.Sound};
  for (int k = 1; k <= 6; ++k) {
    if (MenuButtons[k]) MenuButtons[k]->Lit = lit[k];
  }
}

void Screens::DrawOptionsOverlay() {
  if (ctx_.Flow.Shown() != Screen::Options) return;
  const Config& cfg = ctx_.Cfg;
  Canvas& canvas = ctx_.Canvas1;
  if (MenuPos >= 1 && MenuPos <= 3) {
    const MenuB* left = MenuButtons[2 * MenuPos - 1];
    const MenuB* right = MenuButtons[2 * MenuPos];
    if (left && right) {
      canvas.FrameRect(left->X - 10, left->Y - 10, right->X + right->Width + 10,
                       left->Y + left->Height + 10, kTextGold, 3);
    }
  } else if (MenuPos == 4) {
    canvas.FrameRect(287, 357, 602, 410, kTextGold, 3);
  }
  canvas.SetFont(Face::Comic, 25, true, kTextBlue);
  std::string text = cfg.AddText;
  if (EditAddText && ctx_.Flow.FrameNumber() % 32 < 16) text += '|';
  canvas.TextOut(310, 357, text);
}

void Screens::DrawCredit() {
  ctx_.Canvas1.SetFont(Face::Comic, 16, true, kTextGold);
  if (KeySum == kCreditKeySum) ctx_.Canvas1.TextOut(10, 0, creditText_);
}

void Screens::DrawQuestion() {
  if (!ScreenOf(ctx_.Flow.Shown()).Question) return;
  Canvas& canvas = ctx_.Canvas1;
  const uint32_t black = Rgb(0, 0, 0);
  canvas.SetFont(Face::Comic, 25, true, black);
  static const std::string question = Utf8ToCp1251(kQuestion);
  static const std::string yes = Utf8ToCp1251(kYes);
  static const std::string no = Utf8ToCp1251(kNo);
  canvas.TextOut(280, 200, question);
  canvas.TextOut(385, 243, "/");
  canvas.SetFont(Face::Comic, 25, true, MenuPos == 1 ? kTextGold : black);
  canvas.TextOut(320, 243, yes);
  canvas.SetFont(Face::Comic, 25, true, MenuPos == 2 ? kTextGold : black);
  canvas.TextOut(420, 243, no);
}

}  // namespace klv
